/* Kills the process it is preloaded into at a chosen file operation on the stick, so that a test
 * sees what a real crash, a closed terminal or a killed task leaves there.
 *
 *   LD_PRELOAD=libtonarion_killshim.so TONARION_KILL_ROOT=/mnt/stick tonarion-cli ...
 *
 * Only operations on paths below TONARION_KILL_ROOT count. An operation is whatever changes a
 * folder or a file: an open that creates, truncates or may write; creat, rename, link, unlink,
 * mkdir, rmdir, truncate and fallocate. Separately from them, every write to a file below the
 * root counts as a write (write, pwrite, writev, copy_file_range and sendfile into it).
 *
 *   TONARION_KILL_AT=K        the K-th operation (from 1) ends the process with SIGKILL,
 *   TONARION_KILL_WHEN=before   before the operation is done (the default), or
 *                     =after    right after it.
 *   TONARION_KILL_WRITE_AT=N  the N-th write ends the process right after it: a copy
 *                             interrupted half-way.
 *   TONARION_KILL_COUNT=FILE  at a normal exit, "operations O writes W" goes there.
 *   TONARION_KILL_LOG=FILE    every counted operation and write is appended there as it
 *                             happens ("op K NAME PATH [PATH]", "write N PATH BYTES"), and
 *                             every operation that changes something outside the root and
 *                             outside /dev, /proc and /sys ("outside NAME PATH").
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

static char g_root[PATH_MAX];
static size_t g_rootLength;
static long g_killAt;
static int g_killAfter;
static long g_killWriteAt;
static long g_operations;
static long g_writes;
static int g_logFd = -1;
static const char* g_countFile;
/* The shim's own calls (realpath, the log) must neither count nor recurse. */
static __thread int t_inside;

#define DECLARE_REAL(ret, name, ...)                                                               \
    static ret (*real_##name)(__VA_ARGS__);                                                        \
    static ret (*get_##name(void))(__VA_ARGS__) {                                                  \
        if (!real_##name)                                                                          \
            real_##name = (ret(*)(__VA_ARGS__))dlsym(RTLD_NEXT, #name);                            \
        return real_##name;                                                                        \
    }

DECLARE_REAL(ssize_t, write, int, const void*, size_t)
DECLARE_REAL(int, open, const char*, int, ...)
DECLARE_REAL(int, open64, const char*, int, ...)
DECLARE_REAL(int, __open_2, const char*, int)
DECLARE_REAL(int, __open64_2, const char*, int)
DECLARE_REAL(int, openat, int, const char*, int, ...)
DECLARE_REAL(int, openat64, int, const char*, int, ...)
DECLARE_REAL(int, __openat_2, int, const char*, int)
DECLARE_REAL(int, __openat64_2, int, const char*, int)
DECLARE_REAL(int, creat, const char*, mode_t)
DECLARE_REAL(int, creat64, const char*, mode_t)
DECLARE_REAL(FILE*, fopen, const char*, const char*)
DECLARE_REAL(FILE*, fopen64, const char*, const char*)
DECLARE_REAL(int, rename, const char*, const char*)
DECLARE_REAL(int, renameat, int, const char*, int, const char*)
DECLARE_REAL(int, renameat2, int, const char*, int, const char*, unsigned int)
DECLARE_REAL(int, link, const char*, const char*)
DECLARE_REAL(int, linkat, int, const char*, int, const char*, int)
DECLARE_REAL(int, unlink, const char*)
DECLARE_REAL(int, unlinkat, int, const char*, int)
DECLARE_REAL(int, mkdir, const char*, mode_t)
DECLARE_REAL(int, mkdirat, int, const char*, mode_t)
DECLARE_REAL(int, rmdir, const char*)
DECLARE_REAL(int, remove, const char*)
DECLARE_REAL(int, truncate, const char*, off_t)
DECLARE_REAL(int, ftruncate, int, off_t)
DECLARE_REAL(int, fallocate, int, int, off_t, off_t)
DECLARE_REAL(int, posix_fallocate, int, off_t, off_t)
DECLARE_REAL(ssize_t, pwrite, int, const void*, size_t, off_t)
DECLARE_REAL(ssize_t, pwrite64, int, const void*, size_t, off_t)
DECLARE_REAL(ssize_t, writev, int, const struct iovec*, int)
DECLARE_REAL(ssize_t, copy_file_range, int, off_t*, int, off_t*, size_t, unsigned int)
DECLARE_REAL(ssize_t, sendfile, int, int, off_t*, size_t)

static void logLine(const char* format, ...) {
    if (g_logFd < 0) {
        return;
    }
    char line[3 * PATH_MAX];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length < 0) {
        return;
    }
    if ((size_t)length >= sizeof line) {
        length = sizeof line - 1;
    }
    /* One write per line: with O_APPEND the lines of a killed process are all there. */
    get_write()(g_logFd, line, (size_t)length);
}

__attribute__((constructor)) static void startShim(void) {
    t_inside = 1;
    const char* root = getenv("TONARION_KILL_ROOT");
    if (root && *root && realpath(root, g_root)) {
        g_rootLength = strlen(g_root);
    }
    const char* at = getenv("TONARION_KILL_AT");
    g_killAt = at ? atol(at) : 0;
    const char* when = getenv("TONARION_KILL_WHEN");
    g_killAfter = when && strcmp(when, "after") == 0;
    const char* writeAt = getenv("TONARION_KILL_WRITE_AT");
    g_killWriteAt = writeAt ? atol(writeAt) : 0;
    g_countFile = getenv("TONARION_KILL_COUNT");
    const char* log = getenv("TONARION_KILL_LOG");
    if (log && *log) {
        g_logFd = get_open()(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    }
    t_inside = 0;
}

__attribute__((destructor)) static void endShim(void) {
    t_inside = 1;
    if (g_countFile && *g_countFile) {
        const int fd = get_open()(g_countFile, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            char text[64];
            const int length =
                snprintf(text, sizeof text, "operations %ld writes %ld\n", g_operations, g_writes);
            get_write()(fd, text, (size_t)length);
            close(fd);
        }
    }
}

/* The absolute path that path names relative to dirfd, without resolving its last part. */
static int absolutePath(int dirfd, const char* path, char* out, size_t size) {
    if (!path) {
        return 0;
    }
    if (path[0] == '/') {
        return snprintf(out, size, "%s", path) < (int)size;
    }
    char base[PATH_MAX];
    if (dirfd == AT_FDCWD) {
        if (!getcwd(base, sizeof base)) {
            return 0;
        }
    } else {
        char link[64];
        snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
        const ssize_t length = readlink(link, base, sizeof base - 1);
        if (length < 0) {
            return 0;
        }
        base[length] = '\0';
    }
    return snprintf(out, size, "%s/%s", base, path) < (int)size;
}

static int belowRoot(const char* canonical) {
    return g_rootLength > 0 && strncmp(canonical, g_root, g_rootLength) == 0 &&
           (canonical[g_rootLength] == '/' || canonical[g_rootLength] == '\0');
}

/* Whether the file at path lies below the root: its folder is resolved, so that another
 * spelling of the stick (a relative path, a symbolic link to it) counts too. */
static int pathBelowRoot(const char* path) {
    char folder[PATH_MAX];
    snprintf(folder, sizeof folder, "%s", path);
    char* slash = strrchr(folder, '/');
    if (slash == folder) {
        slash[1] = '\0';
    } else if (slash) {
        *slash = '\0';
    }
    char canonical[PATH_MAX];
    if (realpath(folder, canonical)) {
        return belowRoot(canonical);
    }
    return belowRoot(path);
}

static int fdBelowRoot(int fd, char* path, size_t size) {
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, size - 1);
    if (length < 0) {
        return 0;
    }
    path[length] = '\0';
    return belowRoot(path);
}

static int isSystemPath(const char* path) {
    return strncmp(path, "/dev/", 5) == 0 || strncmp(path, "/proc/", 6) == 0 ||
           strncmp(path, "/sys/", 5) == 0;
}

/* Whether an operation counted, and whether it ends the process once it is done. */
struct Operation {
    int counted;
    int killAfter;
};

static struct Operation beginOperation(const char* name, int dirfd, const char* path, int dirfd2,
                                       const char* path2) {
    struct Operation operation = {0, 0};
    if (t_inside) {
        return operation;
    }
    t_inside = 1;
    const int savedErrno = errno;
    char first[PATH_MAX] = "";
    char second[PATH_MAX] = "";
    const int haveFirst = absolutePath(dirfd, path, first, sizeof first);
    const int haveSecond = path2 && absolutePath(dirfd2, path2, second, sizeof second);
    const int below = (haveFirst && pathBelowRoot(first)) || (haveSecond && pathBelowRoot(second));
    if (below) {
        const long number = __atomic_add_fetch(&g_operations, 1, __ATOMIC_SEQ_CST);
        operation.counted = 1;
        logLine("op %ld %s %s%s%s\n", number, name, first, haveSecond ? " " : "", second);
        if (number == g_killAt) {
            if (!g_killAfter) {
                raise(SIGKILL);
            }
            operation.killAfter = 1;
        }
    } else if ((haveFirst && !isSystemPath(first)) || (haveSecond && !isSystemPath(second))) {
        logLine("outside %s %s%s%s\n", name, first, haveSecond ? " " : "", second);
    }
    errno = savedErrno;
    t_inside = 0;
    return operation;
}

static void endOperation(struct Operation operation) {
    if (operation.killAfter) {
        raise(SIGKILL);
    }
}

static void countWrite(int fd, ssize_t written) {
    if (t_inside || written < 0) {
        return;
    }
    t_inside = 1;
    const int savedErrno = errno;
    char path[PATH_MAX];
    if (fdBelowRoot(fd, path, sizeof path)) {
        const long number = __atomic_add_fetch(&g_writes, 1, __ATOMIC_SEQ_CST);
        logLine("write %ld %s %zd\n", number, path, written);
        if (number == g_killWriteAt) {
            raise(SIGKILL);
        }
    }
    errno = savedErrno;
    t_inside = 0;
}

static int opensForChange(int flags) {
    return (flags & (O_CREAT | O_TRUNC)) != 0 || (flags & O_ACCMODE) != O_RDONLY ||
           (flags & O_TMPFILE) == O_TMPFILE;
}

static mode_t modeArgument(int flags, va_list args) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? (mode_t)va_arg(args, int) : 0;
}

#define AROUND(name, dirfd, path, dirfd2, path2, call)                                             \
    do {                                                                                           \
        const struct Operation operation_ = beginOperation(name, dirfd, path, dirfd2, path2);      \
        __typeof__(call) result_ = call;                                                           \
        endOperation(operation_);                                                                  \
        return result_;                                                                            \
    } while (0)

#define OPEN_AT(name, dirfd, path, flags, call)                                                    \
    do {                                                                                           \
        if (!opensForChange(flags)) {                                                              \
            return call;                                                                           \
        }                                                                                          \
        AROUND(name, dirfd, path, AT_FDCWD, NULL, call);                                           \
    } while (0)

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    OPEN_AT("open", AT_FDCWD, path, flags, get_open()(path, flags, mode));
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    OPEN_AT("open", AT_FDCWD, path, flags, get_open64()(path, flags, mode));
}

int __open_2(const char* path, int flags) {
    OPEN_AT("open", AT_FDCWD, path, flags, get___open_2()(path, flags));
}

int __open64_2(const char* path, int flags) {
    OPEN_AT("open", AT_FDCWD, path, flags, get___open64_2()(path, flags));
}

int openat(int dirfd, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    OPEN_AT("openat", dirfd, path, flags, get_openat()(dirfd, path, flags, mode));
}

int openat64(int dirfd, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    OPEN_AT("openat", dirfd, path, flags, get_openat64()(dirfd, path, flags, mode));
}

int __openat_2(int dirfd, const char* path, int flags) {
    OPEN_AT("openat", dirfd, path, flags, get___openat_2()(dirfd, path, flags));
}

int __openat64_2(int dirfd, const char* path, int flags) {
    OPEN_AT("openat", dirfd, path, flags, get___openat64_2()(dirfd, path, flags));
}

int creat(const char* path, mode_t mode) {
    AROUND("creat", AT_FDCWD, path, AT_FDCWD, NULL, get_creat()(path, mode));
}

int creat64(const char* path, mode_t mode) {
    AROUND("creat", AT_FDCWD, path, AT_FDCWD, NULL, get_creat64()(path, mode));
}

static int fopenChanges(const char* mode) {
    return mode && strpbrk(mode, "wa+") != NULL;
}

FILE* fopen(const char* path, const char* mode) {
    if (!fopenChanges(mode)) {
        return get_fopen()(path, mode);
    }
    AROUND("fopen", AT_FDCWD, path, AT_FDCWD, NULL, get_fopen()(path, mode));
}

FILE* fopen64(const char* path, const char* mode) {
    if (!fopenChanges(mode)) {
        return get_fopen64()(path, mode);
    }
    AROUND("fopen", AT_FDCWD, path, AT_FDCWD, NULL, get_fopen64()(path, mode));
}

int rename(const char* from, const char* to) {
    AROUND("rename", AT_FDCWD, from, AT_FDCWD, to, get_rename()(from, to));
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    AROUND("renameat", fromDir, from, toDir, to, get_renameat()(fromDir, from, toDir, to));
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned int flags) {
    AROUND("renameat2", fromDir, from, toDir, to, get_renameat2()(fromDir, from, toDir, to, flags));
}

int link(const char* from, const char* to) {
    AROUND("link", AT_FDCWD, from, AT_FDCWD, to, get_link()(from, to));
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
    AROUND("linkat", fromDir, from, toDir, to, get_linkat()(fromDir, from, toDir, to, flags));
}

int unlink(const char* path) {
    AROUND("unlink", AT_FDCWD, path, AT_FDCWD, NULL, get_unlink()(path));
}

int unlinkat(int dirfd, const char* path, int flags) {
    AROUND("unlinkat", dirfd, path, AT_FDCWD, NULL, get_unlinkat()(dirfd, path, flags));
}

int mkdir(const char* path, mode_t mode) {
    AROUND("mkdir", AT_FDCWD, path, AT_FDCWD, NULL, get_mkdir()(path, mode));
}

int mkdirat(int dirfd, const char* path, mode_t mode) {
    AROUND("mkdirat", dirfd, path, AT_FDCWD, NULL, get_mkdirat()(dirfd, path, mode));
}

int rmdir(const char* path) {
    AROUND("rmdir", AT_FDCWD, path, AT_FDCWD, NULL, get_rmdir()(path));
}

/* glibc's remove reaches unlink inside the library, past this shim. */
int remove(const char* path) {
    AROUND("remove", AT_FDCWD, path, AT_FDCWD, NULL, get_remove()(path));
}

int truncate(const char* path, off_t length) {
    AROUND("truncate", AT_FDCWD, path, AT_FDCWD, NULL, get_truncate()(path, length));
}

/* The operations on a descriptor count when it names a file below the root. */
static struct Operation beginFdOperation(const char* name, int fd) {
    struct Operation none = {0, 0};
    if (t_inside) {
        return none;
    }
    char path[PATH_MAX];
    t_inside = 1;
    const int savedErrno = errno;
    const int below = fdBelowRoot(fd, path, sizeof path);
    errno = savedErrno;
    t_inside = 0;
    return below ? beginOperation(name, AT_FDCWD, path, AT_FDCWD, NULL) : none;
}

int ftruncate(int fd, off_t length) {
    const struct Operation operation = beginFdOperation("ftruncate", fd);
    const int result = get_ftruncate()(fd, length);
    endOperation(operation);
    return result;
}

int fallocate(int fd, int mode, off_t offset, off_t length) {
    const struct Operation operation = beginFdOperation("fallocate", fd);
    const int result = get_fallocate()(fd, mode, offset, length);
    endOperation(operation);
    return result;
}

int posix_fallocate(int fd, off_t offset, off_t length) {
    const struct Operation operation = beginFdOperation("posix_fallocate", fd);
    const int result = get_posix_fallocate()(fd, offset, length);
    endOperation(operation);
    return result;
}

ssize_t write(int fd, const void* data, size_t size) {
    const ssize_t written = get_write()(fd, data, size);
    countWrite(fd, written);
    return written;
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
    const ssize_t written = get_pwrite()(fd, data, size, offset);
    countWrite(fd, written);
    return written;
}

ssize_t pwrite64(int fd, const void* data, size_t size, off_t offset) {
    const ssize_t written = get_pwrite64()(fd, data, size, offset);
    countWrite(fd, written);
    return written;
}

ssize_t writev(int fd, const struct iovec* vector, int count) {
    const ssize_t written = get_writev()(fd, vector, count);
    countWrite(fd, written);
    return written;
}

ssize_t copy_file_range(int in, off_t* inOffset, int out, off_t* outOffset, size_t size,
                        unsigned int flags) {
    const ssize_t written = get_copy_file_range()(in, inOffset, out, outOffset, size, flags);
    countWrite(out, written);
    return written;
}

ssize_t sendfile(int out, int in, off_t* offset, size_t size) {
    const ssize_t written = get_sendfile()(out, in, offset, size);
    countWrite(out, written);
    return written;
}
