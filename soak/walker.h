// Walks the running game through its scenes with random keys, for the soak
// run and the fuzzer: logo, title, game, result, title, stage select, title,
// game... Hooked into a harness script's onFrame.
#pragma once
#include <cstdint>
#include <functional>
#include <iterator>

#include "scenes/scenes.h"

namespace soak {

// Where the walker is: a scene by its place in kScenes, or the game's result,
// the second half of the act scene.
constexpr int kNoPhase = -1;
constexpr int kResultPhase = static_cast<int>(std::size(kScenes));
constexpr int kPhaseCount = kResultPhase + 1;

constexpr int PhaseOf(int sceneId) {
    for (int i = 0; i < kResultPhase; i++)
        if (kScenes[i].id == sceneId) return i;
    return kNoPhase;
}
const char* PhaseName(int phase);

// The phase the game is in, from its own globals; kNoPhase in the frame
// where one scene hands over to the next.
int CurrentPhase();

struct WalkerOptions {
    std::function<uint8_t()> next;  // the source of every random choice
    int playFrames = -1;            // when >= 0, the clock of the game is run out after this many
    bool mayQuit = false;           // whether a random Escape may end the run
};

class Walker {
public:
    explicit Walker(WalkerOptions options) : o_(std::move(options)) {}
    void Frame(int frame);  // for Script::onFrame
    // Called in the first frame of every scene, after it loaded its pictures.
    std::function<void(int entered)> onEnter;
    int visits[kPhaseCount] = {};

private:
    void Tap(int key);
    void Noise(const int* keys, int count);
    WalkerOptions o_;
    int phase_ = kNoPhase;
    int age_ = 0;    // frames in the current phase
    int quiet_ = 0;  // random frames before steering in this phase
    bool toSelect_ = false;
    int tapped_[4] = {};
    int tappedCount_ = 0;
};

}  // namespace soak
