// Any "debug.txt" at all: GetConfig must read it without a fault and never
// report a negative number.
#include <cstdint>
#include <cstdlib>

#include "memory_file.h"
#include "platform/records.h"

static MemoryFile g_file;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_file = OpenMemoryFile("debug.txt");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fill(g_file, data, size);
    if (GetConfig(g_file.path.c_str(), "DebugDisp") < 0) std::abort();
    return 0;
}
