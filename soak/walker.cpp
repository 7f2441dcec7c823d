#include "walker.h"

#include <SDL.h>

#include <vector>

#include "act/act_internal.h"
#include "app/app.h"
#include "harness/harness.h"
#include "platform/frame.h"
#include "platform/surfaces.h"
#include "scenes/scenes.h"
#include "scenes/title.h"

namespace soak {

namespace {

// The title's picture slot tells the scenes apart in the frames where
// g_scene already names the next one.

const int kLogoNoise[] = {KB_UP, KB_DOWN, KB_LEFT, KB_RIGHT, KB_C};
// No Z, Left or Right: they would leave the title before the walker steers.
const int kTitleNoise[] = {KB_UP, KB_DOWN, KB_X, KB_C, KB_KP8, KB_KP2};
const int kPlayNoise[] = {KB_X, KB_C, KB_LEFT, KB_RIGHT, KB_UP, KB_DOWN};
const int kResultNoise[] = {KB_X, KB_C, KB_LEFT, KB_RIGHT, KB_Z};  // Z is locked out at first
const int kSelectNoise[] = {KB_UP, KB_DOWN, KB_LEFT, KB_RIGHT, KB_KP4, KB_KP6};

constexpr int kResultLock = 62;
constexpr int kRetry = 40;

}  // namespace

Phase CurrentPhase() {
    bool title = bitmap[kTitleSlot] != nullptr;
    switch (g_scene) {
        case SCENE_LOGO:
            return PHASE_LOGO;
        case SCENE_TITLE:
            return title ? PHASE_TITLE : PHASE_NONE;
        case SCENE_STAGESELECT:
            return title ? PHASE_NONE : PHASE_SELECT;
        case SCENE_ACT:
            if (title) return PHASE_NONE;
            if (sn == SN_START || sn == SN_PLAY) return PHASE_PLAY;
            return sn == SN_RESULT ? PHASE_RESULT : PHASE_NONE;
        default:
            return PHASE_NONE;
    }
}

void Walker::Tap(int key) {
    if (tappedCount_ == 4) return;
    harness::SetKey(key, true);
    tapped_[tappedCount_++] = key;
}

void Walker::Noise(const int* keys, int count) {
    uint8_t b = o_.next();
    if (o_.mayQuit && b == 255 && o_.next() == 255) {
        Tap(KB_ESCAPE);
        return;
    }
    if (b < 48) Tap(keys[b % count]);
}

void Walker::Frame(int) {
    for (int i = 0; i < tappedCount_; i++) harness::SetKey(tapped_[i], false);
    tappedCount_ = 0;
    Phase p = CurrentPhase();
    if (p == PHASE_NONE) return;
    if (p != phase_) {
        phase_ = p;
        age_ = 0;
        visits[p]++;
        quiet_ = o_.next() % 32;
        harness::ClearPad();
        if (p == PHASE_TITLE) toSelect_ = visits[p] % 2 == 0;
        if (onEnter) onEnter(p);
    } else {
        age_++;
    }

    int steer = age_ - quiet_;
    switch (p) {
        case PHASE_LOGO:
            if (steer < 0)
                Noise(kLogoNoise, 5);
            else if (steer == 0 && o_.next() % 4 != 0)
                Tap(KB_Z);  // else the logo runs out by itself
            break;
        case PHASE_TITLE:
            if (steer < 0) {
                Noise(kTitleNoise, 6);
            } else if (steer % kRetry == 0) {
                Tap(toSelect_ ? KB_RIGHT : KB_Z);
            } else if (steer % kRetry == 4 && toSelect_) {
                Tap(KB_Z);
            }
            break;
        case PHASE_PLAY: {
            uint8_t b = o_.next();
            if (b < 8) {
                Tap(KB_Z);
            } else if (b < 12) {
                Noise(kPlayNoise, 6);
            } else if (b == 12) {
                // Any stick position and buttons, the volume buttons 6 and 7 among them.
                int x = (o_.next() - 128) * 256, y = (o_.next() - 128) * 256;
                uint8_t buttons = o_.next();
                std::vector<int> down;
                for (int bit = 0; bit < 8; bit++)
                    if (buttons & 1 << bit) down.push_back(bit + 2 * (bit >= 6));  // 0-5, 8, 9
                if (o_.next() & 1) down.push_back(6 + (o_.next() & 1));
                harness::SetPad(x, y, down);
            } else if (b == 13) {
                harness::ClearPad();
            } else if (b == 255 && o_.mayQuit && o_.next() == 255) {
                Tap(KB_ESCAPE);
            }
            if (o_.playFrames >= 0 && age_ >= o_.playFrames && sn == SN_PLAY && player[time_left] > 1)
                player[time_left] = 1;
            break;
        }
        case PHASE_RESULT:
            if (age_ < kResultLock + quiet_)
                Noise(kResultNoise, 5);
            else if ((age_ - kResultLock - quiet_) % 8 == 0)
                Tap(KB_Z);
            break;
        case PHASE_SELECT:
            if (steer < 0)
                Noise(kSelectNoise, 6);
            else if (steer % 8 == 0)
                Tap(o_.next() & 1 ? KB_Z : KB_X);
            break;
        default:
            break;
    }
}

}  // namespace soak
