// Music and effect slots on the mixer. When the audio device cannot be opened,
// or an effect file is missing, every play and stop does nothing.
#pragma once

#include "sound/sound_files.h"

constexpr int kSoundSlots = 32;
constexpr int kGameMusic = 1;  // the title and the game share one piece
constexpr int kEffectChannels = 8;

extern int sound_use;
extern int chunkChannel[kEffectChannels];
extern int play_bgmvol;
extern int play_sevol;

void soundInitBuffer();
void soundLoadBuffer(int slot, const char* path, int loops);
void soundLoadBufferSE(int slot, const char* path);
void soundPlayBgm(int slot);
void soundStopBgm(int slot);
void soundPlaySe(int id);
void soundStopSe(int id);
void soundStopSeAll();
void soundSetVolumeBgm(int volume);
void soundSetVolumeAll(int volume);
void soundRelease();

// Whether a slot holds loaded music or a loaded effect.
bool soundHasMusic(int slot);
bool soundHasEffect(int id);
