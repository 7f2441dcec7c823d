// Checks the generated music and effects the way the game and the player meet them:
// through SDL_mixer, and by what can be heard (length, loudness, onset, clicks, pitch).
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "render.h"
#include "score.h"

namespace {

const std::string kSoundDir = GAME_SOUND_DIR;

// ---- what the player hears ----------------------------------------------

struct Heard {
  double seconds = 0, peakDb = -200, onsetSeconds = 0;
  bool smoothSeam = false;
};

// Length, peak, the first sample above -40 dBFS, and whether the step from
// the last sample to the first is no bigger than the music's own steps near it.
Heard listen(const std::vector<float>& x, double rate) {
  Heard h;
  h.seconds = x.size() / rate;
  size_t onset = x.size();
  for (size_t i = 0; i < x.size(); ++i) {
    h.peakDb = std::max(h.peakDb, 20.0 * std::log10(std::fabs(x[i]) + 1e-12));
    if (std::fabs(x[i]) >= 0.01f && onset == x.size()) onset = i;
  }
  h.onsetSeconds = onset / rate;
  if (x.size() < 4096) return h;
  std::vector<float> steps;
  for (size_t i = 1; i < 1024; ++i) steps.push_back(std::fabs(x[i] - x[i - 1]));
  for (size_t i = x.size() - 1024; i + 1 < x.size(); ++i) steps.push_back(std::fabs(x[i + 1] - x[i]));
  std::sort(steps.begin(), steps.end());
  h.smoothSeam = std::fabs(x.front() - x.back()) <= 2.0f * steps[steps.size() * 9 / 10] + 1e-3f;
  return h;
}

// Effects as SDL_mixer hands them to the speakers: 16-bit stereo at 44.1 kHz.
TEST(Sounds, EffectsArePromptAndLoudWithoutClipping) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
  ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096), 0) << Mix_GetError();
  const struct {
    const char* name;
    double minSeconds, maxSeconds;
  } effects[] = {
      {"tavi", 0.8, 1.3}, {"hit1", 0.12, 0.3}, {"kan", 0.2, 0.45}, {"oo", 0.1, 0.22},     {"msg", 0.03, 0.15},
      {"select", 0.01, 0.06}, {"sw", 0.15, 0.4}, {"jump", 0.15, 0.4}, {"puwa", 0.08, 0.3},
  };
  for (const auto& c : effects) {
    SCOPED_TRACE(c.name);
    Mix_Chunk* chunk = Mix_LoadWAV((kSoundDir + "/se/" + c.name + ".wav").c_str());
    ASSERT_NE(chunk, nullptr) << Mix_GetError();
    const auto* s = reinterpret_cast<const Sint16*>(chunk->abuf);
    std::vector<float> left;
    for (size_t i = 0; i < chunk->alen / 4; ++i) left.push_back(s[2 * i] / 32768.0f);
    Heard h = listen(left, 44100);
    EXPECT_GE(h.seconds, c.minSeconds);
    EXPECT_LE(h.seconds, c.maxSeconds);
    EXPECT_GE(h.peakDb, -4.0);
    EXPECT_LE(h.peakDb, -2.0);
    EXPECT_LE(h.onsetSeconds, 0.005) << "a reaction game cannot afford dead air";
    Mix_FreeChunk(chunk);
  }
  Mix_CloseAudio();
  SDL_Quit();
}

TEST(Sounds, MusicDecodesAtItsLengthAndLoopsCleanly) {
  const struct {
    const char* name;
    double minSeconds, maxSeconds;
    bool loops;
  } pieces[] = {
      {"01", 8, 20, true}, {"02", 20, 40, true}, {"03", 8, 20, false}, {"04", 8, 20, true},
      {"05", 8, 20, true}, {"06", 8, 20, true},  {"07", 8, 20, true},
  };
  for (const auto& c : pieces) {
    SCOPED_TRACE(c.name);
    OggVorbis_File vf;
    ASSERT_EQ(ov_fopen((kSoundDir + "/bgm/" + c.name + ".ogg").c_str(), &vf), 0);
    EXPECT_EQ(ov_info(&vf, -1)->rate, 44100);
    const long declared = long(ov_pcm_total(&vf, -1));
    std::vector<float> left;
    float** block = nullptr;
    int section = 0;
    for (long n; (n = ov_read_float(&vf, &block, 4096, &section)) > 0;) left.insert(left.end(), block[0], block[0] + n);
    ov_clear(&vf);
    EXPECT_EQ(long(left.size()), declared);
    Heard h = listen(left, 44100);
    EXPECT_GE(h.seconds, c.minSeconds);
    EXPECT_LE(h.seconds, c.maxSeconds);
    EXPECT_GT(h.peakDb, -6.0) << "too quiet";
    EXPECT_LT(h.peakDb, -0.1) << "clips";
    EXPECT_TRUE(h.smoothSeam || !c.loops);
  }
}

// ---- the song format -----------------------------------------------------

Score parse(const std::string& text) {
  std::istringstream in(text);
  return parseScore(in, "test");
}

TEST(SongFormat, NoteNames) {
  const struct {
    const char* token;
    int midi;
  } cases[] = {
      {"A4", 69}, {"C4", 60}, {"F#3", 54}, {"Bb5", 82}, {"B#3", 60}, {"Cb4", 59},
      {"C", -1},  {"H4", -1}, {"C#", -1},  {"c4", -1},  {"C44", -1}, {"", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(parseNote(c.token), c.midi) << c.token;
}

TEST(SongFormat, MistakesAreReportedWithTheirLine) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"voice a pulse\npattern P\na C4 X9\nsong P\n", "test:3: voice a: bad note 'X9'"},
      {"voice a pulse\nvoice b drums\npattern P\na C4 . .\nb k k\nsong P\n", "does not divide"},
      {"voice a pulse\npattern P\na C4\nsong Q\n", "unknown pattern 'Q'"},
      {"voice a pulse wobble=3\n", "test:1: unknown voice setting 'wobble'"},
      {"voice a kazoo\n", "unknown wave 'kazoo'"},
      {"voice d drums\npattern P\nd kx\nsong P\n", "test:3: unknown drum 'kx'"},
      {"tempo fast\n", "test:1: not a number"},
      {"peak 1.2\n", "below full scale"},
      {"voice a pulse\npattern P\na C4\n", "no song line"},
      {"voice a pulse\na C4\n", "test:2: notes outside a pattern"},
  };
  for (const auto& c : cases) {
    try {
      parse(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
    }
  }
}

// ---- rendering -----------------------------------------------------------

double zeroCrossingHz(const std::vector<float>& x, size_t from, size_t to) {
  int crossings = 0;
  for (size_t i = from + 1; i < to; ++i)
    if ((x[i - 1] < 0.0f) != (x[i] < 0.0f)) ++crossings;
  return crossings / 2.0 / (double(to - from) / kRate);
}

TEST(Rendering, NotesAreInTune) {
  const struct {
    const char* wave;
    const char* note;
    double hz;
  } cases[] = {{"sine", "A4", 440.0}, {"triangle", "C5", 523.25}, {"pulse", "E3", 164.81}, {"saw", "A5", 880.0}};
  for (const auto& c : cases) {
    Score s = parse(std::string("voice v ") + c.wave + " s=1\npattern P\nv " + c.note + " - - -\nsong P\n");
    Stereo out = renderScore(s);
    double hz = zeroCrossingHz(out.left, out.left.size() / 4, out.left.size() * 3 / 4);
    EXPECT_NEAR(hz, c.hz, c.hz * 0.01) << c.wave << " " << c.note;
  }
}

TEST(Rendering, LoopTailsWrapIntoTheStartAndOneShotsRingOut) {
  // One note on the very last step with a long release.
  const char* text =
      "tempo 120\nloop %s\nvoice v sine r=0.4\npattern P\nv . . . . . . . A4\nsong P\n";
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, text, "on");
  Stereo looped = renderScore(parse(buffer));
  std::snprintf(buffer, sizeof buffer, text, "off");
  Stereo once = renderScore(parse(buffer));

  const size_t songLength = 8 * 44100 / 8;  // 8 sixteenths at 120 bpm = 1 s
  EXPECT_EQ(looped.left.size(), songLength);
  EXPECT_GT(once.left.size(), songLength + 44100 / 10);
  float startOfLoop = 0.0f;
  for (size_t i = 0; i < 4410; ++i) startOfLoop = std::max(startOfLoop, std::fabs(looped.left[i]));
  EXPECT_GT(startOfLoop, 0.05f) << "the release should carry over into the loop start";
  EXPECT_TRUE(listen(looped.left, kRate).smoothSeam);
  EXPECT_NEAR(std::fabs(once.left.back()), 0.0f, 1e-3f) << "a one-shot must end in silence";
}

}  // namespace
