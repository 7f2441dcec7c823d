// mksounds <song dir> <output dir>
// Renders the game's music and effects, as its list of sound files names
// them: bgm/NN.ogg from NN.song in the song dir, se/NAME.wav from the recipe
// of that name.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

#include "effects.h"
#include "oggfile.h"
#include "render.h"
#include "score.h"
#include "sound/sound_files.h"
#include "wavfile.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <song dir> <output dir>\n", argv[0]);
        return 2;
    }
    auto began = std::chrono::steady_clock::now();
    try {
        fs::path out = argv[2];
        fs::create_directories(out / "bgm");
        fs::create_directories(out / "se");

        for (const char* file : kEffectFiles) {
            std::string name = fs::path(file).stem().string();
            auto e = std::find_if(effects().begin(), effects().end(), [&](const Effect& r) { return r.name == name; });
            if (e == effects().end()) throw std::runtime_error(std::string(file) + ": no recipe");
            writeWav((out / "se" / (name + ".wav")).string(), finishEffect(e->make(), e->loudness));
        }

        std::vector<fs::path> songs;
        for (const char* file : kMusicFiles)
            songs.push_back(fs::path(argv[1]) / (fs::path(file).stem().string() + ".song"));

        // Parse everything first so a typo fails fast, then encode on every core.
        std::vector<Score> scores;
        for (const auto& path : songs) scores.push_back(loadScore(path.string()));
        std::vector<std::string> errors(songs.size());
        std::vector<std::thread> workers;
        unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        for (unsigned w = 0; w < cores; ++w) {
            workers.emplace_back([&, w] {
                for (size_t i = w; i < songs.size(); i += cores) {
                    try {
                        fs::path target = out / "bgm" / songs[i].stem();
                        writeOgg(target.string() + ".ogg", renderScore(scores[i]), scores[i].title);
                    } catch (const std::exception& ex) {
                        errors[i] = ex.what();
                    }
                }
            });
        }
        for (auto& t : workers) t.join();
        for (const auto& e : errors)
            if (!e.empty()) throw std::runtime_error(e);
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "mksounds: %s\n", ex.what());
        return 1;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::printf("mksounds: wrote %d effects and %d pieces of music in %.1f s\n", SE_COUNT, kMusicPieces, seconds);
    return 0;
}
