// The game's sound effects, one recipe each.
#pragma once

#include <string>
#include <vector>

struct Effect {
  std::string name;  // file stem under se/
  std::vector<float> (*make)();
  double loudness;  // LUFS as played on both channels (loudness.h)
};

const std::vector<Effect>& effects();

// No effect peaks above -9.5 dBFS: the music (about -15 dBFS at its peak) and
// any two effects together then stay below -1 dBFS, wherever they meet.
constexpr float kEffectCeiling = 0.335f;

// Brings the effect to its loudness, rounding off what would stand above the
// ceiling, and smooths the last few milliseconds so nothing ends in a click.
std::vector<float> finishEffect(std::vector<float> samples, double loudness);
