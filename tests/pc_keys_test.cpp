// Full screen on F11 and Alt+Enter, as a PC player expects. (The volume keys
// are rows of the input table.)
#include <SDL.h>
#include <gtest/gtest.h>

#include "harness/harness.h"
#include "platform/surfaces.h"

namespace {

TEST(PcKeys, F11AndAltEnterToggleFullScreenOncePerPress) {
    struct Press {
        int frame;
        SDLKey key;
        SDLMod mod;
        bool fullAfter;
    };
    const Press presses[] = {{10, SDLK_F11, KMOD_NONE, true},
                             {20, SDLK_RETURN, KMOD_NONE, true},
                             {30, SDLK_RETURN, KMOD_LALT, false},
                             {40, SDLK_KP_ENTER, KMOD_RALT, true}};
    harness::GameDir dir;
    harness::Script s;
    std::vector<bool> full(60);
    s.onFrame = [&](int frame) {
        for (const Press& p : presses)
            if (p.frame == frame) {
                SDL_Event e{};
                e.type = SDL_KEYDOWN;
                e.key.keysym.sym = p.key;
                e.key.keysym.mod = p.mod;
                SDL_PushEvent(&e);
            }
    };
    s.onPresent = [&](int frame) {
        if (frame < 60) full[frame] = (SDL_GetVideoSurface()->flags & SDL_FULLSCREEN) != 0;
    };
    s.Push(55, SDLK_ESCAPE);
    harness::RunGame(dir, s);
    for (const Press& p : presses) EXPECT_EQ(full[p.frame + 5], p.fullAfter) << p.frame;
    EXPECT_FALSE(full[9]);
}

}  // namespace
