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

class Mixer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096), 0) << Mix_GetError();
  }
  static void TearDownTestSuite() {
    Mix_CloseAudio();
    SDL_Quit();
  }
};

// ---- effects -------------------------------------------------------------

struct EffectCase {
  const char* name;
  double minSeconds, maxSeconds;
};

const EffectCase kEffects[] = {
    {"tavi", 0.8, 1.3}, {"hit1", 0.12, 0.3}, {"kan", 0.2, 0.45}, {"oo", 0.1, 0.22},     {"msg", 0.03, 0.15},
    {"select", 0.01, 0.06}, {"sw", 0.15, 0.4}, {"jump", 0.15, 0.4}, {"puwa", 0.08, 0.3},
};

void PrintTo(const EffectCase& c, std::ostream* os) { *os << c.name; }

class Effect : public Mixer, public ::testing::WithParamInterface<EffectCase> {};

TEST_P(Effect, PlaysPromptlyAtEvenLoudnessWithoutClipping) {
  const EffectCase& c = GetParam();
  Mix_Chunk* chunk = Mix_LoadWAV((kSoundDir + "/se/" + c.name + ".wav").c_str());
  ASSERT_NE(chunk, nullptr) << Mix_GetError();
  // The mixer hands back 16-bit stereo at 44.1 kHz, exactly what reaches the speakers.
  const auto* s = reinterpret_cast<const Sint16*>(chunk->abuf);
  size_t samples = chunk->alen / sizeof(Sint16);
  size_t frames = samples / 2;

  double seconds = double(frames) / 44100.0;
  EXPECT_GE(seconds, c.minSeconds);
  EXPECT_LE(seconds, c.maxSeconds);

  int peak = 0, clipped = 0;
  size_t firstAudible = samples;
  for (size_t i = 0; i < samples; ++i) {
    int v = std::abs(int(s[i]));
    peak = std::max(peak, v);
    if (v >= 32767) ++clipped;
    if (v >= 328 && firstAudible == samples) firstAudible = i;  // -40 dBFS
  }
  double peakDb = 20.0 * std::log10(peak / 32768.0);
  // Levelled by loudness (soundcheck measures that), under one ceiling.
  EXPECT_GE(peakDb, -24.0);
  EXPECT_LE(peakDb, -9.5);
  EXPECT_EQ(clipped, 0);
  // A reaction game cannot afford dead air before the sound.
  EXPECT_LE(double(firstAudible / 2) / 44100.0, 0.005);
  Mix_FreeChunk(chunk);
}

INSTANTIATE_TEST_SUITE_P(All, Effect, ::testing::ValuesIn(kEffects),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- music ---------------------------------------------------------------

struct Decoded {
  long rate = 0;
  int channels = 0;
  long frames = 0;  // as the stream declares it
  std::vector<std::vector<float>> pcm;
};

Decoded decodeOgg(const std::string& path) {
  OggVorbis_File vf;
  if (ov_fopen(path.c_str(), &vf) != 0) throw std::runtime_error(path + ": not an OGG Vorbis file");
  Decoded d;
  vorbis_info* info = ov_info(&vf, -1);
  d.rate = info->rate;
  d.channels = info->channels;
  d.frames = long(ov_pcm_total(&vf, -1));
  d.pcm.resize(size_t(d.channels));
  float** block = nullptr;
  int section = 0;
  for (long n; (n = ov_read_float(&vf, &block, 4096, &section)) > 0;)
    for (int c = 0; c < d.channels; ++c) d.pcm[size_t(c)].insert(d.pcm[size_t(c)].end(), block[c], block[c] + n);
  ov_clear(&vf);
  return d;
}

// True when stepping from the last sample to the first is no bigger than the steps
// the music takes anyway just either side of the seam.
::testing::AssertionResult seamIsSmooth(const std::vector<float>& x) {
  const size_t window = 1024;
  std::vector<float> steps;
  for (size_t i = x.size() - window; i + 1 < x.size(); ++i) steps.push_back(std::fabs(x[i + 1] - x[i]));
  for (size_t i = 0; i < window; ++i) steps.push_back(std::fabs(x[i + 1] - x[i]));
  std::sort(steps.begin(), steps.end());
  float typical = steps[steps.size() * 9 / 10];
  float seam = std::fabs(x.front() - x.back());
  if (seam <= 2.0f * typical + 1e-3f) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "seam jump " << seam << " vs typical step " << typical;
}

struct MusicCase {
  const char* name;
  double minSeconds, maxSeconds;
  bool loops;
};

const MusicCase kMusic[] = {
    {"01", 8, 20, true},  {"02", 20, 40, true}, {"03", 8, 20, false}, {"04", 8, 20, true},
    {"05", 8, 20, true},  {"06", 8, 20, true},  {"07", 8, 20, true},
};

void PrintTo(const MusicCase& c, std::ostream* os) { *os << c.name; }

class Music : public Mixer, public ::testing::WithParamInterface<MusicCase> {};

TEST_P(Music, LoadsDecodesAndLoopsCleanly) {
  const MusicCase& c = GetParam();
  std::string path = kSoundDir + "/bgm/" + c.name + ".ogg";
  Mix_Music* music = Mix_LoadMUS(path.c_str());
  ASSERT_NE(music, nullptr) << Mix_GetError();
  Mix_FreeMusic(music);

  Decoded d = decodeOgg(path);
  EXPECT_EQ(d.rate, 44100);
  ASSERT_FALSE(d.pcm.empty());
  ASSERT_EQ(long(d.pcm[0].size()), d.frames) << "declared length differs from decoded length";
  double seconds = double(d.frames) / double(d.rate);
  EXPECT_GE(seconds, c.minSeconds);
  EXPECT_LE(seconds, c.maxSeconds);

  for (const auto& channel : d.pcm) {
    float peak = 0.0f;
    for (float v : channel) peak = std::max(peak, std::fabs(v));
    EXPECT_LT(peak, 0.25f) << "leaves no room for the effects";
    EXPECT_GT(peak, 0.1f) << "too quiet";
    if (c.loops) {
      EXPECT_TRUE(seamIsSmooth(channel));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(All, Music, ::testing::ValuesIn(kMusic),
                         [](const auto& info) { return "Piece" + std::string(info.param.name); });

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

TEST(SongFormat, HoldsRestsSharpsAndRepeats) {
  Score s = parse(
      "tempo 120\n"
      "voice lead pulse  # a comment\n"
      "voice drums drums\n"
      "pattern A\n"
      "lead  G#4 - - . | C5 . E5 -\n"
      "drums Kh .\n"
      "pattern B\n"
      "lead  - - . . | . . . .\n"
      "song A B\n");
  ASSERT_EQ(s.steps, 16);
  const auto& lead = s.events[0];
  ASSERT_EQ(lead.size(), 3u);
  EXPECT_EQ(lead[0].notes, std::vector<int>{68});
  EXPECT_EQ(lead[0].length, 3);
  EXPECT_EQ(lead[1].step, 4);
  EXPECT_EQ(lead[1].length, 1);
  // A hold at the start of the next pattern carries the note across the join.
  EXPECT_EQ(lead[2].step, 6);
  EXPECT_EQ(lead[2].length, 4);
  // The two-step beat repeats to fill its pattern and stays silent where it has no line.
  ASSERT_EQ(s.events[1].size(), 4u);
  EXPECT_EQ(s.events[1][3].step, 6);
  EXPECT_EQ(s.events[1][3].hits, "Kh");
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
  EXPECT_TRUE(seamIsSmooth(looped.left));
  EXPECT_NEAR(std::fabs(once.left.back()), 0.0f, 1e-3f) << "a one-shot must end in silence";
}

}  // namespace
