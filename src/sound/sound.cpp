// The sound bank: slots of music and effects, eight effect channels and the
// volume rules, over the host's mixer.
#include "sound/sound.h"

#include "platform/host.h"

int sound_use;
int chunkChannel[kEffectChannels];
int play_bgmvol;
int play_sevol;

static bool music[kSoundSlots];
static int musicLoop[kSoundSlots];
static bool chunk[kSoundSlots];
static int master_vol;

static bool ValidSlot(int slot) { return slot >= 0 && slot < kSoundSlots; }

// Asked of the mixer too: the browser's may learn only later that a piece
// will never come or cannot be decoded, and its slot is then empty.
static bool HoldsMusic(int slot) { return ValidSlot(slot) && music[slot] && g_host.mixer.holdsMusic(slot); }

bool soundHasMusic(int slot) { return HoldsMusic(slot); }
bool soundHasEffect(int id) { return ValidSlot(id) && chunk[id]; }

void soundInitBuffer() {
    master_vol = 100;
    play_bgmvol = 128;
    play_sevol = 128;
    for (int i = 0; i < kSoundSlots; i++) music[i] = chunk[i] = false;
    for (int& c : chunkChannel) c = -1;
    soundSetVolumeAll(128);
    sound_use = g_host.mixer.open();
}

void soundLoadBuffer(int slot, const char* path, int loops) {
    if (!ValidSlot(slot) || HoldsMusic(slot)) return;
    music[slot] = g_host.mixer.loadMusic(slot, path);
    musicLoop[slot] = loops;
}

void soundLoadBufferSE(int slot, const char* path) {
    if (!ValidSlot(slot)) return;
    chunk[slot] = g_host.mixer.loadEffect(slot, path);
    // One missing effect silences the whole game rather than leaving holes.
    if (!chunk[slot]) sound_use = 0;
}

void soundPlayBgm(int slot) {
    if (!HoldsMusic(slot) || !sound_use) return;
    g_host.mixer.playMusic(slot, musicLoop[slot]);
    g_host.mixer.musicVolume(master_vol * play_bgmvol / 100);
}

void soundStopBgm(int slot) {
    if (sound_use && HoldsMusic(slot)) g_host.mixer.haltMusic();
}

void soundStopSe(int id) {
    if (!sound_use) return;
    for (int ch = 0; ch < kEffectChannels; ch++) {
        if (chunkChannel[ch] != id) continue;
        g_host.mixer.haltChannel(ch);
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
    g_host.mixer.playEffect(channel, id);
    g_host.mixer.effectVolume(id, volume);
    chunkChannel[channel] = id;
}

void soundStopSeAll() {
    for (int& c : chunkChannel) c = -1;
    g_host.mixer.haltChannel(-1);
}

void soundSetVolumeBgm(int volume) { play_bgmvol = volume; }

void soundSetVolumeAll(int volume) {
    play_sevol = volume * master_vol / 100;
    for (int i = 0; i < kSoundSlots; i++)
        if (chunk[i]) g_host.mixer.effectVolume(i, play_sevol);
    g_host.mixer.musicVolume(play_sevol);
}

void soundRelease() {
    for (int i = 0; i < kSoundSlots; i++) {
        if (music[i] || chunk[i]) g_host.mixer.free(i);
        music[i] = chunk[i] = false;
    }
    g_host.mixer.close();
    sound_use = 0;
}
