// The mixer under the sound bank on the desktop: SDL_mixer.
#include <SDL.h>
#include <SDL_mixer.h>

#include "platform/host.h"
#include "sound/sound.h"

namespace {

Mix_Music* music[kSoundSlots];
Mix_Chunk* chunk[kSoundSlots];
// Whether Mix_OpenAudio succeeded and Mix_CloseAudio has not run since: the
// mixer's channels exist only then.
bool opened;

int Open() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) return 0;
    opened = Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096) == 0;
    return opened ? 1 : 0;
}

void Close() {
    if (opened) Mix_CloseAudio();
    opened = false;
}

// Decoded now, not when first played: a piece that cannot be decoded must
// leave its slot empty, and nothing is read from disk during play.
int LoadMusic(int slot, const char* path) {
    if (music[slot]) Mix_FreeMusic(music[slot]);
    music[slot] = Mix_LoadMUS(path);
    return music[slot] != nullptr;
}

int LoadEffect(int slot, const char* path) {
    if (chunk[slot]) Mix_FreeChunk(chunk[slot]);
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    chunk[slot] = file ? Mix_LoadWAV_RW(file, 1) : nullptr;
    return chunk[slot] != nullptr;
}

int HoldsMusic(int slot) { return music[slot] ? 1 : 0; }

void Free(int slot) {
    if (music[slot]) Mix_FreeMusic(music[slot]);
    if (chunk[slot]) Mix_FreeChunk(chunk[slot]);
    music[slot] = nullptr;
    chunk[slot] = nullptr;
}

void PlayMusic(int slot, int loops) {
    if (music[slot]) Mix_PlayMusic(music[slot], loops);
}
void HaltMusic() { Mix_HaltMusic(); }
void MusicVolume(int volume) { Mix_VolumeMusic(volume); }
void PlayEffect(int channel, int slot) { Mix_PlayChannelTimed(channel, chunk[slot], 0, -1); }
void EffectVolume(int slot, int volume) { Mix_VolumeChunk(chunk[slot], volume); }

void HaltChannel(int channel) {
    if (opened) Mix_HaltChannel(channel);
}

}  // namespace

const HostMixer kSdlMixer = {Open,      Close,     LoadMusic,   HoldsMusic, LoadEffect,   Free,
                             PlayMusic, HaltMusic, MusicVolume, PlayEffect, EffectVolume, HaltChannel};
