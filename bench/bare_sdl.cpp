// The least a program of ours must do before its first frame: linked with
// the same three libraries as the game, video up, the 8-bit mode and the
// shared palette, the logo's picture, the mixer opened as the game opens it
// with every music piece and effect loaded, one present. Run it in a game
// folder.
#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_rotozoom.h>

#include "platform/picture_files.h"
#include "sound/sound_files.h"

int main(int argc, char**) {
    if (SDL_Init(SDL_INIT_VIDEO) < 0) return 1;
    SDL_Surface* screen = SDL_SetVideoMode(320, 240, 8, 0);
    if (!screen) return 1;
    SDL_Surface* palette = SDL_LoadBMP(kPalettePicture.path);
    if (palette) SDL_SetPalette(screen, SDL_LOGPAL | SDL_PHYSPAL, palette->format->palette->colors, 0, 256);
    SDL_Surface* logo = SDL_LoadBMP(kLogoPicture.path);
    bool audio = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096) == 0;
    Mix_Music* music[kMusicPieces] = {};
    Mix_Chunk* effects[SE_COUNT] = {};
    for (int i = 0; audio && i < kMusicPieces; i++) music[i] = Mix_LoadMUS(kMusicFiles[i]);
    for (int i = 0; audio && i < SE_COUNT; i++) effects[i] = Mix_LoadWAV(kEffectFiles[i]);
    // SDL_gfx linked and used, as the game's magnified present uses it.
    if (argc > 99) SDL_FreeSurface(rotozoomSurface(screen, 0.0, 2.0, SMOOTHING_OFF));
    if (logo) SDL_BlitSurface(logo, nullptr, screen, nullptr);
    SDL_Flip(screen);
    for (Mix_Music* m : music)
        if (m) Mix_FreeMusic(m);
    for (Mix_Chunk* c : effects)
        if (c) Mix_FreeChunk(c);
    if (audio) Mix_CloseAudio();
    SDL_FreeSurface(logo);
    SDL_FreeSurface(palette);
    SDL_Quit();
    return 0;
}
