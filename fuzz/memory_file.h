// The one file a fuzz target reads, kept in memory, so that the disk does not
// set the pace: made once, then given each input's bytes.
#pragma once
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

struct MemoryFile {
    int fd = -1;
    std::string path;  // for the game's fopen
};

inline MemoryFile OpenMemoryFile(const char* name) {
    MemoryFile file{memfd_create(name, MFD_CLOEXEC), ""};
    if (file.fd < 0) std::abort();
    file.path = "/proc/self/fd/" + std::to_string(file.fd);
    return file;
}

inline void Fill(const MemoryFile& file, const uint8_t* data, size_t size) {
    if (ftruncate(file.fd, 0) != 0) std::abort();
    if (size && pwrite(file.fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
}
