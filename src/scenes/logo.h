// The first scene of every run: the logo, until an action button or a timeout.
#pragma once

constexpr int kLogoFrames = 182;  // an untouched logo ends in its 182nd frame

void logo_init();
void logo_keys();
void logo_drow();
void logo_relese();
void logo_main();
