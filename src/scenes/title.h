// The main menu: new game, stage select, quit.
#pragma once

#include "platform/picture_files.h"

constexpr int kTitleSlot = kTitlePicture.slot;  // loaded while the title runs

void title_init();
void title_keys();
void title_drow();
void title_relese();
void title_main();
void title_init_save_data();
