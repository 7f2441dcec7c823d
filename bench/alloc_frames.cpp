// Heap allocations per frame in every scene, counted over a scripted run
// through the test harness: none is the goal, since a frame that allocated
// would sooner or later stall on the allocator. (The magnified frame makes
// its zoomed copy each time by design, so only unmagnified frames count.)
// bench/run.sh reads the worst frame of each scene from its properties.
#include <SDL.h>
#include <gtest/gtest.h>

#include <new>

#include "act/act_internal.h"
#include "act/chop.h"
#include "harness/harness.h"

// Per thread: the mixer's thread decodes music and allocates as it likes.
static thread_local unsigned long g_allocations;

#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer owns malloc
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* malloc(size_t size) { return g_allocations++, __libc_malloc(size); }
void* calloc(size_t count, size_t size) { return g_allocations++, __libc_calloc(count, size); }
void* realloc(void* p, size_t size) { return g_allocations++, __libc_realloc(p, size); }
}
void* operator new(size_t size) {
    if (void* p = malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete(void* p, size_t) noexcept { __libc_free(p); }
#endif

namespace {

using namespace harness;

TEST(Allocations, NoSceneAllocatesPerFrame) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer owns malloc";
#endif
    GameDir dir;
    Script s;
    // Logo to frame 40, title, stage select from 50 to 90, title, a game with
    // real chops and every piece and number live, the result.
    s.Push(40, KB_X).Push(48, KB_RIGHT).Push(50, KB_Z).Push(90, KB_Z).Push(94, KB_Z);
    const int play = 96;  // play frame 0
    for (int p = kSignalPeriod; p <= 400; p += kSignalPeriod) s.Push(play + p, KB_Z);
    s.Push(play + kPlayFrames + 101, KB_ESCAPE);
    static std::vector<unsigned long> counts(play + kPlayFrames + 110, 0);  // no growth while running
    s.onFrame = [play](int frame) {
        for (int i = 0; frame > play + 400 && frame < play + 460 && i < kPieces; i++)
            pshotf[i] = {1, i * 7, i * 5, 60, i % 2};
        for (int i = 0; frame > play + 400 && frame < play + 460 && i < kNumbers; i++)
            pshotf2[i] = {i * 4, i * 3, 1, 0, i * 37};
    };
    s.onPresent = [](int frame) { counts[frame] = g_allocations; };
    ASSERT_FALSE(RunGame(dir, s).timedOut);
    EXPECT_GT(counts[41] - counts[40], 0u) << "the counter must see the title's pictures load";
    // Steady frames only: a scene's first frame loads its pictures.
    const std::pair<const char*, std::pair<int, int>> scenes[] = {
        {"logo", {3, 39}},
        {"title", {43, 49}},
        {"stage select", {53, 89}},
        {"play", {play + 3, play + 400}},
        {"play, every piece and number live", {play + 401, play + 460}},
        {"result", {play + kPlayFrames + 3, play + kPlayFrames + 100}}};
    for (const auto& [scene, frames] : scenes) {
        unsigned long worst = 0;
        for (int f = frames.first; f <= frames.second; f++) worst = std::max(worst, counts[f] - counts[f - 1]);
        RecordProperty(std::string("allocations per frame: ") + scene, static_cast<int>(worst));
        EXPECT_EQ(worst, 0u) << scene;
    }
}

}  // namespace
