// The fuzz input as a file: it lives in an in-memory file reached through
// /proc, so the code under test opens it by path like any other file without
// touching the disk.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

inline const char* FuzzInputPath(const uint8_t* data, size_t size) {
    static int fd = memfd_create("fuzz-input", MFD_CLOEXEC);
    static char path[64];
    if (fd < 0 || ftruncate(fd, 0) != 0) std::abort();
    if (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    std::snprintf(path, sizeof(path), "/proc/self/fd/%d", fd);
    return path;
}

inline void FuzzCheck(bool ok) {
    if (!ok) std::abort();
}
