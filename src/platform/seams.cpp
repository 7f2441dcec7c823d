#include "platform/seams.h"

#include <SDL.h>

static uint32_t SdlTicks() { return SDL_GetTicks(); }
static void SdlDelay(uint32_t ms) { SDL_Delay(ms); }

Seams g_seams = {SdlTicks, SdlDelay, nullptr, nullptr, nullptr};

void ResetSeams() { g_seams = Seams{SdlTicks, SdlDelay, nullptr, nullptr, nullptr}; }
