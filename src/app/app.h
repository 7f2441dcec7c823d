// Start-up, the scene manager and shutdown.
#pragma once

enum SceneId { SCENE_END = 0, SCENE_TITLE = 1, SCENE_ACT = 2, SCENE_LOGO = 5, SCENE_STAGESELECT = 6 };

extern int g_scene;  // the scene to run next

// C linkage, as SDL's own entry code declares it where it has one.
extern "C" int SDL_main(int argc, char* argv[]);
// Everything before the scene manager takes over: video, the palette, input,
// sound and the settings; 1 with a line on stderr when video cannot start.
int StartUp(bool fullscreen);
void FunctionInit();
void main_init();
void scenemanager();
void ExitProgram();

// The frame loop every menu scene runs: keys, draw, present, wait, system
// keys, until the scene clears its flag; then its release step.
void RunSceneLoop(void (*init)(), void (*keys)(), void (*drow)(), void (*relese)(), int* scene_exit);
