// The browser's keys, by where they sit on the keyboard. Our own listener:
// emscripten's SDL indexes its key state by other codes and updates it only
// as the game takes events, one a frame.
#include <emscripten.h>

#include "platform/keyboard.h"

static bool g_held[kKeyboardKeys];
static bool g_listening;

// In the order of KeyboardKey; a plus key apart from '=' and the keypad's
// has no place of its own (null). The game's keys do nothing else on the
// page (the arrows would scroll it).
EM_JS(void, ListenToKeys, (bool* held, int count), {
    var codes = [
        'ArrowUp', 'Numpad8', 'ArrowLeft', 'Numpad4', 'ArrowDown', 'Numpad2', 'ArrowRight', 'Numpad6', 'KeyZ', 'KeyC',
        'KeyX', 'Escape', 'Equal', null, 'NumpadAdd', 'Minus', 'NumpadSubtract'
    ];
    function listener(down) {
        return function(e) {
            var k = codes.indexOf(e.code);
            if (k < 0) return;
            HEAPU8[held + k] = down;
            e.preventDefault();
        };
    }
    window.addEventListener('keydown', listener(1));
    window.addEventListener('keyup', listener(0));
    // Keys let go while the page is in the background never report it.
    window.addEventListener(
        'blur', function() { HEAPU8.fill(0, held, held + count); });
});

void ReadKeyboard(bool held[kKeyboardKeys]) {
    if (!g_listening) {
        ListenToKeys(g_held, kKeyboardKeys);
        g_listening = true;
    }
    for (int k = 0; k < kKeyboardKeys; k++) held[k] = g_held[k];
}
