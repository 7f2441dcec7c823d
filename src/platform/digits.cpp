// Numbers drawn as rows of digit glyphs; shared by every platform.
#include <cstdint>

#include "platform/surfaces.h"

static void DrawDigits(int value, int digits, int64_t x, int y, int slot, int glyphX, int glyphY, int glyphW,
                       int glyphH) {
    static const uint32_t kPowers[10] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};
    // Unsigned, so that the magnitude of INT_MIN is representable.
    uint32_t v = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    for (int i = 0; i < digits; i++) {
        int place = digits - 1 - i;  // fields wider than ten digits pad with zeros
        int d = place < 10 ? static_cast<int>(v / kPowers[place] % 10) : 0;
        int64_t gx = x + static_cast<int64_t>(i) * glyphW;
        if (gx >= kScreenWidth && glyphW >= 0) break;  // the rest would be clipped away
        if (gx < INT16_MIN) continue;
        BltRect(slot, static_cast<int>(gx), y, glyphX + d * glyphW, glyphY, glyphW, glyphH);
    }
}

void BltNumericImage(int value, int digits, int x, int y, int slot, int glyphX, int glyphY, int glyphW, int glyphH) {
    DrawDigits(value, digits, x, y, slot, glyphX, glyphY, glyphW, glyphH);
}

void BltNumericImage2(int value, int digits, int x, int y, int slot, int glyphX, int glyphY, int glyphW, int glyphH) {
    DrawDigits(value, digits, x + static_cast<int64_t>(digits - 2) * glyphW, y, slot, glyphX, glyphY, glyphW, glyphH);
}
