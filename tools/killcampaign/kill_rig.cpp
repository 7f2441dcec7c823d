// The game that tools/kill-campaign.sh kills: three whole games in the folder
// it is started in, on the test host with its virtual clock and scripted
// pushes. Each game chops later into every signal than the one before, so
// each scores less and sets a new best (lower is better) with its replay
// file, and each turns the volume down a step, so each game's end saves
// settings of its own. Without pictures and sounds the frames cost next to
// nothing, so the saves follow one another closely, as a kill timed from the
// first of them wants.
//
//   kill_rig [--versions FOLDER]
//
// It says "saving" on its output just before the first save. With --versions
// every file is copied into FOLDER after each save, named after the file and
// a running number: the versions a whole run writes; the run checks itself
// then, and says what it scored and how long it took from the first save to
// the end of the last.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "act/chop.h"
#include "harness/harness.h"

namespace fs = std::filesystem;

namespace {

constexpr int kGames = 3;
// From the title's first frame to the title's first frame after the game.
constexpr int kGameFrames = harness::kTitleAgain - harness::Title(1);
const char* const kFiles[] = {"save/config", "save/work.sav", "save/item_wk.sav", "replay/0/replay_data_j0.dat"};

std::string g_versions;
std::chrono::steady_clock::time_point g_saving, g_saved;

// Said just before the first save, so that the campaign can time its kill
// from there: start-up and shutdown take ten times as long as the saves.
void SayWhenSaving(int frame) {
    if (frame != harness::Title(2) - 1) return;  // the keys step right after it starts the first game
    g_saving = std::chrono::steady_clock::now();
    std::puts("saving");
    std::fflush(stdout);
}

void KeepVersions() {
    static int saves;
    saves++;
    g_saved = std::chrono::steady_clock::now();
    for (const char* file : kFiles) {
        std::error_code missing;  // the replay file until the first game ends
        fs::copy_file(file, g_versions + "/" + fs::path(file).filename().string() + "." + std::to_string(saves),
                      missing);
    }
}

// Frames are drawn but neither shown nor magnified: that is most of a frame's
// cost and has nothing to do with saving.
void Unseen(Host& host) {
    host.present = [] {};
    host.pictures.fillBlack = [] {};
    host.pictures.magnify = [](int) {};
    if (!g_versions.empty()) host.recordsWritten = KeepVersions;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace harness;
    bool versions = argc == 3 && std::strcmp(argv[1], "--versions") == 0;
    if (versions) g_versions = argv[2];
    // No audio device, so the game plays silently: closing one would take
    // a quarter of a second before the last save, and kills would land there.
    setenv("SDL_AUDIODRIVER", "none", 1);
    Script s;
    s.Push(3, KB_Z);  // skips the logo
    for (int game = 0; game < kGames; game++) {
        int at = game * kGameFrames;
        s.Push(Title(2) + at, KB_Z);
        s.Push(Play(10) + at, KB_MINUS);
        int late = 20 + 10 * game;  // frames into each signal: 400, 300, 200 points a chop
        for (int p = kSignalPeriod + late; p < kPlayFrames; p += kSignalPeriod + late) s.Push(Play(p) + at, KB_Z);
        s.Push(Res(61) + at, KB_Z);  // the first frame that takes OK; kTitleAgain follows it
    }
    s.Push(kTitleAgain + 2 + (kGames - 1) * kGameFrames, KB_ESCAPE);
    s.host = Unseen;
    s.onFrame = SayWhenSaving;

    Result r = RunGame(fs::current_path().string(), s);
    if (!versions) return r.exitCode;
    std::printf("scores");
    bool falling = r.scoresShown.size() == 2 * kGames;
    for (size_t i = 1; i < r.scoresShown.size(); i += 2) {
        std::printf(" %d", r.scoresShown[i]);
        falling = falling && (i == 1 || r.scoresShown[i] < r.scoresShown[i - 2]);
    }
    std::printf(
        "\nsaves take %lld us\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(g_saved - g_saving).count()));
    if (r.exitCode == 0 && !r.timedOut && falling) return 0;
    std::fprintf(stderr, "kill_rig: the run did not play %d games, each with a new best, to the end\n", kGames);
    return 1;
}
