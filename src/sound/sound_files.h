// The music pieces and effects loaded at start-up, in slot order. The sound
// tool, CMake, the tests and the benchmarks read this list too.
#pragma once

constexpr int kMusicPieces = 7;
constexpr const char* kMusicFiles[kMusicPieces] = {"sound/bgm/01.ogg", "sound/bgm/02.ogg", "sound/bgm/03.ogg",
                                                   "sound/bgm/04.ogg", "sound/bgm/05.ogg", "sound/bgm/06.ogg",
                                                   "sound/bgm/07.ogg"};

enum EffectSlot { SE_TAVI, SE_HIT1, SE_KAN, SE_OO, SE_MSG, SE_SELECT, SE_SW, SE_JUMP, SE_PUWA, SE_COUNT };
constexpr const char* kEffectFiles[SE_COUNT] = {"sound/se/tavi.wav", "sound/se/hit1.wav", "sound/se/kan.wav",
                                                "sound/se/oo.wav",   "sound/se/msg.wav",  "sound/se/select.wav",
                                                "sound/se/sw.wav",   "sound/se/jump.wav", "sound/se/puwa.wav"};
