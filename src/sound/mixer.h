// The mixer under the sound bank, by slot and channel: SDL_mixer on the
// desktop (mixer_sdl.cpp), Web Audio in the browser (mixer_web.js).
#pragma once

extern "C" {
int mixer_open();  // 44.1 kHz stereo with eight effect channels; 0 when there is no device
void mixer_close();
int mixer_load_music(int slot, const char* path);   // 0 when the file cannot be used
int mixer_load_effect(int slot, const char* path);  // replaces what the slot held
void mixer_free(int slot);                          // the slot's music and effect
void mixer_play_music(int slot, int loops);
void mixer_halt_music();
void mixer_music_volume(int volume);
void mixer_play_effect(int channel, int slot);
void mixer_effect_volume(int slot, int volume);
void mixer_halt_channel(int channel);  // -1 for all
}
