// The sound bank: slots of music and effects, eight effect channels and the
// volume rules, over the mixer of the platform (mixer.h).
#include "sound/sound.h"

#include "sound/mixer.h"

int sound_use;
int chunkChannel[kEffectChannels];
int play_bgmvol;
int play_sevol;

static bool music[kSoundSlots];
static int musicLoop[kSoundSlots];
static bool chunk[kSoundSlots];
static int master_vol;

static bool ValidSlot(int slot) { return slot >= 0 && slot < kSoundSlots; }

bool soundHasMusic(int slot) { return ValidSlot(slot) && music[slot]; }
bool soundHasEffect(int id) { return ValidSlot(id) && chunk[id]; }

void soundInitBuffer() {
    master_vol = 100;
    play_bgmvol = 128;
    play_sevol = 128;
    for (int i = 0; i < kSoundSlots; i++) music[i] = chunk[i] = false;
    for (int& c : chunkChannel) c = -1;
    soundSetVolumeAll(128);
    sound_use = mixer_open();
}

void soundLoadBuffer(int slot, const char* path, int loops) {
    if (!ValidSlot(slot) || music[slot]) return;
    music[slot] = mixer_load_music(slot, path);
    musicLoop[slot] = loops;
}

void soundLoadBufferSE(int slot, const char* path) {
    if (!ValidSlot(slot)) return;
    chunk[slot] = mixer_load_effect(slot, path);
    // One missing effect silences the whole game rather than leaving holes.
    if (!chunk[slot]) sound_use = 0;
}

void soundPlayBgm(int slot) {
    if (!ValidSlot(slot) || !music[slot] || !sound_use) return;
    mixer_play_music(slot, musicLoop[slot]);
    mixer_music_volume(master_vol * play_bgmvol / 100);
}

void soundStopBgm(int slot) {
    if (sound_use && ValidSlot(slot) && music[slot]) mixer_halt_music();
}

void soundStopSe(int id) {
    if (!sound_use) return;
    for (int ch = 0; ch < kEffectChannels; ch++) {
        if (chunkChannel[ch] != id) continue;
        mixer_halt_channel(ch);
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
    mixer_play_effect(channel, id);
    mixer_effect_volume(id, volume);
    chunkChannel[channel] = id;
}

void soundStopSeAll() {
    for (int& c : chunkChannel) c = -1;
    mixer_halt_channel(-1);
}

void soundSetVolumeBgm(int volume) { play_bgmvol = volume; }

void soundSetVolumeAll(int volume) {
    play_sevol = volume * master_vol / 100;
    for (int i = 0; i < kSoundSlots; i++)
        if (chunk[i]) mixer_effect_volume(i, play_sevol);
    mixer_music_volume(play_sevol);
}

void soundRelease() {
    for (int i = 0; i < kSoundSlots; i++) {
        if (music[i] || chunk[i]) mixer_free(i);
        music[i] = chunk[i] = false;
    }
    mixer_close();
    sound_use = 0;
}
