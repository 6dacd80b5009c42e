// Saving a result to a file: the file appears whole, with exactly the text's bytes, or not at
// all; on a cancel, a full disk (the process's file size limit) or a folder the user may not
// write in, an existing file is left as it was and no new file stays behind.
#include "ui/result/io/save_file.hpp"

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "model_support.hpp"

// The system calls that decide what a crash leaves behind, recorded in order while a test
// asks, then passed on to the system. open() can also refuse files without a name, as a file
// system without them does, and any of them can fail as a disk would.
namespace {
std::mutex callsMutex;
std::vector<std::string>* recordedCalls = nullptr;
bool refuseUnnamed = false;
struct Failing {
    std::string call;  // "open" (of a new file), "fsync", "link", "rename", "unlink"
    int error = 0;
};
std::vector<Failing> failing;

template <class Function>
Function* systemCall(const char* name) {
    return reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
}

// Records the calls into `calls` (none when null), refusing unnamed files if asked, and making
// the calls named in `fail` fail.
void recordCalls(std::vector<std::string>* calls, bool refuse, std::vector<Failing> fail = {}) {
    const std::lock_guard lock(callsMutex);
    recordedCalls = calls;
    refuseUnnamed = refuse;
    failing = std::move(fail);
}

// Whether the call is to fail now (then errno says why).
bool fails(const char* call) {
    const std::lock_guard lock(callsMutex);
    for (const Failing& f : failing) {
        if (f.call == call) {
            errno = f.error;
            return true;
        }
    }
    return false;
}

// Records the call; false when it is to fail.
bool record(const char* call) {
    {
        const std::lock_guard lock(callsMutex);
        if (recordedCalls != nullptr) {
            recordedCalls->push_back(call);
        }
    }
    return !fails(call);
}
}  // namespace

extern "C" int fsync(int fd) {
    return record("fsync") ? systemCall<int(int)>("fsync")(fd) : -1;
}
extern "C" int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    return record("link") ? systemCall<int(int, const char*, int, const char*, int)>("linkat")(
                                fromFolder, from, toFolder, to, flags)
                          : -1;
}
extern "C" int rename(const char* from, const char* to) {
    return record("rename") ? systemCall<int(const char*, const char*)>("rename")(from, to) : -1;
}
extern "C" int unlink(const char* path) {
    if (std::string_view(path).find(".tavix-") == std::string_view::npos) {
        return systemCall<int(const char*)>("unlink")(path);
    }
    return fails("unlink") ? -1 : systemCall<int(const char*)>("unlink")(path);
}
extern "C" int open(const char* path, int flags, ...) {
    std::va_list rest;
    va_start(rest, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(rest, mode_t) : 0;
    va_end(rest);
    if (refuseUnnamed && (flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    if ((flags & O_CREAT) != 0 && fails("open")) {
        return -1;
    }
    return systemCall<int(const char*, int, ...)>("open")(path, flags, mode);
}

namespace tavix::ui {
namespace {

namespace fs = std::filesystem;

std::string contentsOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void write(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// A folder of its own for each test, holding an earlier "primos.txt".
class SaveFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/tavix-save-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
        target = folder / "primos.txt";
        write(target, kEarlier);
    }
    void TearDown() override {
        fs::permissions(folder, fs::perms::owner_all);
        fs::remove_all(folder);
    }
    std::ptrdiff_t filesInFolder() const {
        return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
    }
    // Only the earlier file, as it was.
    void expectUntouched() {
        EXPECT_EQ(contentsOf(target), kEarlier);
        EXPECT_EQ(filesInFolder(), 1) << "a new file stayed behind";
    }
    // Runs `save` in a child process (for limits and users that must not touch this one) and
    // returns what it returned.
    static SaveOutcome inChild(const std::function<SaveOutcome()>& save) {
        int pipe[2];
        if (::pipe(pipe) != 0) {
            return {SaveOutcome::Status::Failed, -1};
        }
        const pid_t child = fork();
        if (child == 0) {
            ::close(pipe[0]);
            const SaveOutcome outcome = save();
            const int message[2] = {int(outcome.status), outcome.error};
            const bool sent = ::write(pipe[1], message, sizeof message) == sizeof message;
            _exit(sent ? 0 : 1);
        }
        ::close(pipe[1]);
        int message[2] = {-1, -1};
        const bool read = ::read(pipe[0], message, sizeof message) == sizeof message;
        ::close(pipe[0]);
        int status = 0;
        waitpid(child, &status, 0);
        if (!read || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            return {SaveOutcome::Status::Failed, -1};
        }
        return {SaveOutcome::Status(message[0]), message[1]};
    }

    static constexpr const char* kEarlier = "um arquivo que estava aqui\n";
    fs::path folder;
    fs::path target;
};

TEST_F(SaveFileTest, TheWholeTextReplacesTheFile) {
    const ResultTextPtr text = testing::listingText("0", "3000000");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    SaveControl control;
    const SaveOutcome outcome = saveText(text, target, control);
    ASSERT_EQ(outcome.status, SaveOutcome::Status::Saved) << outcome.error;
    EXPECT_EQ(contentsOf(target), text->toString());
    EXPECT_EQ(control.written.load(), text->size());
    // The file keeps its permissions, and nothing else is left in the folder.
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(filesInFolder(), 1);

    // A new file, and a fixed answer kept whole in memory.
    const fs::path other = folder / "outro.txt";
    const ResultTextPtr answer = makePlainText("Total de 2 números primos: 2, 3");
    ASSERT_EQ(saveText(answer, other, control).status, SaveOutcome::Status::Saved);
    EXPECT_EQ(contentsOf(other), "Total de 2 números primos: 2, 3");
}

// A large text goes straight to the disk, past the system's cache, where the file system
// allows it, and through the cache where it does not (a file system in memory).
TEST_F(SaveFileTest, ALargeTextIsSavedWholeOnAnyFileSystem) {
    const ResultTextPtr text = testing::listingText("0", "80000000");
    ASSERT_GT(text->size(), std::uint64_t{32} << 20);
    const std::string whole = text->toString();
    std::vector<fs::path> folders{folder};
    char inMemory[] = "/dev/shm/tavix-save-XXXXXX";
    if (fs::is_directory("/dev/shm") && mkdtemp(inMemory) != nullptr) {
        folders.push_back(inMemory);
    }
    for (const fs::path& where : folders) {
        SaveControl control;
        const fs::path file = where / "primos.txt";
        ASSERT_EQ(saveText(text, file, control).status, SaveOutcome::Status::Saved) << where;
        EXPECT_TRUE(contentsOf(file) == whole) << where;
    }
    if (folders.size() > 1) {
        fs::remove_all(folders.back());
    }
}

// Saving over a link writes the file it points to, and the link stays.
TEST_F(SaveFileTest, ALinkKeepsPointingToTheSavedFile) {
    const fs::path link = folder / "atalho.txt";
    fs::create_symlink(target, link);
    SaveControl control;
    ASSERT_EQ(saveText(makePlainText("2, 3, 5"), link, control).status, SaveOutcome::Status::Saved);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contentsOf(target), "2, 3, 5");
}

// Both ways a new file is made: without a name, and, as on a USB stick (exFAT, FAT), under a
// hidden name. Everything a save leaves, or does not, must hold for each.
const struct {
    bool unnamed;
    const char* name;
} kNewFiles[] = {{true, "a file without a name"}, {false, "a hidden file"}};

TEST_F(SaveFileTest, ACancelMidwayLeavesTheFileAsItWas) {
    const ResultTextPtr text = testing::listingText("0", "2147483647");
    for (const auto& newFile : kNewFiles) {
        SCOPED_TRACE(newFile.name);
        recordCalls(nullptr, !newFile.unnamed);
        SaveControl control;
        std::jthread canceller([&] {
            while (control.written.load() == 0) {
                std::this_thread::yield();
            }
            control.cancel = true;
        });
        const SaveOutcome outcome = saveText(text, target, control);
        recordCalls(nullptr, false);
        EXPECT_EQ(outcome.status, SaveOutcome::Status::Cancelled);
        EXPECT_LT(control.written.load(), text->size());
        expectUntouched();
    }
}

// A disk that fills up: the process may write no more than 5 MiB to a file. Through the
// system's cache, and straight to the disk.
TEST_F(SaveFileTest, AFullDiskLeavesTheFileAsItWas) {
    for (const auto& newFile : kNewFiles) {
        for (const char* last : {"10000000", "80000000"}) {
            SCOPED_TRACE(std::string(newFile.name) + ", 0 to " + last);
            const ResultTextPtr text = testing::listingText("0", last);
            const std::string path = target;
            refuseUnnamed = !newFile.unnamed;  // for the child
            const SaveOutcome outcome = inChild([&] {
                const rlimit small{5 << 20, 5 << 20};
                if (setrlimit(RLIMIT_FSIZE, &small) != 0) {
                    return SaveOutcome{SaveOutcome::Status::Failed, -2};
                }
                SaveControl control;
                return saveText(text, path, control);
            });
            refuseUnnamed = false;
            EXPECT_EQ(outcome.status, SaveOutcome::Status::Failed);
            EXPECT_EQ(outcome.error, EFBIG);
            expectUntouched();
        }
    }
}

// A disk that fails any step of the save, or refuses the name (a ':' on a FAT stick): the
// save fails with the disk's error and the folder is left as it was.
TEST_F(SaveFileTest, AFailingStepLeavesTheFileAsItWas) {
    const struct {
        const char* call;
        int error;
        bool unnamed, hidden;  // the paths that make the call
    } steps[] = {{"fsync", EIO, true, true},
                 {"rename", ENOSPC, true, true},
                 {"link", ENOTCONN, true, false},
                 {"link", EINVAL, true, false},
                 {"open", EINVAL, false, true}};
    for (const auto& newFile : kNewFiles) {
        for (const auto& step : steps) {
            if (!(newFile.unnamed ? step.unnamed : step.hidden)) {
                continue;
            }
            SCOPED_TRACE(std::string(newFile.name) + ", " + step.call);
            write(target, kEarlier);
            recordCalls(nullptr, !newFile.unnamed, {{step.call, step.error}});
            SaveControl control;
            const SaveOutcome outcome = saveText(makePlainText("2, 3, 5"), target, control);
            recordCalls(nullptr, false);
            EXPECT_EQ(outcome.status, SaveOutcome::Status::Failed);
            EXPECT_EQ(outcome.error, step.error);
            // A name refused in a folder that is there is the name's fault.
            EXPECT_EQ(outcome.nameRefused, step.error == EINVAL);
            expectUntouched();
        }
    }
}

// A disk pulled out mid-save answers nothing any more, and the hidden file cannot be removed
// then. The next save there, once the disk is back, removes it.
TEST_F(SaveFileTest, AHiddenFileLeftOnAPulledDiskGoesAtTheNextSave) {
    recordCalls(nullptr, true, {{"fsync", ENOTCONN}, {"unlink", ENOTCONN}});
    SaveControl control;
    const SaveOutcome pulled = saveText(makePlainText("2, 3"), target, control);
    recordCalls(nullptr, false);
    EXPECT_EQ(pulled.error, ENOTCONN);
    EXPECT_EQ(filesInFolder(), 2);
    ASSERT_EQ(saveText(makePlainText("2, 3, 5"), target, control).status,
              SaveOutcome::Status::Saved);
    EXPECT_EQ(contentsOf(target), "2, 3, 5");
    EXPECT_EQ(filesInFolder(), 1) << "the hidden file stayed";
}

// A folder the user may not write in. As root, the save runs as another user.
TEST_F(SaveFileTest, AFolderWithoutPermissionLeavesTheFileAsItWas) {
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    const std::string path = target;
    const SaveOutcome outcome = inChild([&] {
        if (geteuid() == 0 && setuid(65534) != 0) {  // nobody
            return SaveOutcome{SaveOutcome::Status::Failed, -2};
        }
        SaveControl control;
        return saveText(makePlainText("2, 3"), path, control);
    });
    EXPECT_EQ(outcome.status, SaveOutcome::Status::Failed);
    EXPECT_EQ(outcome.error, EACCES);
    expectUntouched();

    SaveControl control;
    const SaveOutcome missing =
        saveText(makePlainText("2"), folder / "nada" / "primos.txt", control);
    EXPECT_EQ(missing.status, SaveOutcome::Status::Failed);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_FALSE(missing.nameRefused);
}

// A name as long as a folder holds (255 bytes), on either path: the hidden name beside it is
// cut short rather than refused.
TEST_F(SaveFileTest, TheLongestNameIsSaved) {
    const fs::path longest =
        folder / (std::string(234, 'p') + "\xC3\xBA" + std::string(15, 'p') + ".txt");
    for (const auto& newFile : kNewFiles) {
        recordCalls(nullptr, !newFile.unnamed);
        SaveControl control;
        const SaveOutcome outcome = saveText(makePlainText("2, 3"), longest, control);
        recordCalls(nullptr, false);
        EXPECT_EQ(outcome.status, SaveOutcome::Status::Saved) << newFile.name << outcome.error;
        EXPECT_EQ(contentsOf(longest), "2, 3") << newFile.name;
        EXPECT_EQ(filesInFolder(), 2) << newFile.name;
    }
}

// The file's bytes reach the disk before the file takes the target's name, with or without a
// file system that makes files without a name; nothing else is left in the folder.
TEST_F(SaveFileTest, TheBytesAreOnTheDiskBeforeTheName) {
    for (const bool unnamed : {true, false}) {
        std::vector<std::string> calls;
        recordCalls(&calls, !unnamed);
        SaveControl control;
        const SaveOutcome outcome = saveText(makePlainText("2, 3, 5, 7"), target, control);
        recordCalls(nullptr, false);
        ASSERT_EQ(outcome.status, SaveOutcome::Status::Saved) << unnamed;
        EXPECT_EQ(contentsOf(target), "2, 3, 5, 7");
        const std::vector<std::string> expected =
            unnamed ? std::vector<std::string>{"fsync", "link", "rename", "fsync"}
                    : std::vector<std::string>{"fsync", "rename", "fsync"};
        EXPECT_EQ(calls, expected) << unnamed;
        EXPECT_EQ(filesInFolder(), 1);
    }
}

// A save killed outright (SIGKILL) leaves the earlier file as it was and no other file: the new
// one has no name until it is complete. Where the file system makes no such files, what stays
// is hidden and named after the program.
TEST_F(SaveFileTest, ASaveKilledMidwayLeavesNothingInSight) {
    const ResultTextPtr text = testing::listingText("0", "2147483647");
    for (const bool unnamed : {true, false}) {
        const pid_t child = fork();
        if (child == 0) {
            refuseUnnamed = !unnamed;
            SaveControl control;
            std::thread([&] {
                while (control.written.load() < (std::uint64_t{64} << 20)) {
                    std::this_thread::yield();
                }
                ::raise(SIGKILL);
            }).detach();
            saveText(text, target, control);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << unnamed;
        EXPECT_EQ(contentsOf(target), kEarlier);
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename();
            if (name != "primos.txt") {
                EXPECT_FALSE(unnamed) << name;
                EXPECT_EQ(name.rfind(".primos.txt.tavix-", 0), 0u) << name;
                fs::remove(entry.path());
            }
        }
    }
}

// Every cause a user can meet in words, with what to do where there is something to do; only
// what no user can meet by its number, beside the system's own description.
TEST(SaveFailureCause, ThePortugueseCauseOfEachError) {
    const std::string removed =
        "o disco foi removido ou parou de responder; conecte-o de novo e salve outra vez";
    const struct {
        int error;
        bool nameRefused;
        std::string cause;
    } cases[] = {
        {ENOSPC, false, "não há espaço livre no disco"},
        {EFBIG, false, "o arquivo ficaria maior do que o sistema permite"},
        {EACCES, false, "não há permissão para gravar nesta pasta"},
        {EPERM, false, "não há permissão para gravar nesta pasta"},
        {EROFS, false, "o disco ou a pasta só permite leitura"},
        {ENOENT, false, "a pasta não existe"},
        {ENOMEM, false, "não há memória suficiente"},
        {ENAMETOOLONG, false, "o nome do arquivo é longo demais; escolha um nome mais curto"},
        {EDQUOT, false,
         "a sua cota de espaço neste disco se esgotou; apague arquivos de que não precisa mais "
         "ou salve em outro disco"},
        {EMFILE, false, "há arquivos abertos demais; feche outros programas e salve outra vez"},
        {ENFILE, false, "há arquivos abertos demais; feche outros programas e salve outra vez"},
        {EIO, false, removed},
        {ENODEV, false, removed},
        {ENXIO, false, removed},
        {ENOTCONN, false, removed},
        {ECONNABORTED, false, removed},
        {ESTALE, false, removed},
        {ENOENT, true,
         "o nome tem caracteres que este disco não aceita. Pendrives e cartões de memória "
         "costumam recusar : * ? \" < > | e \\ nos nomes; escolha outro nome"},
        {EXDEV, false,
         "o sistema informou o erro número 18, que descreve como “Invalid cross-device link”"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(saveFailureCause({SaveOutcome::Status::Failed, c.error, c.nameRefused}), c.cause);
    }
}

}  // namespace
}  // namespace tavix::ui
