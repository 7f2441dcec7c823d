#include "sound/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

int sound_use;
int chunkChannel[kEffectChannels];
int play_bgmvol;
int play_sevol;

static Mix_Music* music[kSoundSlots];
static int musicLoop[kSoundSlots];
static Mix_Chunk* chunk[kSoundSlots];
static int master_vol;
// Whether Mix_OpenAudio succeeded and Mix_CloseAudio has not run since: the
// mixer's channels exist only then.
static bool mixer_open;

static bool ValidSlot(int slot) { return slot >= 0 && slot < kSoundSlots; }

bool soundHasMusic(int slot) { return ValidSlot(slot) && music[slot]; }
bool soundHasEffect(int id) { return ValidSlot(id) && chunk[id]; }

void soundInitBuffer() {
    master_vol = 100;
    play_bgmvol = 128;
    play_sevol = 128;
    sound_use = 0;
    for (int i = 0; i < kSoundSlots; i++) {
        music[i] = nullptr;
        chunk[i] = nullptr;
    }
    for (int& c : chunkChannel) c = -1;
    soundSetVolumeAll(128);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) return;
    mixer_open = Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096) == 0;
    sound_use = mixer_open ? 1 : 0;
}

void soundLoadBuffer(int slot, const char* path, int loops) {
    if (!ValidSlot(slot) || music[slot]) return;
    music[slot] = Mix_LoadMUS(path);
    musicLoop[slot] = loops;
}

void soundLoadBufferSE(int slot, const char* path) {
    if (!ValidSlot(slot)) return;
    if (chunk[slot]) Mix_FreeChunk(chunk[slot]);
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    chunk[slot] = file ? Mix_LoadWAV_RW(file, 1) : nullptr;
    // One missing effect silences the whole game rather than leaving holes.
    if (!chunk[slot]) sound_use = 0;
}

void soundPlayBgm(int slot) {
    if (!ValidSlot(slot) || !music[slot] || !sound_use) return;
    Mix_PlayMusic(music[slot], musicLoop[slot]);
    Mix_VolumeMusic(master_vol * play_bgmvol / 100);
}

void soundStopBgm(int slot) {
    if (sound_use && ValidSlot(slot) && music[slot]) Mix_HaltMusic();
}

void soundStopSe(int id) {
    if (!sound_use) return;
    for (int ch = 0; ch < kEffectChannels; ch++) {
        if (chunkChannel[ch] != id) continue;
        Mix_HaltChannel(ch);
        chunkChannel[ch] = -1;
    }
}

void soundPlaySe(int id) {
    int volume = master_vol * play_sevol / 100;
    if (!sound_use || !ValidSlot(id)) return;
    soundStopSe(id);
    int channel = 0;
    while (channel < kEffectChannels && chunkChannel[channel] != -1) channel++;
    if (channel == kEffectChannels || !chunk[id]) return;
    Mix_PlayChannelTimed(channel, chunk[id], 0, -1);
    Mix_VolumeChunk(chunk[id], volume);
    chunkChannel[channel] = id;
}

void soundStopSeAll() {
    for (int& c : chunkChannel) c = -1;
    if (mixer_open) Mix_HaltChannel(-1);
}

void soundSetVolumeBgm(int volume) { play_bgmvol = volume; }

void soundSetVolumeAll(int volume) {
    play_sevol = volume * master_vol / 100;
    for (Mix_Chunk* c : chunk)
        if (c) Mix_VolumeChunk(c, play_sevol);
    Mix_VolumeMusic(play_sevol);
}

void soundRelease() {
    for (int i = 0; i < kSoundSlots; i++) {
        if (music[i]) Mix_FreeMusic(music[i]);
        if (chunk[i]) Mix_FreeChunk(chunk[i]);
        music[i] = nullptr;
        chunk[i] = nullptr;
    }
    if (mixer_open) Mix_CloseAudio();
    mixer_open = false;
    sound_use = 0;
}
