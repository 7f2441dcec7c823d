// How big the 320 x 240 picture appears on the desktop. The game surface
// itself never changes; sdl12-compat scales the window for us.
#pragma once

// The largest whole factor whose window still fits a desktop of that size
// with room for title bar and panels; never below 2, and 3 when the
// desktop size is unknown (zero or negative).
int ChooseWindowScale(int desktopWidth, int desktopHeight);

// Asks sdl12-compat for nearest-neighbour scaling unless the user has
// chosen. Call before video starts, when it is read.
void KeepPixelsSharp();

// Sets sdl12-compat's window scaling from the desktop size unless the user
// has set it already. Call once video is up, before the window opens: the
// desktop size is known only then.
void SetUpWindowScale();
