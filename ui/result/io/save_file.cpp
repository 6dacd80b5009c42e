#include "ui/result/io/save_file.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "ui/result/io/chunk_stream.hpp"

namespace tavix::ui {

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The longest name a folder holds, in bytes (Linux's NAME_MAX).
constexpr std::size_t kLongestName = 255;

// A hidden name beside the target that no other file has and that says whose it is:
// ".<name>.tavix-<random>.tmp", the target's name cut short (at a character's start) where the
// whole would be longer than a name may be.
std::string hiddenName(const std::string& path) {
    static thread_local std::mt19937 random{std::random_device()()};
    const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    constexpr std::size_t kAround = std::string_view("..tavix-12345678.tmp").size();
    std::string own = nameOf(path);
    if (own.size() > kLongestName - kAround) {
        std::size_t cut = kLongestName - kAround;
        while (cut > 0 && (static_cast<unsigned char>(own[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        own.resize(cut);
    }
    std::string name = folderOf(path) + "/." + own + ".tavix-";
    for (int i = 0; i < 8; ++i) {
        name += letters[random() % (sizeof letters - 1)];
    }
    return name + ".tmp";
}

// Hidden files whose save failed as their disk went away (a stick pulled out), and that could
// not be removed then. Each save tries again first: a stick back in the same place loses them
// at its next save. A name is kept until its file is removed, even while it is not found (the
// stick's folder gone with it): no other file has such a name.
class Leftovers {
  public:
    void add(const std::string& name) noexcept {
        const std::lock_guard lock(mutex_);
        try {
            if (names_.size() == kMost) {
                names_.erase(names_.begin());
            }
            names_.push_back(name);
        } catch (const std::bad_alloc&) {
            // No memory even for the name: it stays where it is.
        }
    }
    void removeWhatCan() {
        const std::lock_guard lock(mutex_);
        std::erase_if(names_, [](const std::string& name) { return ::unlink(name.c_str()) == 0; });
    }

  private:
    static constexpr std::size_t kMost = 16;
    std::mutex mutex_;
    std::vector<std::string> names_;
};
Leftovers leftovers;

// The new file that takes the text. Where the file system allows, it has no name while it is
// written (Linux's O_TMPFILE): whatever ends the program meanwhile, even a kill that nothing
// can catch, leaves nothing behind, and the file gets a name only once it is complete.
// Elsewhere it is a new file under a hidden name, removed on every way out that can be caught.
class NewFile {
  public:
    NewFile(const std::string& path, bool direct) : path_(path) {
        for (const int flags : {direct ? O_DIRECT : 0, 0}) {
            if (unnamedPossible()) {
                fd_ =
                    ::open(folderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC | flags, 0666);
                if (fd_ >= 0 || !unsupported(errno)) {
                    break;
                }
            }
            fd_ = createHidden(flags);
            if (fd_ >= 0 || errno != EINVAL) {
                break;  // made, or a failure that a file without O_DIRECT would share
            }
        }
    }
    ~NewFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!hidden_.empty() && ::unlink(hidden_.c_str()) != 0) {
            leftovers.add(hidden_);
        }
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    int fd() const { return fd_; }

    // Gives the complete file the target's name in one step, replacing an existing file.
    // Returns the system's error number, or 0. On failure the new file goes away.
    int publish() {
        if (hidden_.empty()) {
            // Linked in under a hidden name first: a link cannot replace a file.
            const std::string self = "/proc/self/fd/" + std::to_string(fd_);
            for (int attempt = 0;; ++attempt) {
                std::string name = hiddenName(path_);
                if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) ==
                    0) {
                    hidden_ = std::move(name);
                    break;
                }
                if (errno != EEXIST || attempt == 99) {
                    return errno;
                }
            }
        }
        const int closed = ::close(fd_);
        fd_ = -1;
        if (closed != 0 && errno != EINTR) {
            return errno;  // a late write error
        }
        if (::rename(hidden_.c_str(), path_.c_str()) != 0) {
            return errno;
        }
        hidden_.clear();
        return 0;
    }

  private:
    // A file without a name can be given one only through /proc.
    static bool unnamedPossible() { return ::access("/proc/self/fd", F_OK) == 0; }
    // The errors of a file system (or a kernel) that makes no file without a name.
    static bool unsupported(int error) {
        return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
    }

    int createHidden(int flags) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = hiddenName(path_);
            const int fd =
                ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | flags, 0666);
            if (fd >= 0) {
                hidden_ = std::move(name);
            }
            if (fd >= 0 || errno != EEXIST) {
                return fd;
            }
        }
        errno = EEXIST;
        return -1;
    }

    std::string path_;
    int fd_ = -1;
    std::string hidden_;  // the name it has, while it has one and is not the target's
};

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Texts from this size on are written straight to the disk.
constexpr std::uint64_t kDirectFrom = std::uint64_t{32} << 20;
// The unit of such writes: their size and their place in the file are multiples of it.
constexpr std::size_t kDirectBlock = 4096;

// Writes a large text straight to the disk, past the system's cache: on many machines copying
// a gigabyte through the cache costs more than writing it to the disk, and it would push out
// what other programs keep there. Whole blocks go straight; the last few bytes, and all of
// them on a file system that refuses, go the usual way.
class Output {
  public:
    Output(int fd, bool direct) : fd_(fd), direct_(direct) {}
    ~Output() { std::free(aligned_); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Returns the system's error number of a failed write, or 0.
    int write(std::string_view bytes) {
        while (direct_ && bytes.size() >= kDirectBlock) {
            const std::size_t n =
                std::min(bytes.size(), kAlignedBytes) / kDirectBlock * kDirectBlock;
            if (!aligned_ &&
                !(aligned_ = static_cast<char*>(std::aligned_alloc(kDirectBlock, kAlignedBytes)))) {
                stopDirect();
                break;
            }
            std::memcpy(aligned_, bytes.data(), n);
            const ssize_t written = ::write(fd_, aligned_, n);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written < 0 && errno != EINVAL) {
                return errno;
            }
            if (written <= 0 || std::size_t(written) % kDirectBlock != 0) {
                stopDirect();  // refused, or cut short off a block: the usual way from here
            }
            bytes.remove_prefix(std::size_t(std::max<ssize_t>(written, 0)));
        }
        if (direct_ && !bytes.empty()) {
            stopDirect();
        }
        return writeAll(fd_, bytes);
    }

  private:
    static constexpr std::size_t kAlignedBytes = std::size_t{4} << 20;

    void stopDirect() {
        direct_ = false;
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_DIRECT);
    }

    int fd_;
    bool direct_;
    char* aligned_ = nullptr;
};

SaveOutcome failed(int error) {
    return {SaveOutcome::Status::Failed, error};
}

// A file that could not be made or named, told apart: a folder that is not there, or a folder
// whose disk refuses the name (exFAT through FUSE answers ENOENT for a ':', the kernel's FAT
// EINVAL), or a disk that stopped answering as the folder was looked up.
SaveOutcome failedNaming(int error, const std::string& path) {
    SaveOutcome outcome = failed(error);
    if (error == ENOENT || error == EINVAL || error == EILSEQ) {
        struct stat folder {};
        if (::stat(folderOf(path).c_str(), &folder) != 0) {
            outcome.error = errno == ENOTDIR ? ENOENT : errno;
        } else if (!S_ISDIR(folder.st_mode)) {
            outcome.error = ENOTDIR;
        } else {
            outcome.nameRefused = true;
        }
    }
    return outcome;
}

// The pieces of a save made again with little memory.
constexpr std::size_t kSmallChunk = std::size_t{256} << 10;

// Writes the whole text to `fd` from its start, in chunks of `chunk` bytes made by up to
// `threads` threads.
SaveOutcome writeText(const ResultTextPtr& text, int fd, SaveControl& control, std::size_t chunk,
                      std::size_t threads) {
    try {
        ChunkStream chunks(text, chunk, threads);
        Output output(fd, (::fcntl(fd, F_GETFL) & O_DIRECT) != 0);
        for (std::string_view piece = chunks.next(); !piece.empty(); piece = chunks.next()) {
            if (control.cancel.load()) {
                return {SaveOutcome::Status::Cancelled, 0};
            }
            if (const int error = output.write(piece)) {
                return failed(error);
            }
            control.written += piece.size();
        }
    } catch (const std::bad_alloc&) {
        return failed(ENOMEM);
    }
    return {};
}

}  // namespace

SaveOutcome saveText(const ResultTextPtr& text, const std::string& target, SaveControl& control) {
    // A file that grows past the process's size limit fails its write with EFBIG instead of
    // ending the program.
    std::signal(SIGXFSZ, SIG_IGN);

    leftovers.removeWhatCan();

    // Saving over a symbolic link replaces the file it points to, not the link.
    std::string path = target;
    struct stat link {};
    if (::lstat(target.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* resolved = ::realpath(target.c_str(), nullptr)) {
            path = resolved;
            std::free(resolved);
        }
    }

    const bool direct = text->size() >= kDirectFrom;
    NewFile file(path, direct);
    if (file.fd() < 0) {
        return failedNaming(errno, path);
    }
    // From here on, every way out but success removes the new file.

    // An existing target keeps its permissions.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        ::fchmod(file.fd(), existing.st_mode & 07777);
    }

    // With little memory, the text is made again in small pieces, on this thread alone.
    SaveOutcome written = writeText(text, file.fd(), control, ChunkStream::kDefaultChunk, 2);
    if (written.status == SaveOutcome::Status::Failed && written.error == ENOMEM) {
        control.written = 0;
        if (::ftruncate(file.fd(), 0) != 0 || ::lseek(file.fd(), 0, SEEK_SET) != 0) {
            return failed(errno);
        }
        written = writeText(text, file.fd(), control, kSmallChunk, 0);
    }
    if (written.status != SaveOutcome::Status::Saved) {
        return written;
    }
    if (control.cancel.load()) {
        return {SaveOutcome::Status::Cancelled, 0};
    }
    // The bytes on the disk before the name: a crash after the rename finds the whole file.
    if (::fsync(file.fd()) != 0) {
        return failed(errno);
    }
    if (const int error = file.publish()) {
        return failedNaming(error, path);
    }
    // The new name itself on the disk too; a folder that cannot be flushed changes nothing.
    const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

std::string saveFailureCause(const SaveOutcome& failure) {
    if (failure.nameRefused) {
        return "o nome tem caracteres que este disco não aceita. Pendrives e cartões de memória "
               "costumam recusar : * ? \" < > | e \\ nos nomes; escolha outro nome";
    }
    switch (failure.error) {
        case ENOSPC:
            return "não há espaço livre no disco";
        case EDQUOT:
            return "a sua cota de espaço neste disco se esgotou; apague arquivos de que não "
                   "precisa mais ou salve em outro disco";
        case EFBIG:
            return "o arquivo ficaria maior do que o sistema permite";
        case EACCES:
        case EPERM:
            return "não há permissão para gravar nesta pasta";
        case EROFS:
            return "o disco ou a pasta só permite leitura";
        case ENOENT:
        case ENOTDIR:
            return "a pasta não existe";
        case EISDIR:
            return "já existe uma pasta com esse nome";
        case ENAMETOOLONG:
            return "o nome do arquivo é longo demais; escolha um nome mais curto";
        // A stick pulled out, a card taken from its reader, a network folder gone: each
        // driver says it its own way.
        case EIO:
        case ENODEV:
        case ENXIO:
        case ENOMEDIUM:
        case ENOTCONN:
        case ECONNABORTED:
        case ECONNRESET:
        case ETIMEDOUT:
        case EHOSTDOWN:
        case EHOSTUNREACH:
        case ENETDOWN:
        case ENETUNREACH:
        case ESTALE:
        case EREMOTEIO:
            return "o disco foi removido ou parou de responder; conecte-o de novo e salve outra "
                   "vez";
        case ENOMEM:
            return "não há memória suficiente";
        case EMFILE:
        case ENFILE:
            return "há arquivos abertos demais; feche outros programas e salve outra vez";
        default: {
            // Only what no user can meet comes here: the number, and the system's own words
            // for it (in the system's language, where it has them).
            char words[256] = "";
            return "o sistema informou o erro número " + std::to_string(failure.error) +
                   ", que descreve como “" + ::strerror_r(failure.error, words, sizeof words) + "”";
        }
    }
}

}  // namespace tavix::ui
