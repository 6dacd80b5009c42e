"""Saving to a USB stick through the real window, as students do: an exFAT stick (an image on a
loop device, mounted through FUSE), where no file is made without a name, names ignore case
and ':' is forbidden. The whole range saved exactly; a cancel; a full stick; the stick pulled
out mid-save, and then a save elsewhere, and one to the stick once it is back; a name in
another case over a file; a forbidden name; the program ended by a signal mid-save. Each case
checks the message and what is left on the stick.

As root, with exfatprogs and exfat-fuse; elsewhere skipped (exit 77)."""

import hashlib
import os
import signal
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import (Program, Stick, message, require_stick, save_as, saving,  # noqa: E402
                       temporary_home, wait_for, whole_range_shown, writing_into)

WHOLE_SIZE = 1203807730
# The whole range's text, made by a sieve of its own, apart from the program.
WHOLE_SHA256 = "bfb82280185dd48b7356a5f06f7ca87a39224323ed6ba93546f2a78d445b778e"
SMALL = "Total de 6 números primos: 11, 13, 17, 19, 23, 29"

NAME_REFUSED = ("o nome tem caracteres que este disco não aceita. Pendrives e cartões de memória "
                "costumam recusar : * ? \" < > | e \\ nos nomes; escolha outro nome")
FULL = "não há espaço livre no disco"
REMOVED = "o disco foi removido ou parou de responder; conecte-o de novo e salve outra vez"


def failure(path, cause):
    return f"Não foi possível salvar o arquivo \u201c{path}\u201d: {cause}."


def told(tavix, expected):
    """The message on the screen is `expected`; closed with Enter."""
    text = wait_for(lambda: message(tavix), 30, what="the message")
    assert text == expected, text
    tavix.key("Return")
    wait_for(lambda: message(tavix) is None, what="the message closed")


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        while block := f.read(8 << 20):
            digest.update(block)
    return digest.hexdigest()


def list_again(tavix, result, first, last, head):
    """From the result area back to De: and Até:, a new interval, and the focus back."""
    tavix.key("shift+Tab", "shift+Tab", "shift+Tab", "ctrl+a")
    tavix.type_text(str(first))
    tavix.key("Tab", "ctrl+a")
    tavix.type_text(str(last))
    tavix.key("Return")
    wait_for(lambda: result.queryText().getText(0, len(head)) == head, 30, what=head)
    tavix.key("Tab", "Tab", "Tab")
    wait_for(lambda: tavix.has_focus(result), what="the focus in Resultado")


def whole_range_cases(tavix, result, stick, documents):
    pid = tavix.process.pid
    # The whole range, exactly: read back from the stick.
    target = stick.path("primos.txt")
    began = time.monotonic()
    save_as(tavix, target)
    wait_for(lambda: saving(tavix), 10, what="the save's progress")
    wait_for(lambda: not saving(tavix), 60, interval=0.2, what="the save ended")
    print(f"the whole range saved to the stick in {time.monotonic() - began:.1f} s", flush=True)
    assert stick.files() == ["primos.txt"], stick.files()
    assert os.path.getsize(target) == WHOLE_SIZE, os.path.getsize(target)
    assert sha256(target) == WHOLE_SHA256
    print("the whole range on the stick, exact", flush=True)

    # "Cancelar" (Esc) mid-save: nothing new on the stick.
    save_as(tavix, stick.path("cancelado.txt"))
    wait_for(lambda: saving(tavix), 10, what="the save's progress")
    tavix.key("Escape")
    wait_for(lambda: not saving(tavix) and not writing_into(pid, stick.dir), 30,
             what="the save cancelled")
    assert message(tavix) is None, message(tavix)
    assert stick.files() == ["primos.txt"], stick.files()

    # A stick too small: the message, and nothing left on it.
    with Stick(300) as small:
        save_as(tavix, small.path("primos.txt"))
        told(tavix, failure(small.path("primos.txt"), FULL))
        assert small.files() == [], small.files()
    print("cancelled, and a full stick: nothing left", flush=True)

    # Pulled out mid-save: the message, the program goes on with its result, a save elsewhere
    # works; the stick once back takes a save (below) and keeps nothing of the one pulled.
    os.remove(target)
    save_as(tavix, target)
    wait_for(lambda: saving(tavix) and writing_into(pid, stick.dir), 10,
             what="the save under way")
    stick.pull()
    told(tavix, failure(target, REMOVED))
    assert tavix.running()
    assert whole_range_shown(result)
    elsewhere = os.path.join(documents, "primos.txt")
    save_as(tavix, elsewhere)
    wait_for(lambda: os.path.exists(elsewhere) and not saving(tavix), 30, interval=0.2,
             what="the save to the documents folder")
    assert os.path.getsize(elsewhere) == WHOLE_SIZE and os.listdir(documents) == ["primos.txt"]
    os.remove(elsewhere)
    stick.plug()
    print(f"pulled out: told, and saved elsewhere; back with {stick.files()}", flush=True)


def small_cases(tavix, stick):
    target = stick.path("primos.txt")
    # The stick back: a save there works, and what the pulled save left goes.
    save_as(tavix, target)
    wait_for(lambda: stick.files() == ["primos.txt"] and os.path.getsize(target) == len(SMALL.encode()), 10,
             what="saved to the stick once back")
    # A name in another case is the same file: the question, and one file after "Sim".
    save_as(tavix, stick.path("PRIMOS.TXT"))
    question = wait_for(lambda: message(tavix, "Salvar como"), 10, what="the question")
    assert "Deseja substituí-la?" in question, question
    tavix.answer_yes()
    wait_for(lambda: not saving(tavix), 10, what="the save ended")
    files = stick.files()
    assert [name.lower() for name in files] == ["primos.txt"], files
    with open(stick.path(files[0]), encoding="utf-8") as f:
        assert f.read() == SMALL
    # A name the stick refuses.
    refused = stick.path("primos:1.txt")
    save_as(tavix, refused)
    told(tavix, failure(refused, NAME_REFUSED))
    assert stick.files() == files, stick.files()
    print("back: saved; PRIMOS.TXT over primos.txt, one file; primos:1.txt refused", flush=True)


def ended_mid_save(home, stick):
    """SIGTERM mid-save (the session logging out): the program ends and the stick keeps only
    the file it had."""
    before = stick.files()
    with Program(env={"HOME": home}) as tavix:
        result = tavix.list_whole_range()
        save_as(tavix, stick.path("outro.txt"))
        wait_for(lambda: writing_into(tavix.process.pid, stick.dir), 10, interval=0.01,
                 what="the save under way")
        time.sleep(0.3)
        tavix.process.send_signal(signal.SIGTERM)
        status = tavix.wait_exit(20)
    assert status == -signal.SIGTERM, status
    assert stick.files() == before, stick.files()
    print("SIGTERM mid-save: nothing left on the stick", flush=True)


def main():
    require_stick()
    began = time.monotonic()
    with temporary_home() as documents, Stick(1400) as stick:
        home = os.path.dirname(documents)
        with Program(env={"HOME": home}) as tavix:
            result = tavix.list_whole_range()
            whole_range_cases(tavix, result, stick, documents)
            list_again(tavix, result, 10, 30, SMALL)
            small_cases(tavix, stick)
            assert tavix.running()
        ended_mid_save(home, stick)
    print(f"ok ({time.monotonic() - began:.0f} s)")


if __name__ == "__main__":
    main()
