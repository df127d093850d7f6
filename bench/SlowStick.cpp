// A slow USB stick for the benchmark: a FUSE file system that mirrors a backing folder and
// makes every call wait as long as a cheap stick would take for it, on one thread, since a
// stick serves one request at a time. It counts the calls by kind; reading the hidden file
// /.slowstick-stats through the mount gives the counts.
//
//   tonarion_slowstick [--write-mbps=10] [--meta-ms=5] [--flush-ms=20] BACKING MOUNTPOINT
//
// The costs:
// - Written bytes at the write bandwidth, when they arrive: writes pass through the page
//   cache without the writeback cache, so each write() reaches this program at once.
// - A change of a folder (create, mkdir, unlink, rmdir, rename) one metadata latency each, and
//   so does a change of a closed file's times, size or attributes (utimens, truncate, chmod).
//   An open file's entry is written with the file, so changing it while open is free.
// - fsync and fsyncdir one flush latency each. `sync -f` (syncfs) never arrives: the kernel
//   sends FUSE_SYNCFS only to virtiofs, and libfuse has no operation for it. A syncfs on the
//   mount therefore costs nothing here beyond the writes it waits for, and there are none
//   pending, since writes pass through at once; tonarion_bench makes the tool's syncfs an
//   fsync, which arrives.
// - Looking at names (lookup, getattr, readdir) one metadata latency for the first look into
//   a folder, which reads its entries. The kernel of a real stick answers every later look
//   from its cache; nothing else writes to the stick. But to count every call the program
//   makes, the kernel here must ask this program each time: so the mount is told to cache no
//   entries, and the cache of a real stick is modelled by the set of folders read.
// No direct I/O: as on a real stick, the page cache keeps what was written and serves it back.
// Reads cost nothing: the bytes a program reads back from a stick it has just written come
// from the page cache, and reading the computer's sources is not the stick's business.
// fsync is not passed on to the backing folder, which is scratch.

#define FUSE_USE_VERSION 31

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// The calls that only move bytes, end a use or flush; all others ask about names or change them.
const std::set<std::string, std::less<>> NotMetadata = {"read", "write", "close", "fsync",
                                                        "fsyncdir"};

constexpr const char* StatsPath = "/.slowstick-stats";

struct Stick {
    int backing = -1; // the mirrored folder, opened once; every call works relative to it
    double secondsPerByte = 1.0 / 10e6;
    double metaSeconds = 0.005;
    double flushSeconds = 0.020;
    std::map<std::string, long, std::less<>> counts; // by call
    long long bytesWritten = 0;
    std::set<std::string> seenFolders;
    std::map<std::string, int> openFiles; // path, number of handles
};

Stick& stick() {
    return *static_cast<Stick*>(fuse_get_context()->private_data);
}

// A sleep oversleeps by a few microseconds, the same for the tool and for its floor.
void charge(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void count(const char* call) {
    ++stick().counts[call];
}
void change(const char* call) {
    count(call);
    charge(stick().metaSeconds);
}
// The directory entry of an open file is written when the file is, so a change of its times,
// size or attributes costs nothing more; a closed file's entry is written for the change.
void changeAttributes(const char* call, const char* path) {
    count(call);
    if (!stick().openFiles.contains(path)) {
        charge(stick().metaSeconds);
    }
}
// The first look into a folder reads its entries from the stick; the kernel of a real stick
// answers every later look from its cache, whether the name is there or not.
void look(const char* call, const std::string& folder) {
    count(call);
    if (stick().seenFolders.insert(folder).second) {
        charge(stick().metaSeconds);
    }
}
std::string folderOf(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash == path ? "/" : std::string(path, slash);
}

std::string statsText() {
    const Stick& s = stick();
    std::string text;
    long metadata = 0;
    for (const auto& [call, number] : s.counts) {
        text += call + " " + std::to_string(number) + "\n";
        metadata += NotMetadata.contains(call) ? 0 : number;
    }
    return text + "metadata " + std::to_string(metadata) + "\nbytes_written " +
           std::to_string(s.bytesWritten) + "\n";
}

// Paths arrive as "/name"; the backing folder takes them relative to itself.
const char* rel(const char* path) {
    return path[1] == '\0' ? "." : path + 1;
}
int result(int returned) {
    return returned < 0 ? -errno : 0;
}

int onGetattr(const char* path, struct stat* st, fuse_file_info* fi) {
    if (std::strcmp(path, StatsPath) == 0) {
        *st = {};
        st->st_mode = S_IFREG | 0444; // size 0: read with direct I/O, so read to the end
        st->st_nlink = 1;
        return 0;
    }
    look("getattr", folderOf(path));
    return result(fi ? fstat(static_cast<int>(fi->fh), st)
                     : fstatat(stick().backing, rel(path), st, AT_SYMLINK_NOFOLLOW));
}

int onReaddir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
              fuse_readdir_flags) {
    look("readdir", path);
    const int fd = openat(stick().backing, rel(path), O_RDONLY | O_DIRECTORY);
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (dir == nullptr) {
        return -errno;
    }
    while (const dirent* entry = readdir(dir)) {
        struct stat st {};
        st.st_ino = entry->d_ino;
        st.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
        fill(buffer, entry->d_name, &st, 0, fuse_fill_dir_flags{});
    }
    closedir(dir);
    return 0;
}

int onMkdir(const char* path, mode_t mode) {
    change("mkdir");
    return result(mkdirat(stick().backing, rel(path), mode));
}
int onUnlink(const char* path) {
    change("unlink");
    return result(unlinkat(stick().backing, rel(path), 0));
}
int onRmdir(const char* path) {
    change("rmdir");
    return result(unlinkat(stick().backing, rel(path), AT_REMOVEDIR));
}
int onRename(const char* from, const char* to, unsigned flags) {
    change("rename");
    if (const auto node = stick().openFiles.extract(from)) {
        stick().openFiles[to] += node.mapped();
    }
    return result(renameat2(stick().backing, rel(from), stick().backing, rel(to), flags));
}
int onChmod(const char* path, mode_t mode, fuse_file_info*) {
    changeAttributes("chmod", path);
    return result(fchmodat(stick().backing, rel(path), mode, 0));
}
int onTruncate(const char* path, off_t size, fuse_file_info* fi) {
    changeAttributes("truncate", path);
    if (fi) {
        return result(ftruncate(static_cast<int>(fi->fh), size));
    }
    const int fd = openat(stick().backing, rel(path), O_WRONLY);
    const int returned = fd < 0 ? -1 : ftruncate(fd, size);
    const int error = errno;
    if (fd >= 0) {
        close(fd);
    }
    return returned < 0 ? -error : 0;
}
int onUtimens(const char* path, const timespec times[2], fuse_file_info* fi) {
    changeAttributes("utimens", path);
    return result(fi ? futimens(static_cast<int>(fi->fh), times)
                     : utimensat(stick().backing, rel(path), times, AT_SYMLINK_NOFOLLOW));
}

int openFile(const char* path, fuse_file_info* fi, int flags, mode_t mode) {
    const int fd = openat(stick().backing, rel(path), flags, mode);
    if (fd < 0) {
        return -errno;
    }
    fi->fh = static_cast<uint64_t>(fd);
    ++stick().openFiles[path];
    return 0;
}
int onCreate(const char* path, mode_t mode, fuse_file_info* fi) {
    change("create");
    return openFile(path, fi, fi->flags | O_CREAT, mode);
}
int onOpen(const char* path, fuse_file_info* fi) {
    if (std::strcmp(path, StatsPath) == 0) {
        fi->direct_io = 1;
        fi->fh = static_cast<uint64_t>(-1);
        return 0;
    }
    count("open");
    return openFile(path, fi, fi->flags, 0);
}

int onRead(const char* path, char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
    if (std::strcmp(path, StatsPath) == 0) {
        const std::string text = statsText();
        const std::string_view rest =
            std::string_view(text).substr(std::min<size_t>(text.size(), offset));
        const size_t length = std::min(size, rest.size());
        std::memcpy(buffer, rest.data(), length);
        return static_cast<int>(length);
    }
    count("read");
    const ssize_t got = pread(static_cast<int>(fi->fh), buffer, size, offset);
    return got < 0 ? -errno : static_cast<int>(got);
}
int onWrite(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
    count("write");
    charge(static_cast<double>(size) * stick().secondsPerByte);
    stick().bytesWritten += static_cast<long long>(size);
    const ssize_t written = pwrite(static_cast<int>(fi->fh), buffer, size, offset);
    return written < 0 ? -errno : static_cast<int>(written);
}
int onStatfs(const char*, struct statvfs* st) {
    count("statfs");
    return result(fstatvfs(stick().backing, st));
}
int onFlush(const char* path, fuse_file_info*) {
    if (std::strcmp(path, StatsPath) != 0) {
        count("close");
    }
    return 0;
}
int onRelease(const char* path, fuse_file_info* fi) {
    if (std::strcmp(path, StatsPath) != 0) {
        close(static_cast<int>(fi->fh));
        if (--stick().openFiles[path] <= 0) {
            stick().openFiles.erase(path);
        }
    }
    return 0;
}
int onFsync(const char*, int, fuse_file_info*) {
    count("fsync");
    charge(stick().flushSeconds);
    return 0;
}
int onFsyncdir(const char*, int, fuse_file_info*) {
    count("fsyncdir");
    charge(stick().flushSeconds);
    return 0;
}

void* onInit(fuse_conn_info*, fuse_config* config) {
    // No cached names or attributes, so that every call of the program arrives here (see
    // above); a stat is then one lookup, which returns fresh attributes with it.
    config->entry_timeout = 0;
    config->negative_timeout = 0;
    config->attr_timeout = 1;
    config->hard_remove = 1; // an unlinked open file needs no hidden rename
    return fuse_get_context()->private_data;
}

bool takeOption(std::string_view argument, std::string_view name, double& value) {
    if (!argument.starts_with(name)) {
        return false;
    }
    value = std::strtod(std::string(argument.substr(name.size())).c_str(), nullptr);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Stick s;
    double writeMbps = 10, metaMs = 5, flushMs = 20;
    int next = 1;
    while (next < argc && (takeOption(argv[next], "--write-mbps=", writeMbps) ||
                           takeOption(argv[next], "--meta-ms=", metaMs) ||
                           takeOption(argv[next], "--flush-ms=", flushMs))) {
        ++next;
    }
    if (argc - next != 2) {
        std::fprintf(stderr,
                     "usage: %s [--write-mbps=10] [--meta-ms=5] [--flush-ms=20] "
                     "BACKING MOUNTPOINT\n",
                     argv[0]);
        return 2;
    }
    s.secondsPerByte = 1.0 / (writeMbps * 1e6);
    s.metaSeconds = metaMs / 1000;
    s.flushSeconds = flushMs / 1000;
    s.backing = open(argv[next], O_RDONLY | O_DIRECTORY);
    if (s.backing < 0) {
        std::perror(argv[next]);
        return 1;
    }

    fuse_operations operations{};
    operations.getattr = onGetattr;
    operations.readdir = onReaddir;
    operations.mkdir = onMkdir;
    operations.unlink = onUnlink;
    operations.rmdir = onRmdir;
    operations.rename = onRename;
    operations.chmod = onChmod;
    operations.truncate = onTruncate;
    operations.utimens = onUtimens;
    operations.create = onCreate;
    operations.open = onOpen;
    operations.read = onRead;
    operations.write = onWrite;
    operations.statfs = onStatfs;
    operations.flush = onFlush;
    operations.release = onRelease;
    operations.fsync = onFsync;
    operations.fsyncdir = onFsyncdir;
    operations.init = onInit;
    // One thread: a stick does one thing at a time. fuse_main goes into the background once
    // the mount stands, so the caller may use it as soon as this program returns.
    std::vector<char*> fuseArguments = {argv[0], argv[next + 1], const_cast<char*>("-s"),
                                        const_cast<char*>("-o"),
                                        const_cast<char*>("fsname=slowstick")};
    return fuse_main(static_cast<int>(fuseArguments.size()), fuseArguments.data(), &operations, &s);
}
