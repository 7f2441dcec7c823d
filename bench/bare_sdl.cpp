// The least a program of ours must do before its first frame: video and
// audio up, the 8-bit mode set, one present. Nothing loaded.
#include <SDL.h>

static void Silence(void*, Uint8* stream, int length) {
    for (int i = 0; i < length; i++) stream[i] = 0;
}

int main(int, char**) {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) < 0) return 1;
    SDL_Surface* screen = SDL_SetVideoMode(320, 240, 8, 0);
    if (!screen) return 1;
    // The same device the game's mixer opens.
    SDL_AudioSpec want = {};
    want.freq = 44100;
    want.format = AUDIO_S16LSB;
    want.channels = 2;
    want.samples = 4096;
    want.callback = Silence;
    bool audio = SDL_OpenAudio(&want, nullptr) == 0;
    if (audio) SDL_PauseAudio(0);
    SDL_Flip(screen);
    if (audio) SDL_CloseAudio();
    SDL_Quit();
    return 0;
}
