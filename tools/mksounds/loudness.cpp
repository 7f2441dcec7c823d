#include "loudness.h"

#include <algorithm>
#include <cmath>

#include "dsp.h"

namespace {

struct Biquad {
  double b0, b1, b2, a1, a2;
  double z1 = 0.0, z2 = 0.0;
  double run(double x) {
    double y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
  }
};

// The standard's filters, designed for our sample rate rather than 48 kHz.
Biquad shelf() {
  double k = std::tan(kPi * 1681.974450955533 / kRate), q = 0.7071752369554196;
  double vh = std::pow(10.0, 3.999843853973347 / 20.0), vb = std::pow(vh, 0.4996667741545416);
  double a0 = 1.0 + k / q + k * k;
  return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
          2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad highPass() {
  double k = std::tan(kPi * 38.13547087602444 / kRate), q = 0.5003270373238773;
  double a0 = 1.0 + k / q + k * k;
  return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

constexpr size_t kBlock = kRate / 100;

}  // namespace

std::vector<double> kWeighted(const std::vector<float>& x) {
  Biquad a = shelf(), b = highPass();
  std::vector<double> y(x.size());
  for (size_t i = 0; i < x.size(); ++i) y[i] = b.run(a.run(x[i]));
  return y;
}

double lufs(double meanSquareLeft, double meanSquareRight) {
  return -0.691 + 10.0 * std::log10(std::max(1e-20, meanSquareLeft + meanSquareRight));
}

Span audiblePart(const std::vector<float>& mono) {
  Span s;
  while (s.begin < mono.size() && std::fabs(mono[s.begin]) < 0.01f) ++s.begin;
  std::vector<double> w = kWeighted(mono);
  std::vector<double> blocks;
  for (size_t i = s.begin; i < w.size(); i += kBlock) {
    double sum = 0.0;
    size_t end = std::min(w.size(), i + kBlock);
    for (size_t j = i; j < end; ++j) sum += w[j] * w[j];
    blocks.push_back(sum / double(end - i));
  }
  double loudest = blocks.empty() ? 0.0 : *std::max_element(blocks.begin(), blocks.end());
  size_t last = 0;
  for (size_t k = 0; k < blocks.size(); ++k)
    if (blocks[k] >= loudest * 0.01) last = k;
  s.end = std::min(mono.size(), s.begin + (last + 1) * kBlock);
  return s;
}

double effectLoudness(const std::vector<float>& mono) {
  Span s = audiblePart(mono);
  std::vector<double> w = kWeighted(mono);
  double sum = 0.0;
  for (size_t i = s.begin; i < s.end; ++i) sum += w[i] * w[i];
  double ms = sum / double(std::max(kHearingWindow, s.end - s.begin));
  return lufs(ms, ms);
}

double truePeak(const std::vector<float>& x) {
  // Windowed-sinc interpolation at the three points between each pair of samples.
  constexpr int kTaps = 12;
  double peak = 0.0;
  for (size_t i = 0; i < x.size(); ++i) {
    peak = std::max(peak, double(std::fabs(x[i])));
    for (int phase = 1; phase < 4; ++phase) {
      double f = phase / 4.0, v = 0.0;
      for (int k = -kTaps + 1; k <= kTaps; ++k) {
        long j = long(i) + k;
        if (j < 0 || j >= long(x.size())) continue;
        double d = k - f;  // distance from the point, in samples
        double window = 0.5 + 0.5 * std::cos(kPi * d / kTaps);
        v += x[size_t(j)] * std::sin(kPi * d) / (kPi * d) * window;
      }
      peak = std::max(peak, std::fabs(v));
    }
  }
  return peak;
}
