// The keys a PC player expects: volume on - and + like the joystick's
// buttons, full screen on F11 and Alt+Enter.
#include <SDL.h>
#include <gtest/gtest.h>

#include "harness/harness.h"
#include "platform/records.h"
#include "platform/surfaces.h"

namespace {

TEST(PcKeys, VolumeKeysStepLikeTheJoystickAndAreStored) {
    const int keys[] = {SDLK_MINUS, SDLK_KP_MINUS, SDLK_EQUALS, SDLK_PLUS, SDLK_KP_PLUS, SDLK_KP_PLUS};
    harness::GameDir dir;
    harness::StoreConfig(dir, [] { gameflag[GF_VOLUME] = 100; });
    harness::Script s;
    std::vector<int> heard;
    for (int i = 0; i < 6; i++) s.Push(10 + 4 * i, keys[i]);
    s.onPresent = [&](int frame) { if (frame >= 10 && frame <= 30 && frame % 4 == 2) heard.push_back(gameflag[GF_VOLUME]); };
    s.Push(36, SDLK_ESCAPE);
    harness::RunGame(dir, s);
    EXPECT_EQ(heard, (std::vector<int>{90, 80, 90, 100, 110, 120}));
    EXPECT_EQ(harness::ReadRecord(dir.File("save/config"))[GF_VOLUME], 120);
}

TEST(PcKeys, F11AndAltEnterToggleFullScreenOncePerPress) {
    struct Press { int frame; SDLKey key; SDLMod mod; bool fullAfter; };
    const Press presses[] = {{10, SDLK_F11, KMOD_NONE, true}, {20, SDLK_RETURN, KMOD_NONE, true},
                             {30, SDLK_RETURN, KMOD_LALT, false}, {40, SDLK_KP_ENTER, KMOD_RALT, true}};
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
    s.onPresent = [&](int frame) { if (frame < 60) full[frame] = (SDL_GetVideoSurface()->flags & SDL_FULLSCREEN) != 0; };
    s.Push(55, SDLK_ESCAPE);
    harness::RunGame(dir, s);
    for (const Press& p : presses) EXPECT_EQ(full[p.frame + 5], p.fullAfter) << p.frame;
    EXPECT_FALSE(full[9]);
}

}  // namespace
