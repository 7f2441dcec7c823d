// The least a program of ours must do before its first frame: linked with
// the same three libraries as the game, video up, the mixer opened as the
// game opens it, the 8-bit mode set, one present. Nothing loaded.
#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_rotozoom.h>

int main(int argc, char**) {
    if (SDL_Init(SDL_INIT_VIDEO) < 0) return 1;
    SDL_Surface* screen = SDL_SetVideoMode(320, 240, 8, 0);
    if (!screen) return 1;
    bool audio = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096) == 0;
    // SDL_gfx linked and used, as the game's magnified present uses it.
    if (argc > 99) SDL_FreeSurface(rotozoomSurface(screen, 0.0, 2.0, SMOOTHING_OFF));
    SDL_Flip(screen);
    if (audio) Mix_CloseAudio();
    SDL_Quit();
    return 0;
}
