// No scene allocates from the heap once it is running: a frame that did
// would sooner or later stall on the allocator. (The magnified frame makes
// its zoomed copy each time by design, so only unmagnified frames count.)
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "act/act_internal.h"
#include "harness/harness.h"
#include "platform/records.h"

#if defined(__SANITIZE_ADDRESS__)
#define TAVIKORO_OWN_MALLOC 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVIKORO_OWN_MALLOC 0
#endif
#endif
#ifndef TAVIKORO_OWN_MALLOC
#define TAVIKORO_OWN_MALLOC 1
#endif

namespace {
// Per thread: the mixer's thread decodes music and allocates as it likes;
// only the game's own thread is judged.
thread_local unsigned long g_allocations;
}  // namespace

#if TAVIKORO_OWN_MALLOC
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);

void* malloc(size_t size) {
    g_allocations++;
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    g_allocations++;
    return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
    g_allocations++;
    return __libc_realloc(p, size);
}
}

static void* CountedNew(size_t size) {
    g_allocations++;
    if (void* p = __libc_malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new(size_t size) { return CountedNew(size); }
void* operator new[](size_t size) { return CountedNew(size); }
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete[](void* p) noexcept { __libc_free(p); }
void operator delete(void* p, size_t) noexcept { __libc_free(p); }
void operator delete[](void* p, size_t) noexcept { __libc_free(p); }
#endif

namespace {

using harness::GameDir;
using harness::RunGame;
using harness::Script;

// Frame numbers of one run through every scene, menus passed by key.
constexpr int kLogoEnd = 40;       // X skips the logo here
constexpr int kTitleEnd = 82;      // Right, then OK on STAGE
constexpr int kSelectEnd = 120;    // OK back to the title
constexpr int kTitle2End = 123;    // OK on NEW GAME
constexpr int Play(int p) { return kTitle2End + 2 + p; }
constexpr int Res(int r) { return Play(kPlayFrames) + r; }

struct Stretch {
    const char* scene;
    int from, to;  // presented frames whose drawing is judged
};

// Steady frames only: a scene's first frame loads its pictures.
const Stretch kStretches[] = {
    {"logo", 3, kLogoEnd - 1},
    {"title", kLogoEnd + 3, kTitleEnd - 3},
    {"stage select", kTitleEnd + 3, kSelectEnd - 1},
    {"play", Play(3), Play(400)},
    {"play, every piece and number live", Play(401), Play(460)},
    {"result", Res(3), Res(100)},
};

void FillTables() {
    for (int i = 0; i < kPieces; i++) pshotf[i] = FlyingPiece{1, 20 + i % 8 * 36, 24 + i / 8 * 40, 60, i % 2};
    for (int i = 0; i < kNumbers; i++) pshotf2[i] = ScoreNumber{8 + i % 8 * 38, 10 + i / 8 * 22, 1, 0, i * 37};
}

struct Counts {
    std::vector<unsigned long> atPresent;  // reserved before the run
};

TEST(Allocations, NoSceneAllocatesPerFrame) {
#if !TAVIKORO_OWN_MALLOC
    GTEST_SKIP() << "the sanitizer owns malloc";
#endif
    {
        GameDir dir;
        Script s;
        s.Push(kLogoEnd, SDLK_x);
        s.Push(kTitleEnd - 2, SDLK_RIGHT).Push(kTitleEnd, SDLK_z);
        s.Push(kSelectEnd, SDLK_z);
        s.Push(kTitle2End, SDLK_z);
        for (int p = 121; p <= 400; p += 121) s.Push(Play(p), SDLK_z);  // real chops first
        s.Push(Res(101), SDLK_ESCAPE);
        s.maxFrames = Res(110);

        static std::vector<unsigned long> counts;  // indexed by frame; no growth while running
        counts.assign(static_cast<size_t>(s.maxFrames) + 2, 0);
        s.onFrame = [](int frame) {
            if (frame >= Play(400) && frame < Play(460)) FillTables();
        };
        s.onPresent = [](int frame) {
            if (frame < static_cast<int>(counts.size())) counts[static_cast<size_t>(frame)] = g_allocations;
        };
        harness::Result r = RunGame(dir, s);
        ASSERT_FALSE(r.timedOut);
        ASSERT_GE(r.frames, Res(100));

        for (const Stretch& st : kStretches) {
            unsigned long worst = 0;
            int worstFrame = 0;
            for (int f = st.from; f <= st.to; f++) {
                unsigned long n = counts[static_cast<size_t>(f)] - counts[static_cast<size_t>(f - 1)];
                if (n > worst) worst = n, worstFrame = f;
            }
            EXPECT_EQ(worst, 0u) << st.scene << ": " << worst << " in frame " << worstFrame;
            ::testing::Test::RecordProperty("allocations per frame: " + std::string(st.scene), static_cast<int>(worst));
        }
        // The counter itself must see the scene loads, or it counts nothing.
        EXPECT_GT(counts[kLogoEnd + 1] - counts[kLogoEnd], 0u) << "the title's pictures are loaded";
    }
}

}  // namespace
