// Walks the running game through its scenes with random keys, for the soak
// run and the fuzzer: logo, title, game, result, title, stage select, title,
// game... Hooked into a harness script's onFrame.
#pragma once
#include <cstdint>
#include <functional>

namespace soak {

enum Phase { PHASE_NONE, PHASE_LOGO, PHASE_TITLE, PHASE_PLAY, PHASE_RESULT, PHASE_SELECT, PHASE_COUNT };

// The scene the game is in, from its own globals; PHASE_NONE in the frame
// where one scene hands over to the next.
Phase CurrentPhase();

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
    std::function<void(Phase entered)> onEnter;
    int visits[PHASE_COUNT] = {};

private:
    void Tap(int key);
    void Noise(const int* keys, int count);
    WalkerOptions o_;
    Phase phase_ = PHASE_NONE;
    int age_ = 0;        // frames in the current phase
    int quiet_ = 0;      // random frames before steering in this phase
    bool toSelect_ = false;
    int tapped_[4] = {};
    int tappedCount_ = 0;
};

}  // namespace soak
