// The game's sound effects, one recipe each.
#pragma once

#include <string>
#include <vector>

struct Effect {
  std::string name;  // file stem under se/
  std::vector<float> (*make)();
};

const std::vector<Effect>& effects();

// Peak every effect lands on: about -3 dBFS, so effects sit evenly against each other.
constexpr float kEffectPeak = 0.70f;

// Scales to kEffectPeak and smooths the last few milliseconds so nothing ends in a click.
std::vector<float> finishEffect(std::vector<float> samples);
