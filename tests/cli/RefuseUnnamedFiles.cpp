// Preloaded into velt-cli by the tests: refuses unnamed temporary files (O_TMPFILE) as FAT
// sticks and network shares do, so that the named fallback runs.
#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>

namespace {

int Pass(int folder, const char* path, int flags, mode_t mode) {
    if ((flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    using OpenAt = int (*)(int, const char*, int, ...);
    return reinterpret_cast<OpenAt>(::dlsym(RTLD_NEXT, "openat"))(folder, path, flags, mode);
}

mode_t ModeOf(int flags, va_list& rest) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(rest, unsigned)) : 0;
}

} // namespace

extern "C" int openat(int folder, const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = ModeOf(flags, rest);
    va_end(rest);
    return Pass(folder, path, flags, mode);
}

extern "C" int open(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = ModeOf(flags, rest);
    va_end(rest);
    return Pass(AT_FDCWD, path, flags, mode);
}

// On 64-bit systems the 64 forms are the same calls.
extern "C" int openat64(int folder, const char* path, int flags, ...) __attribute__((alias("openat")));
extern "C" int open64(const char* path, int flags, ...) __attribute__((alias("open")));
