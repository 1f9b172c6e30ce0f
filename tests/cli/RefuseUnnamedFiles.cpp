// Preloaded into velt-cli by the tests: refuses unnamed temporary files (O_TMPFILE) as FAT
// sticks and network shares do, so that the named fallback runs.
#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>

namespace {

template <class Open> int Pass(const char* name, int folder, const char* path, int flags, mode_t mode) {
    if ((flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    const auto real = reinterpret_cast<Open>(::dlsym(RTLD_NEXT, name));
    return real(folder, path, flags, mode);
}

mode_t ModeOf(int flags, va_list& rest) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(rest, unsigned)) : 0;
}

using OpenAt = int (*)(int, const char*, int, ...);

} // namespace

extern "C" int openat(int folder, const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = ModeOf(flags, rest);
    va_end(rest);
    return Pass<OpenAt>("openat", folder, path, flags, mode);
}

extern "C" int openat64(int folder, const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = ModeOf(flags, rest);
    va_end(rest);
    return Pass<OpenAt>("openat64", folder, path, flags, mode);
}

extern "C" int open(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = ModeOf(flags, rest);
    va_end(rest);
    return Pass<OpenAt>("openat", AT_FDCWD, path, flags, mode);
}

extern "C" int open64(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = ModeOf(flags, rest);
    va_end(rest);
    return Pass<OpenAt>("openat64", AT_FDCWD, path, flags, mode);
}
