// Every picture the game loads: its file, the slot it goes into while its
// scene runs, and whether the pixels of palette entry 0's colour are
// see-through. The picture tool, CMake and the tests read this list too.
#pragma once

#include "platform/surfaces.h"

struct PictureFile {
    const char* path;
    int slot;
    int keyed;
};

constexpr PictureFile kPalettePicture = {"image/color.bmp", 1, 0};  // start-up only: the shared palette
constexpr PictureFile kLogoPicture = {"image/a_logo.bmp", 2, 1};
constexpr PictureFile kTitlePicture = {"image/title/title1.bmp", 5, 1};
constexpr PictureFile kCursorPicture = {"image/title/scl.bmp", 3, 1};
constexpr PictureFile kStageSelectPicture = {"image/title/stageselect.bmp", 2, 1};
constexpr PictureFile kPlayerPicture = {"image/player/ri0.bmp", 1, 1};  // figures, signal, log and halves
constexpr PictureFile kBackgroundPicture = {"image/bak/bak.bmp", 2, 1};
constexpr PictureFile kResultPicture = {"image/player/clear.bmp", 3, 1};
constexpr PictureFile kFontPicture = {"image/sys/fonts2.bmp", 18, 1};  // the digits

constexpr PictureFile kPictureFiles[] = {kPalettePicture,    kLogoPicture,        kTitlePicture,
                                         kCursorPicture,     kStageSelectPicture, kPlayerPicture,
                                         kBackgroundPicture, kResultPicture,      kFontPicture};

// Loads the picture into its slot: LoadBitmap's result.
inline int LoadPicture(const PictureFile& picture) { return LoadBitmap(picture.path, picture.slot, picture.keyed); }
