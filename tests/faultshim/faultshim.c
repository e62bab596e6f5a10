// A full disk on demand: preloaded into the game, it makes the file calls of one directory fail
// with ENOSPC while a control file says so, so a test can switch the fault on and off while the
// game keeps running.
//
//   LD_PRELOAD=libvantrel_faultshim.so
//   VANTREL_FAULT_DIR=/abs/dir          only paths below this directory are affected
//   VANTREL_FAULT_CONTROL=/abs/file     while it exists, its first word names the failing call:
//     open    opening a file for writing fails
//     write   the first write stores half the bytes, every later one fails (a disk filling up)
//     stall   write stores nothing and reports no error (returns 0), as some devices do
//     fsync   fsync and fdatasync fail
//     close   close releases the descriptor and reports failure, as Linux does
//     rename  rename fails
//
// Every injected failure is announced on standard error as "[faultshim] CALL PATH", so a test
// can pair it with what the game reported. Reading is never disturbed.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { kMaxFds = 4096 };

// Descriptors opened for writing below the directory, with their path; half_written marks
// those that already received their short write.
static char* g_paths[kMaxFds];
static char g_halfWritten[kMaxFds];

static void* nextSym(const char* name) {
    return dlsym(RTLD_NEXT, name);
}

#define REAL(ret, name, ...)                                        \
    static ret (*real_##name)(__VA_ARGS__);                         \
    static ret (*get_##name(void))(__VA_ARGS__) {                   \
        if (!real_##name) *(void**)(&real_##name) = nextSym(#name); \
        return real_##name;                                         \
    }

REAL(int, open, const char*, int, ...)
REAL(int, open64, const char*, int, ...)
REAL(int, openat, int, const char*, int, ...)
REAL(int, openat64, int, const char*, int, ...)
REAL(ssize_t, write, int, const void*, size_t)
REAL(int, fsync, int)
REAL(int, fdatasync, int)
REAL(int, close, int)
REAL(int, rename, const char*, const char*)
REAL(int, renameat, int, const char*, int, const char*)
REAL(int, renameat2, int, const char*, int, const char*, unsigned)

static int underDir(const char* path) {
    const char* dir = getenv("VANTREL_FAULT_DIR");
    if (!dir || !*dir || !path) return 0;
    size_t n = strlen(dir);
    while (n > 1 && dir[n - 1] == '/')
        --n;
    return strncmp(path, dir, n) == 0 && (path[n] == '/' || path[n] == '\0');
}

// The call named in the control file, or "" while there is no fault.
static const char* activeFault(void) {
    static char word[16];
    word[0] = '\0';
    const char* control = getenv("VANTREL_FAULT_CONTROL");
    if (!control || !*control) return word;
    int fd = get_open()(control, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return word;
    char buf[sizeof word];
    ssize_t n = read(fd, buf, sizeof buf - 1);
    get_close()(fd);
    if (n <= 0) return word;
    buf[n] = '\0';
    size_t i = 0;
    while (i < (size_t)n && buf[i] >= 'a' && buf[i] <= 'z') {
        word[i] = buf[i];
        ++i;
    }
    word[i] = '\0';
    return word;
}

static int faultIs(const char* call) {
    return strcmp(activeFault(), call) == 0;
}

static int inject(const char* call, const char* path) {
    char line[4200];
    int len = snprintf(line, sizeof line, "[faultshim] %s %s\n", call, path ? path : "?");
    if (len > 0) get_write()(2, line, (size_t)len < sizeof line ? (size_t)len : sizeof line - 1);
    errno = ENOSPC;
    return -1;
}

static int tracked(int fd) {
    return fd >= 0 && fd < kMaxFds && g_paths[fd] != NULL;
}

static void forget(int fd) {
    if (fd < 0 || fd >= kMaxFds) return;
    free(g_paths[fd]);
    g_paths[fd] = NULL;
    g_halfWritten[fd] = 0;
}

static int opened(int fd, const char* path, int flags) {
    if (fd < 0 || fd >= kMaxFds) return fd;
    forget(fd);
    if ((flags & (O_WRONLY | O_RDWR | O_CREAT)) && underDir(path)) g_paths[fd] = strdup(path);
    return fd;
}

static int writesBelow(const char* path, int flags) {
    return (flags & (O_WRONLY | O_RDWR | O_CREAT)) && underDir(path);
}

static mode_t modeArg(int flags, va_list ap) {
    return (flags & (O_CREAT | O_TMPFILE)) ? (mode_t)va_arg(ap, int) : 0;
}

// ---- Opening ----

int open(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = modeArg(flags, ap);
    va_end(ap);
    if (writesBelow(path, flags) && faultIs("open")) return inject("open", path);
    return opened(get_open()(path, flags, mode), path, flags);
}

int open64(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = modeArg(flags, ap);
    va_end(ap);
    if (writesBelow(path, flags) && faultIs("open")) return inject("open", path);
    return opened(get_open64()(path, flags, mode), path, flags);
}

int openat(int dirfd, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = modeArg(flags, ap);
    va_end(ap);
    if (path[0] == '/' && writesBelow(path, flags) && faultIs("open")) return inject("open", path);
    int fd = get_openat()(dirfd, path, flags, mode);
    return path[0] == '/' ? opened(fd, path, flags) : fd;
}

int openat64(int dirfd, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = modeArg(flags, ap);
    va_end(ap);
    if (path[0] == '/' && writesBelow(path, flags) && faultIs("open")) return inject("open", path);
    int fd = get_openat64()(dirfd, path, flags, mode);
    return path[0] == '/' ? opened(fd, path, flags) : fd;
}

int creat(const char* path, mode_t mode) {
    return open(path, O_WRONLY | O_CREAT | O_TRUNC, mode);
}

int creat64(const char* path, mode_t mode) {
    return open64(path, O_WRONLY | O_CREAT | O_TRUNC, mode);
}

// The fortified entry points a _FORTIFY_SOURCE build calls when it cannot check the mode.
int __open_2(const char* path, int flags) {
    return open(path, flags);
}
int __open64_2(const char* path, int flags) {
    return open64(path, flags);
}
int __openat_2(int dirfd, const char* path, int flags) {
    return openat(dirfd, path, flags);
}
int __openat64_2(int dirfd, const char* path, int flags) {
    return openat64(dirfd, path, flags);
}

// ---- Writing, syncing, closing ----

ssize_t write(int fd, const void* buf, size_t count) {
    if (tracked(fd) && count > 0 && faultIs("stall")) {
        inject("stall", g_paths[fd]);
        errno = 0;
        return 0;
    }
    if (tracked(fd) && count > 0 && faultIs("write")) {
        if (!g_halfWritten[fd]) {
            g_halfWritten[fd] = 1;
            size_t half = count / 2 ? count / 2 : 1;
            return get_write()(fd, buf, half);
        }
        return inject("write", g_paths[fd]);
    }
    return get_write()(fd, buf, count);
}

int fsync(int fd) {
    if (tracked(fd) && faultIs("fsync")) return inject("fsync", g_paths[fd]);
    return get_fsync()(fd);
}

int fdatasync(int fd) {
    if (tracked(fd) && faultIs("fsync")) return inject("fsync", g_paths[fd]);
    return get_fdatasync()(fd);
}

int close(int fd) {
    if (tracked(fd) && faultIs("close")) {
        char* path = g_paths[fd];
        g_paths[fd] = NULL;
        forget(fd);
        get_close()(fd);
        int r = inject("close", path);
        free(path);
        return r;
    }
    forget(fd);
    return get_close()(fd);
}

// ---- Renaming ----

static int renameFaults(const char* from, const char* to) {
    return (underDir(from) || underDir(to)) && faultIs("rename");
}

int rename(const char* from, const char* to) {
    if (renameFaults(from, to)) return inject("rename", from);
    return get_rename()(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    if (from && from[0] == '/' && to && to[0] == '/' && renameFaults(from, to))
        return inject("rename", from);
    return get_renameat()(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    if (from && from[0] == '/' && to && to[0] == '/' && renameFaults(from, to))
        return inject("rename", from);
    return get_renameat2()(fromDir, from, toDir, to, flags);
}
