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
 *
 * It can also slow a process down instead of killing it, to widen a window between two steps
 * that another process might slip into:
 *
 *   TONARION_DELAY_WRITES_TO=TEXT  every write into a file below the root whose path holds
 *   TONARION_DELAY_MS=MS           TEXT waits MS milliseconds before it is made.
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
static const char* g_delayedPath;
static long g_delayMs;
static const char* g_countFile;
/* The shim's own calls (realpath, the log) must neither count nor recurse. */
static __thread int t_inside;

/* The function of the C library that the wrapper of the same name stands in for. */
#define REAL(name)                                                                                 \
    ({                                                                                             \
        static __typeof__(&name) real_;                                                            \
        if (!real_)                                                                                \
            real_ = (__typeof__(&name))dlsym(RTLD_NEXT, #name);                                    \
        real_;                                                                                     \
    })

static void logLine(const char* format, ...) {
    char line[3 * PATH_MAX];
    va_list args;
    va_start(args, format);
    const int length = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    /* One write per line: with O_APPEND the lines of a killed process are all there. */
    if (g_logFd >= 0 && length > 0) {
        const size_t size = (size_t)length < sizeof line ? (size_t)length : sizeof line - 1;
        const ssize_t written = REAL(write)(g_logFd, line, size);
        (void)written;
    }
}

static long numberFrom(const char* variable) {
    const char* value = getenv(variable);
    return value ? atol(value) : 0;
}

__attribute__((constructor)) static void startShim(void) {
    t_inside = 1;
    const char* root = getenv("TONARION_KILL_ROOT");
    if (root && *root && realpath(root, g_root)) {
        g_rootLength = strlen(g_root);
    }
    g_killAt = numberFrom("TONARION_KILL_AT");
    const char* when = getenv("TONARION_KILL_WHEN");
    g_killAfter = when && strcmp(when, "after") == 0;
    g_killWriteAt = numberFrom("TONARION_KILL_WRITE_AT");
    g_countFile = getenv("TONARION_KILL_COUNT");
    g_delayedPath = getenv("TONARION_DELAY_WRITES_TO");
    g_delayMs = numberFrom("TONARION_DELAY_MS");
    const char* log = getenv("TONARION_KILL_LOG");
    if (log && *log) {
        g_logFd = REAL(open)(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    }
    t_inside = 0;
}

__attribute__((destructor)) static void endShim(void) {
    t_inside = 1;
    if (g_countFile && *g_countFile) {
        const int fd = REAL(open)(g_countFile, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            dprintf(fd, "operations %ld writes %ld\n", g_operations, g_writes);
            close(fd);
        }
    }
}

/* The path of the file that fd names. */
static int fdPath(int fd, char* out, size_t size) {
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, out, size - 1);
    if (length < 0) {
        return 0;
    }
    out[length] = '\0';
    return 1;
}

/* The absolute path that path names relative to dirfd, without resolving its last part; with
 * no path, that of the file dirfd names. */
static int absolutePath(int dirfd, const char* path, char* out, size_t size) {
    if (!path) {
        return dirfd >= 0 && fdPath(dirfd, out, size);
    }
    if (path[0] == '/') {
        return snprintf(out, size, "%s", path) < (int)size;
    }
    char base[PATH_MAX];
    if (dirfd == AT_FDCWD ? !getcwd(base, sizeof base) : !fdPath(dirfd, base, sizeof base)) {
        return 0;
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
    return belowRoot(realpath(folder, canonical) ? canonical : path);
}

static int isSystemPath(const char* path) {
    return strncmp(path, "/dev/", 5) == 0 || strncmp(path, "/proc/", 6) == 0 ||
           strncmp(path, "/sys/", 5) == 0;
}

/* Counts an operation on the paths, killing the process when it is the chosen one and comes
 * before; true when it is the chosen one and comes after. Without a first path, the operation
 * is on the file dirfd names, and counts only below the root. */
static int beginOperation(const char* name, int dirfd, const char* path, int dirfd2,
                          const char* path2) {
    if (t_inside) {
        return 0;
    }
    t_inside = 1;
    const int savedErrno = errno;
    char first[PATH_MAX] = "";
    char second[PATH_MAX] = "";
    const int haveFirst = absolutePath(dirfd, path, first, sizeof first);
    const int haveSecond = path2 && absolutePath(dirfd2, path2, second, sizeof second);
    int killAfter = 0;
    if ((haveFirst && pathBelowRoot(first)) || (haveSecond && pathBelowRoot(second))) {
        const long number = __atomic_add_fetch(&g_operations, 1, __ATOMIC_SEQ_CST);
        logLine("op %ld %s %s%s%s\n", number, name, first, haveSecond ? " " : "", second);
        if (number == g_killAt && !g_killAfter) {
            raise(SIGKILL);
        }
        killAfter = number == g_killAt;
    } else if (path &&
               ((haveFirst && !isSystemPath(first)) || (haveSecond && !isSystemPath(second)))) {
        logLine("outside %s %s%s%s\n", name, first, haveSecond ? " " : "", second);
    }
    errno = savedErrno;
    t_inside = 0;
    return killAfter;
}

static void countWrite(int fd, ssize_t written) {
    if (t_inside || written < 0) {
        return;
    }
    t_inside = 1;
    const int savedErrno = errno;
    char path[PATH_MAX];
    if (fdPath(fd, path, sizeof path) && belowRoot(path)) {
        const long number = __atomic_add_fetch(&g_writes, 1, __ATOMIC_SEQ_CST);
        logLine("write %ld %s %zd\n", number, path, written);
        if (number == g_killWriteAt) {
            raise(SIGKILL);
        }
    }
    errno = savedErrno;
    t_inside = 0;
}

static void delayWrite(int fd) {
    if (t_inside || !g_delayedPath || !*g_delayedPath || g_delayMs <= 0) {
        return;
    }
    t_inside = 1;
    const int savedErrno = errno;
    char path[PATH_MAX];
    if (fdPath(fd, path, sizeof path) && belowRoot(path) && strstr(path, g_delayedPath)) {
        usleep((useconds_t)(g_delayMs * 1000));
    }
    errno = savedErrno;
    t_inside = 0;
}

static int fopenChanges(const char* mode) {
    return mode && strpbrk(mode, "wa+") != NULL;
}

static int opensForChange(int flags) {
    return (flags & (O_CREAT | O_TRUNC)) != 0 || (flags & O_ACCMODE) != O_RDONLY ||
           (flags & O_TMPFILE) == O_TMPFILE;
}

/* Runs call and returns its result; when changes holds, as an operation on the paths given
 * after it (dirfd, path, dirfd2, path2; see beginOperation). */
#define AROUND(changes, ret, name, call, ...)                                                      \
    do {                                                                                           \
        const int killAfter_ = (changes) && beginOperation(name, __VA_ARGS__);                     \
        ret result_ = call;                                                                        \
        if (killAfter_) {                                                                          \
            raise(SIGKILL);                                                                        \
        }                                                                                          \
        return result_;                                                                            \
    } while (0)

/* The paths of an operation on one path, on two, and on the file a descriptor names. */
#define AT(dirfd, path) dirfd, path, AT_FDCWD, NULL
#define ONE_PATH(path) AT(AT_FDCWD, path)
#define TWO_PATHS(from, to) AT_FDCWD, from, AT_FDCWD, to
#define FILE_OF(fd) AT(fd, NULL)

/* The wrapper of name: params and args as in its declaration and call, then as AROUND. */
#define WRAP(ret, name, params, args, changes, ...)                                                \
    ret name params {                                                                              \
        AROUND(changes, ret, #name, REAL(name) args, __VA_ARGS__);                                 \
    }

/* An open with a mode argument, which is there only with O_CREAT or O_TMPFILE. */
#define WRAP_OPEN(name, params, args, dirfd)                                                       \
    int name params {                                                                              \
        va_list list;                                                                              \
        va_start(list, flags);                                                                     \
        const mode_t mode =                                                                        \
            (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? (mode_t)va_arg(list, int) : 0; \
        va_end(list);                                                                              \
        AROUND(opensForChange(flags), int, #name, REAL(name) args, AT(dirfd, path));               \
    }

WRAP_OPEN(open, (const char* path, int flags, ...), (path, flags, mode), AT_FDCWD)
WRAP_OPEN(open64, (const char* path, int flags, ...), (path, flags, mode), AT_FDCWD)
WRAP_OPEN(openat, (int dirfd, const char* path, int flags, ...), (dirfd, path, flags, mode), dirfd)
WRAP_OPEN(openat64, (int dirfd, const char* path, int flags, ...), (dirfd, path, flags, mode),
          dirfd)
WRAP(int, __open_2, (const char* path, int flags), (path, flags), opensForChange(flags),
     ONE_PATH(path))
WRAP(int, __open64_2, (const char* path, int flags), (path, flags), opensForChange(flags),
     ONE_PATH(path))
WRAP(int, __openat_2, (int dirfd, const char* path, int flags), (dirfd, path, flags),
     opensForChange(flags), AT(dirfd, path))
WRAP(int, __openat64_2, (int dirfd, const char* path, int flags), (dirfd, path, flags),
     opensForChange(flags), AT(dirfd, path))
WRAP(FILE*, fopen, (const char* path, const char* mode), (path, mode), fopenChanges(mode),
     ONE_PATH(path))
WRAP(FILE*, fopen64, (const char* path, const char* mode), (path, mode), fopenChanges(mode),
     ONE_PATH(path))
WRAP(int, creat, (const char* path, mode_t mode), (path, mode), 1, ONE_PATH(path))
WRAP(int, creat64, (const char* path, mode_t mode), (path, mode), 1, ONE_PATH(path))
WRAP(int, rename, (const char* from, const char* to), (from, to), 1, TWO_PATHS(from, to))
WRAP(int, renameat, (int fromDir, const char* from, int toDir, const char* to),
     (fromDir, from, toDir, to), 1, fromDir, from, toDir, to)
WRAP(int, renameat2, (int fromDir, const char* from, int toDir, const char* to, unsigned flags),
     (fromDir, from, toDir, to, flags), 1, fromDir, from, toDir, to)
WRAP(int, link, (const char* from, const char* to), (from, to), 1, TWO_PATHS(from, to))
WRAP(int, linkat, (int fromDir, const char* from, int toDir, const char* to, int flags),
     (fromDir, from, toDir, to, flags), 1, fromDir, from, toDir, to)
WRAP(int, unlink, (const char* path), (path), 1, ONE_PATH(path))
WRAP(int, unlinkat, (int dirfd, const char* path, int flags), (dirfd, path, flags), 1,
     AT(dirfd, path))
WRAP(int, mkdir, (const char* path, mode_t mode), (path, mode), 1, ONE_PATH(path))
WRAP(int, mkdirat, (int dirfd, const char* path, mode_t mode), (dirfd, path, mode), 1,
     AT(dirfd, path))
WRAP(int, rmdir, (const char* path), (path), 1, ONE_PATH(path))
/* glibc's remove reaches unlink inside the library, past this shim. */
WRAP(int, remove, (const char* path), (path), 1, ONE_PATH(path))
WRAP(int, truncate, (const char* path, off_t length), (path, length), 1, ONE_PATH(path))
WRAP(int, ftruncate, (int fd, off_t length), (fd, length), 1, FILE_OF(fd))
WRAP(int, fallocate, (int fd, int mode, off_t offset, off_t length), (fd, mode, offset, length), 1,
     FILE_OF(fd))
WRAP(int, posix_fallocate, (int fd, off_t offset, off_t length), (fd, offset, length), 1,
     FILE_OF(fd))

/* A write of name into the file out. */
#define WRAP_WRITE(name, params, args, out)                                                        \
    ssize_t name params {                                                                          \
        delayWrite(out);                                                                           \
        const ssize_t written = REAL(name) args;                                                   \
        countWrite(out, written);                                                                  \
        return written;                                                                            \
    }

WRAP_WRITE(write, (int fd, const void* data, size_t size), (fd, data, size), fd)
WRAP_WRITE(pwrite, (int fd, const void* data, size_t size, off_t at), (fd, data, size, at), fd)
WRAP_WRITE(pwrite64, (int fd, const void* data, size_t size, off_t at), (fd, data, size, at), fd)
WRAP_WRITE(writev, (int fd, const struct iovec* vector, int count), (fd, vector, count), fd)
WRAP_WRITE(copy_file_range,
           (int in, off_t* inOffset, int out, off_t* outOffset, size_t size, unsigned int flags),
           (in, inOffset, out, outOffset, size, flags), out)
WRAP_WRITE(sendfile, (int out, int in, off_t* offset, size_t size), (out, in, offset, size), out)
