// Any "debug.txt" at all: GetConfig must read it without a fault and never
// report a negative number. The file lives in memory, so that the disk does
// not set the pace.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/records.h"

static int g_fd = -1;
static std::string g_path;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_fd = memfd_create("debug.txt", MFD_CLOEXEC);
    if (g_fd < 0) std::abort();
    g_path = "/proc/self/fd/" + std::to_string(g_fd);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (ftruncate(g_fd, 0) != 0) std::abort();
    if (size && pwrite(g_fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    if (GetConfig(g_path.c_str(), "DebugDisp") < 0) std::abort();
    return 0;
}
