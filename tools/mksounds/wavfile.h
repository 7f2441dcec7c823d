// 16-bit PCM WAV output.
#pragma once

#include <string>
#include <vector>

// Mono, kRate Hz. Samples are in -1..1; anything outside is a bug upstream and throws.
void writeWav(const std::string& path, const std::vector<float>& samples);
