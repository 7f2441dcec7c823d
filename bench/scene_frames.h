// One frame of each scene, driven directly: the scene's pictures loaded as
// its init loads them, its state held steady, and a clock that never sleeps.
#pragma once

namespace bench {

struct SceneFrame {
    const char* name;
    void (*setUp)();  // once, before the first frame
    void (*frame)();  // draw, present, wait (without sleeping), system keys
};

// The floor every frame is compared with: clear the display, one
// full-screen colour-keyed blit and one present, in plain SDL.
extern const SceneFrame kFloor;
extern const SceneFrame kScenes[];
extern const int kSceneCount;

const SceneFrame* FindScene(const char* name);

// Starts SDL on the dummy drivers in a scratch copy of the game folder and
// loads everything the game loads at start-up.
void StartGame();
void StopGame();

}  // namespace bench
