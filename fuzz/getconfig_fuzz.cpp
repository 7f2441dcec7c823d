// Any "debug.txt" at all: GetConfig must read it without a fault and never
// report a negative number.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/records.h"

static std::string g_path;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/tavikoro-debug-XXXXXX";
    int fd = mkstemp(pattern);
    if (fd < 0) std::abort();
    close(fd);
    g_path = pattern;
    std::atexit([] { std::remove(g_path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = std::fopen(g_path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    if (GetConfig(g_path.c_str(), "DebugDisp") < 0) std::abort();
    return 0;
}
