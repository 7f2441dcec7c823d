// One frame of each scene, driven directly: the scene's pictures loaded as
// its init loads them, its state held steady, and a clock that never sleeps.
#pragma once

namespace bench {

struct SceneFrame {
    const char* name;
    int scene;          // the id in kScenes of the scene measured, SCENE_END for none
    const char* base;   // the frame it is compared with in the table, "-" for none
    const char* label;  // its name in the table
    void (*setUp)();    // once, before the first frame
    void (*frame)();    // draw, present, wait (without sleeping), system keys
};

// The floor every frame is compared with: clear the display, one
// full-screen colour-keyed blit and one present, in plain SDL.
extern const SceneFrame kFloor;
extern const SceneFrame kFrames[];
extern const int kFrameCount;

const SceneFrame* FindFrame(const char* name);

// Starts SDL on the dummy drivers in a scratch copy of the game folder and
// loads everything the game loads at start-up.
void StartGame();
void StopGame();

}  // namespace bench
