// A slow drive for the program under test, loaded with LD_PRELOAD: every read of a regular
// file under the folder LUMIVO_SLOW_DRIVE waits LUMIVO_SLOW_READ_US microseconds first, and
// every look at a path there (stat and its kin) LUMIVO_SLOW_STAT_US. Everything else (the
// settings, the libraries, fonts, sockets, pipes, the event loop's own counters) is left
// alone, so that only what the books' drive would slow is slowed.

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace
{
long Microseconds(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::strtol(value, nullptr, 10) : 0;
}

void Wait(long us)
{
    if (us <= 0)
        return;
    timespec pause { us / 1000000, (us % 1000000) * 1000 };
    while (nanosleep(&pause, &pause) != 0) { }
}

template <typename F> F Next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool OnDrive(const char* path)
{
    static const char* drive = std::getenv("LUMIVO_SLOW_DRIVE");
    return drive && path && std::strncmp(path, drive, std::strlen(drive)) == 0;
}

// The path a descriptor was opened by, or "".
void PathOf(int fd, char (&path)[PATH_MAX])
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, sizeof path - 1);
    path[length > 0 ? length : 0] = '\0';
}

bool IsRegularFileOnDrive(int fd)
{
    using Fstat = int (*)(int, struct stat*);
    static const Fstat real = Next<Fstat>("fstat");
    struct stat st;
    if (!real || real(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    char path[PATH_MAX];
    PathOf(fd, path);
    return OnDrive(path);
}

void SlowRead(int fd)
{
    static const long us = Microseconds("LUMIVO_SLOW_READ_US");
    if (us > 0 && IsRegularFileOnDrive(fd))
        Wait(us);
}

// dir: the folder a relative path is taken from (AT_FDCWD for the working folder).
void SlowStat(int dir, const char* path)
{
    static const long us = Microseconds("LUMIVO_SLOW_STAT_US");
    if (us <= 0 || !path)
        return;
    char folder[PATH_MAX] = "";
    if (path[0] != '/') {
        if (dir == AT_FDCWD) {
            if (!getcwd(folder, sizeof folder))
                return;
        } else {
            PathOf(dir, folder);
        }
    }
    if (OnDrive(path[0] == '/' ? path : folder))
        Wait(us);
}
} // namespace

extern "C" {

ssize_t read(int fd, void* buffer, size_t size)
{
    using Read = ssize_t (*)(int, void*, size_t);
    static const Read real = Next<Read>("read");
    SlowRead(fd);
    return real(fd, buffer, size);
}

ssize_t pread64(int fd, void* buffer, size_t size, off64_t offset)
{
    using Pread = ssize_t (*)(int, void*, size_t, off64_t);
    static const Pread real = Next<Pread>("pread64");
    SlowRead(fd);
    return real(fd, buffer, size, offset);
}

ssize_t readv(int fd, const iovec* vectors, int count)
{
    using Readv = ssize_t (*)(int, const iovec*, int);
    static const Readv real = Next<Readv>("readv");
    SlowRead(fd);
    return real(fd, vectors, count);
}

int stat(const char* path, struct stat* st)
{
    using Stat = int (*)(const char*, struct stat*);
    static const Stat real = Next<Stat>("stat");
    SlowStat(AT_FDCWD, path);
    return real(path, st);
}

int lstat(const char* path, struct stat* st)
{
    using Stat = int (*)(const char*, struct stat*);
    static const Stat real = Next<Stat>("lstat");
    SlowStat(AT_FDCWD, path);
    return real(path, st);
}

int fstatat(int dir, const char* path, struct stat* st, int flags)
{
    using Fstatat = int (*)(int, const char*, struct stat*, int);
    static const Fstatat real = Next<Fstatat>("fstatat");
    SlowStat(dir, path);
    return real(dir, path, st, flags);
}

int statx(int dir, const char* path, int flags, unsigned int mask, struct statx* st)
{
    using Statx = int (*)(int, const char*, int, unsigned int, struct statx*);
    static const Statx real = Next<Statx>("statx");
    SlowStat(dir, path);
    return real(dir, path, flags, mask, st);
}
}
