// tavikoro_soak [frames [seed]]: a million frames by default, over four hours
// of game time on the virtual clock; takes minutes. Run it from anywhere.
#include <cstdio>
#include <cstdlib>

#include "soak.h"

int main(int argc, char* argv[]) {
    long frames = argc > 1 ? std::atol(argv[1]) : 1000000;
    uint32_t seed = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 0)) : 1;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    soak::Report report = soak::Run(frames, seed);
    std::fputs(soak::Describe(report).c_str(), stdout);
    // A little slack for the allocator's own bookkeeping; a leak per game
    // over hundreds of games goes far beyond it.
    std::vector<std::string> problems = soak::Problems(report, 1024, 64 * 1024);
    for (const std::string& p : problems) std::printf("PROBLEM: %s\n", p.c_str());
    std::puts(problems.empty() ? "clean" : "FAILED");
    return problems.empty() ? 0 : 1;
}
