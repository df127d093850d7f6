#include "storage/platform/linux/LinuxFileOperations.h"

#include "storage/platform/linux/LinuxDriveSource.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tonarion {
namespace {

// The name under which a copy is written before it takes its own: the module plays every file
// under a sound's name, so a sound stands under it only complete.
constexpr const char* ReplacementSuffix = CopySuffix;
constexpr std::size_t CopyBlockSize = 1 << 20;

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Hands the descriptor on to whoever keeps it open from now on.
    int release() { return std::exchange(m_fd, -1); }
    void swap(Descriptor& other) noexcept { std::swap(m_fd, other.m_fd); }
    // Closes now and reports a failure of the final write-back.
    std::error_code close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 ? std::error_code{} : lastError();
    }

private:
    int m_fd;
};

std::error_code writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return {};
}

// Opens a file on the stick for writing without ever following a symbolic link: a stick made
// on Linux could hold a link named like a sound or the temporary index file that points at a
// file of the computer, which a write would otherwise overwrite. The link itself is removed
// and a real file takes its place.
int openForWriting(const std::string& path) {
    constexpr int Flags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC;
    const int fd = ::open(path.c_str(), Flags, 0644);
    if (fd >= 0 || errno != ELOOP) {
        return fd;
    }
    ::unlink(path.c_str());
    return ::open(path.c_str(), Flags, 0644);
}

std::error_code writeWhole(const std::string& path, const std::string& bytes, bool flushMedium) {
    Descriptor out(openForWriting(path));
    if (!out.valid()) {
        return lastError();
    }
    if (auto error = writeAll(out.get(), bytes.data(), bytes.size())) {
        return error;
    }
    // syncfs flushes every earlier write to the same stick too: copies, renames, deletions.
    if (flushMedium && ::syncfs(out.get()) != 0) {
        return lastError();
    }
    return out.close();
}

// Windows hands paths to the shell ending in NUL characters; the same text works here.
std::string withoutTrailingNuls(std::string path) {
    while (!path.empty() && path.back() == '\0') {
        path.pop_back();
    }
    return path;
}

} // namespace

FileResult LinuxFileOperations::ShellDelete(const std::string& path) {
    // unlink refuses a folder by itself.
    const std::string file = withoutTrailingNuls(path);
    return FileResult(file, ::unlink(file.c_str()) == 0 ? std::error_code{} : lastError());
}

FileResult LinuxFileOperations::deleteFolder(const std::string& path) {
    // A link to a folder is not the folder: what it points to stays.
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return FileResult(path, lastError());
    }
    if (!S_ISDIR(info.st_mode)) {
        return FileResult(path, std::make_error_code(std::errc::not_a_directory));
    }
    std::error_code error;
    std::filesystem::remove_all(path, error);
    return FileResult(path, error);
}

namespace {

// A source opened for copying, or why it cannot be: only a regular file is a sound; a device
// or FIFO would never end, or end anywhere.
struct OpenSource {
    std::unique_ptr<Descriptor> file;
    struct stat info {};
    std::error_code error;
};

// A file that did not exist, never through a link.
int createNew(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}

OpenSource openSource(const std::string& source) {
    OpenSource opened;
    // Without O_NONBLOCK, opening a FIFO named like a sound waits for a writer for ever.
    opened.file =
        std::make_unique<Descriptor>(::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    const int fd = opened.file->get();
    if (!opened.file->valid() || ::fstat(fd, &opened.info) != 0) {
        opened.error = lastError();
    } else if (!S_ISREG(opened.info.st_mode)) {
        opened.error = std::make_error_code(std::errc::invalid_argument);
    } else {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    return opened;
}

// Copies the bytes and gives the copy the source's times, as copies on Windows do, so that
// the next commit sees it is up to date. Both times are given (fusefat ignores a change of
// only one), and with the file still open: its folder entry is written once, and some FAT
// drivers stamp a file once more when it is closed. A flush, when asked for, comes before.
std::error_code copyContent(const OpenSource& from, Descriptor& out, bool flush,
                            const CopyProgress& progress) {
    std::error_code error;
    std::uintmax_t copied = 0;
    // Large blocks: a USB stick takes each write request as a transaction of its own.
    std::vector<char> buffer(CopyBlockSize);
    while (!error) {
        const ssize_t got = ::read(from.file->get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            error = got < 0 ? lastError() : std::error_code{};
            break;
        }
        error = writeAll(out.get(), buffer.data(), static_cast<std::size_t>(got));
        copied += static_cast<std::uintmax_t>(got);
        if (progress) {
            progress(copied, static_cast<std::uintmax_t>(from.info.st_size));
        }
    }
    if (!error && flush && ::fsync(out.get()) != 0) {
        error = lastError();
    }
    const timespec times[2] = {from.info.st_atim, from.info.st_mtim};
    if (!error && ::futimens(out.get(), times) != 0) {
        error = lastError();
    }
    if (const auto closeError = out.close(); !error) {
        error = closeError;
    }
    return error;
}

std::error_code copyReplacing(const std::string& source, const std::string& target,
                              const CopyProgress& progress) {
    const OpenSource from = openSource(source);
    if (from.error) {
        return from.error;
    }
    // One look at the target tells all: on a large FAT folder every look costs.
    struct stat targetInfo {};
    const bool replacing = ::lstat(target.c_str(), &targetInfo) == 0;
    if (replacing && from.info.st_dev == targetInfo.st_dev &&
        from.info.st_ino == targetInfo.st_ino) {
        return std::make_error_code(std::errc::file_exists);
    }
    // The copy is written beside its target and then takes its name in one step, so that
    // an interrupted copy never leaves part of a sound under a sound's name, the old sound
    // stays whole until the new one is complete, and FAT drivers that cannot rewrite a file
    // in place (fusefat) manage too. The move replaces a symbolic link itself, never the file
    // it points at.
    const std::string written = target + ReplacementSuffix;
    ::unlink(written.c_str()); // what an interrupted copy left
    Descriptor out(createNew(written));
    if (!out.valid()) {
        return lastError();
    }
    // A replacement must be on the medium before it takes the old sound's name; a new file
    // waits for the index file's write, which flushes the whole stick at once.
    std::error_code error = copyContent(from, out, replacing, progress);
    if (!error) {
        error = ::rename(written.c_str(), target.c_str()) == 0 ? std::error_code{} : lastError();
        // fusefat stamps a renamed file with the time of the rename, which would make every
        // later commit copy the sound again; the copy gets the source's times once more.
        if (!error) {
            const timespec times[2] = {from.info.st_atim, from.info.st_mtim};
            ::utimensat(AT_FDCWD, target.c_str(), times, AT_SYMLINK_NOFOLLOW);
        }
    }
    if (error) {
        // A half-written sound must not stand on the stick.
        ::unlink(written.c_str());
    }
    return error;
}

std::error_code copyToNew(const std::string& source, const std::string& target,
                          const CopyProgress& progress) {
    const OpenSource from = openSource(source);
    if (from.error) {
        return from.error;
    }
    Descriptor out(createNew(target));
    if (!out.valid()) {
        return errno == EEXIST ? copyReplacing(source, target, progress) : lastError();
    }
    const std::error_code error = copyContent(from, out, false, progress);
    if (error) {
        ::unlink(target.c_str());
    }
    return error;
}

} // namespace

FileResult LinuxFileOperations::CopyFileReplace(const std::string& source,
                                                const std::string& target,
                                                const CopyProgress& progress) {
    return FileResult(target, copyReplacing(source, target, progress));
}

FileResult LinuxFileOperations::CopyFileNew(const std::string& source, const std::string& target,
                                            const CopyProgress& progress) {
    return FileResult(target, copyToNew(source, target, progress));
}

FileResult LinuxFileOperations::EnsureFile(const std::string& path) {
    Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    return FileResult(path, file.valid() || errno == EEXIST ? std::error_code{} : lastError());
}

bool LinuxFileOperations::FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

namespace {

std::error_code renameUnlessTaken(const std::string& from, const std::string& to) {
    // In one call where the file system can refuse to replace; a look first where not.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return {};
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return lastError();
    }
    struct stat info {};
    if (::stat(to.c_str(), &info) == 0) {
        return std::make_error_code(std::errc::file_exists);
    }
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code{} : lastError();
}

} // namespace

FileResult LinuxFileOperations::renameFile(const std::string& from, const std::string& to) {
    return FileResult(to, renameUnlessTaken(from, to));
}

FileValue<std::string> LinuxFileOperations::readFile(const std::string& path) {
    Descriptor in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid()) {
        return {path, lastError()};
    }
    std::string content;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return {path, lastError()};
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
    return {path, std::move(content)};
}

FileResult LinuxFileOperations::writeFileDurably(const std::string& path,
                                                 const std::string& bytes) {
    return FileResult(path, writeWhole(path, bytes, true));
}

FileResult LinuxFileOperations::writeFile(const std::string& path, const std::string& bytes) {
    return FileResult(path, writeWhole(path, bytes, false));
}

FileResult LinuxFileOperations::flushMedium(const std::string& folder) {
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid() || ::syncfs(dir.get()) != 0) {
        return FileResult(folder, lastError());
    }
    return FileResult(folder);
}

FileResult LinuxFileOperations::replaceFile(const std::string& from, const std::string& to) {
    return FileResult(to,
                      ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code{} : lastError());
}

FileValue<FileStatus> LinuxFileOperations::status(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {path, lastError()};
    }
    if (!S_ISREG(info.st_mode)) {
        return {path, std::make_error_code(std::errc::is_a_directory)};
    }
    return {path, FileStatus{static_cast<std::uintmax_t>(info.st_size),
                             static_cast<double>(info.st_mtim.tv_sec) +
                                 static_cast<double>(info.st_mtim.tv_nsec) / 1e9}};
}

namespace {

bool sameFile(int fd, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return fd >= 0 && ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// The lock is the kernel's: the holder keeps the lock file open with an advisory lock on it
// (flock), which the kernel lets go of whenever the process ends, however it ends. A lock file
// that nobody keeps locked is left over and taken over, whatever process id it names: after a
// reboot that id may well belong to another living process. The file's text names the holder,
// "process id host name", for the message and for whoever looks at the stick by hand.
class LinuxFolderLock final : public FolderLock {
public:
    LinuxFolderLock(std::string path, std::string owner, int fd)
        : m_path(std::move(path))
        , m_owner(std::move(owner))
        , m_file(fd) {}
    ~LinuxFolderLock() override {
        // Only our own: a stick pulled and put back may hold another program's lock by now.
        // Closing lets go of the kernel's lock.
        if (isShownInFolder()) {
            ::unlink(m_path.c_str());
        }
    }
    LinuxFolderLock(const LinuxFolderLock&) = delete;
    LinuxFolderLock& operator=(const LinuxFolderLock&) = delete;

    // The very file, or on a stick pulled and mounted anew, a file with our text: the kernel's
    // lock stayed with the old mount, so the file is locked again.
    bool isShownInFolder() const override {
        if (!m_file.valid() || sameFile(m_file.get(), m_path)) {
            return m_file.valid();
        }
        if (m_owner.empty() || readLockOwner(m_path) != m_owner) {
            return false;
        }
        auto again =
            std::make_unique<Descriptor>(::open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (!again->valid() || ::flock(again->get(), LOCK_EX | LOCK_NB) != 0 ||
            !sameFile(again->get(), m_path)) {
            return false;
        }
        m_file.swap(*again);
        return true;
    }

    static std::string readLockOwner(const std::string& path) {
        Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        char text[256] = {};
        const ssize_t got = file.valid() ? ::read(file.get(), text, sizeof text - 1) : -1;
        return got > 0 ? std::string(text, static_cast<std::size_t>(got)) : std::string();
    }

private:
    std::string m_path;
    std::string m_owner;
    mutable Descriptor m_file;
};

std::string hostName() {
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

// Whether a process of this computer named as a lock file's holder still runs: the rule where
// the file system keeps no locks (some network shares).
bool ownerIsAlive(const std::string& owner) {
    const auto blank = owner.find(' ');
    if (blank == std::string::npos) {
        return false;
    }
    const std::string host = owner.substr(blank + 1, owner.find('\n') - blank - 1);
    const pid_t pid = static_cast<pid_t>(std::atol(owner.substr(0, blank).c_str()));
    return host == hostName() && pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

// Gives the complete file at from the name to, unless a file holds that name: in one step
// where the file system can refuse to replace, else by a link, else after a look (fusefat
// offers neither, and there two programs started within the same instant could both pass).
std::error_code moveUnlessTaken(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return {};
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return lastError();
    }
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return {};
    }
    if (errno == EEXIST) {
        return lastError();
    }
    return renameUnlessTaken(from, to);
}

// The lock file of this process, locked, under a name of its own beside the lock file, so that
// nobody sees the lock file before it names its holder. On a stick too full for the text the
// file stays empty: the kernel's lock is what counts.
struct LockCandidate {
    std::string path;
    std::string owner;
    std::unique_ptr<Descriptor> file;
    std::error_code error;
};

LockCandidate writeCandidate(const std::string& lockPath, const std::string& owner) {
    LockCandidate candidate;
    candidate.path = lockPath + "." + std::to_string(::getpid());
    ::unlink(candidate.path.c_str()); // what this process id left after an earlier crash
    candidate.file = std::make_unique<Descriptor>(
        ::open(candidate.path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (!candidate.file->valid()) {
        candidate.error = lastError();
        return candidate;
    }
    // Nobody else knows this file yet; where the file system keeps no locks, the text decides.
    ::flock(candidate.file->get(), LOCK_EX | LOCK_NB);
    if (!writeAll(candidate.file->get(), owner.data(), owner.size())) {
        candidate.owner = owner;
    } else {
        [[maybe_unused]] const int emptied = ::ftruncate(candidate.file->get(), 0);
    }
    return candidate;
}

// The name of a file that another program took away meanwhile: the lock is looked at anew.
bool vanished(std::error_code error) {
    return error == std::errc::no_such_file_or_directory;
}

} // namespace

FileValue<std::unique_ptr<FolderLock>> LinuxFileOperations::lockFolder(const std::string& folder) {
    const std::string path = (folder.ends_with('/') ? folder : folder + "/") + LockFileName;
    const std::string owner = std::to_string(::getpid()) + " " + hostName() + "\n";
    const auto taken = [&path](LockCandidate& candidate) -> FileValue<std::unique_ptr<FolderLock>> {
        return {path, std::make_unique<LinuxFolderLock>(path, candidate.owner,
                                                        candidate.file->release())};
    };
    // A stick that takes no file (write-protected) can be changed by nobody.
    const auto unowned = [&path]() -> FileValue<std::unique_ptr<FolderLock>> {
        return {path, std::make_unique<LinuxFolderLock>(path, std::string(), -1)};
    };
    // Another program may take or leave the lock between two looks: a few rounds settle it.
    for (int attempt = 0; attempt < 8; ++attempt) {
        Descriptor existing(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (!existing.valid() && errno == ELOOP) {
            // A link under the lock file's name, as a stick made on Linux may hold, locks
            // nothing: it goes, and never the file it points at.
            struct stat link {};
            if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
                ::unlink(path.c_str());
            }
            continue;
        }
        if (!existing.valid() && errno != ENOENT) {
            return unowned();
        }
        if (existing.valid()) {
            // A lock file nobody holds is left over. Holding its kernel lock keeps any other
            // program from taking it over at the same time; it is replaced only while it
            // still stands under the name.
            if (::flock(existing.get(), LOCK_EX | LOCK_NB) != 0 &&
                (errno == EWOULDBLOCK || ownerIsAlive(LinuxFolderLock::readLockOwner(path)))) {
                break;
            }
            if (!sameFile(existing.get(), path)) {
                continue;
            }
        }
        LockCandidate candidate = writeCandidate(path, owner);
        if (candidate.error) {
            return unowned();
        }
        const std::error_code moved =
            existing.valid()
                ? (::rename(candidate.path.c_str(), path.c_str()) == 0 ? std::error_code{}
                                                                       : lastError())
                : moveUnlessTaken(candidate.path, path);
        if (!moved) {
            return taken(candidate);
        }
        ::unlink(candidate.path.c_str());
        // Another program was quicker, or took the file away: is it still there?
        if (moved != std::errc::file_exists && !vanished(moved)) {
            return unowned();
        }
    }
    return {path, std::make_error_code(std::errc::device_or_resource_busy)};
}

bool LinuxFileOperations::isLockedByAnother(const std::string& folder) {
    const std::string path = (folder.ends_with('/') ? folder : folder + "/") + LockFileName;
    Descriptor existing(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!existing.valid()) {
        return false;
    }
    // A shared lock is had only while nobody holds the file; it goes again at once.
    if (::flock(existing.get(), LOCK_SH | LOCK_NB) == 0) {
        return false;
    }
    return errno == EWOULDBLOCK || ownerIsAlive(LinuxFolderLock::readLockOwner(path));
}

FileValue<FreeSpace> LinuxFileOperations::freeSpace(const std::string& folder) {
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0) {
        return {folder, lastError()};
    }
    // Some FUSE drivers (fusefat) report no blocks at all: they cannot tell.
    if (info.f_blocks == 0) {
        return {folder, std::make_error_code(std::errc::not_supported)};
    }
    return {folder, FreeSpace{static_cast<std::uintmax_t>(info.f_bavail) * info.f_frsize,
                              std::max<std::uintmax_t>(info.f_frsize, 1)}};
}

FileValue<VolumeInfo> LinuxFileOperations::volumeInfo(const std::string& folder) {
    return LinuxDriveSource().volumeInfo(folder);
}

FileValue<FileIdentity> LinuxFileOperations::identity(const std::string& path) {
    struct stat info {};
    if (::stat(path.empty() ? "." : path.c_str(), &info) != 0) {
        return {path, lastError()};
    }
    return {path, FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                               static_cast<std::uint64_t>(info.st_ino)}};
}

FileValue<std::vector<std::string>> LinuxFileOperations::listFiles(const std::string& folder) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) {
        return {folder, lastError()};
    }
    const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        // The listing tells the kind of most entries; only a link, or a file system that
        // does not say, costs a look of its own.
        const bool file = entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK
                              ? FileExists(prefix + name)
                              : entry->d_type != DT_DIR;
        if (file) {
            names.push_back(name);
        }
    }
    return {folder, std::move(names)};
}

} // namespace tonarion
