// Start-up, the scene manager and shutdown.
#pragma once

// C linkage, as SDL's own entry code declares it where it has one.
extern "C" int SDL_main(int argc, char* argv[]);
// Everything before the scene manager takes over: video, the palette, input,
// sound and the settings; 1 with a line on stderr when video cannot start.
int StartUp(bool fullscreen);
void FunctionInit();
void main_init();
void scenemanager();
// The scene whose frames run now (g_scene already names the next one when
// a scene ends); SCENE_END outside the scene manager.
extern int g_runningScene;
void ExitProgram();
