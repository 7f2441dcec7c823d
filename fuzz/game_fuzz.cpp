// Any "save/config" (any length, any bytes, or none), then the whole game
// walked through its scenes with keys chosen by the rest of the input, so
// that absurd key bindings, volumes, zoom factors, stage numbers and play
// times all meet every scene. Each input is at most 900 frames.
//
// Input: two bytes of config length, little-endian (0xFFFF: no file); one
// byte of options (bit 0: the debug overlay on; bits 2-7: play frames before
// the game's clock is run out, in eights); the config bytes; then the
// bytes that choose the keys.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "harness/harness.h"
#include "platform/records.h"
#include "walker.h"

namespace fs = std::filesystem;

static harness::GameDir* g_dir;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    g_dir = new harness::GameDir;
    std::atexit([] { delete g_dir; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return -1;
    fs::path root(g_dir->path);
    fs::remove_all(root / "save");
    fs::remove_all(root / "replay");
    fs::remove(root / "debug.txt");
    fs::create_directories(root / "save");
    fs::create_directories(root / "replay" / "0");

    size_t length = data[0] | data[1] << 8;
    uint8_t options = data[2];
    size_t pos = 3;
    if (length != 0xFFFF) {
        length = std::min(length, size - pos);
        harness::WriteBytes(g_dir->File("save/config"), std::vector<unsigned char>(data + pos, data + pos + length));
        pos += length;
    }
    if (options & 1) std::ofstream(g_dir->File("debug.txt")) << "DebugDisp=1\n";

    // As in a fresh process, where the records start out zero.
    ResetGameFlag();
    ResetGameFlag2();
    harness::ClearPad();

    soak::WalkerOptions walk;
    walk.next = [&] { return pos < size ? data[pos++] : uint8_t{0}; };
    walk.playFrames = (options >> 2) * 8;
    walk.mayQuit = true;
    soak::Walker walker(walk);
    harness::Script script;
    script.maxFrames = 900;
    script.onFrame = [&walker](int frame) { walker.Frame(frame); };
    harness::Result result = harness::RunGame(*g_dir, script);

    if (result.exitCode != 0) std::abort();
    if (harness::FileSize(g_dir->File("save/config")) != kRecordSize * 4) std::abort();
    return 0;
}
