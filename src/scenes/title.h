// The main menu: new game, stage select, quit.
#pragma once

constexpr int kTitleSlot = 5;  // the title picture, loaded while the title runs

void title_init();
void title_keys();
void title_drow();
void title_relese();
void title_main();
void title_init_save_data();
