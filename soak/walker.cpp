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

const int kLogoNoise[] = {KB_UP, KB_DOWN, KB_LEFT, KB_RIGHT, KB_C};
// No Z, Left or Right: they would leave the title before the walker steers.
const int kTitleNoise[] = {KB_UP, KB_DOWN, KB_X, KB_C, KB_KP8, KB_KP2};
const int kPlayNoise[] = {KB_X, KB_C, KB_LEFT, KB_RIGHT, KB_UP, KB_DOWN};
const int kResultNoise[] = {KB_X, KB_C, KB_LEFT, KB_RIGHT, KB_Z};  // Z is locked out at first
const int kSelectNoise[] = {KB_UP, KB_DOWN, KB_LEFT, KB_RIGHT, KB_KP4, KB_KP6};

constexpr int kResultLock = 62;
constexpr int kRetry = 40;

}  // namespace

const char* PhaseName(int phase) { return phase == kResultPhase ? "result" : kScenes[phase].name; }

int CurrentPhase() {
    // A scene that ends has named the next in g_scene before it lets its
    // pictures go: the title's picture tells whether the title still runs.
    bool title = bitmap[kTitleSlot] != nullptr;
    if (title != (g_scene == SCENE_TITLE) && g_scene != SCENE_LOGO) return kNoPhase;
    if (g_scene != SCENE_ACT) return PhaseOf(g_scene);
    if (sn == SN_START || sn == SN_PLAY) return PhaseOf(SCENE_ACT);
    return sn == SN_RESULT ? kResultPhase : kNoPhase;
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
    int p = CurrentPhase();
    if (p == kNoPhase) return;
    if (p != phase_) {
        phase_ = p;
        age_ = 0;
        visits[p]++;
        quiet_ = o_.next() % 32;
        harness::ClearPad();
        if (p == PhaseOf(SCENE_TITLE)) toSelect_ = visits[p] % 2 == 0;
        if (onEnter) onEnter(p);
    } else {
        age_++;
    }

    int steer = age_ - quiet_;
    switch (p) {
        case PhaseOf(SCENE_LOGO):
            if (steer < 0)
                Noise(kLogoNoise, 5);
            else if (steer == 0 && o_.next() % 4 != 0)
                Tap(KB_Z);  // else the logo runs out by itself
            break;
        case PhaseOf(SCENE_TITLE):
            if (steer < 0) {
                Noise(kTitleNoise, 6);
            } else if (steer % kRetry == 0) {
                Tap(toSelect_ ? KB_RIGHT : KB_Z);
            } else if (steer % kRetry == 4 && toSelect_) {
                Tap(KB_Z);
            }
            break;
        case PhaseOf(SCENE_ACT): {
            uint8_t b = o_.next();
            if (b < 8) {
                Tap(KB_Z);
            } else if (b < 12) {
                Noise(kPlayNoise, 6);
            } else if (b == 12) {
                // Any stick position and any buttons, the volume buttons among them.
                int x = (o_.next() - 128) * 256, y = (o_.next() - 128) * 256;
                static_assert(kPadButtons <= 16, "two random bytes choose the buttons");
                int buttons = o_.next() << 8 | o_.next();
                std::vector<int> down;
                for (int b = 0; b < kPadButtons; b++)
                    if (buttons >> b & 1) down.push_back(b);
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
        case kResultPhase:
            if (age_ < kResultLock + quiet_)
                Noise(kResultNoise, 5);
            else if ((age_ - kResultLock - quiet_) % 8 == 0)
                Tap(KB_Z);
            break;
        case PhaseOf(SCENE_STAGESELECT):
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
