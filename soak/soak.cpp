#include "soak.h"

#include <dirent.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "harness/harness.h"
#include "picture_count.h"
#include "platform/records.h"
#include "platform/surfaces.h"

namespace soak {

namespace {

// AddressSanitizer holds freed memory back for a while, so resident size
// grows by design there and malloc keeps no statistics; LeakSanitizer
// checks for leaks at exit instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

long RssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

int OpenFds() {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return -1;
    int count = 0;
    while (dirent* e = readdir(dir))
        if (e->d_name[0] != '.') count++;
    closedir(dir);
    return count - 1;  // the listing's own
}

Gauges Measure() {
    Gauges g;
    g.rssKb = RssKb();
    g.heapBytes = static_cast<long>(mallinfo2().uordblks);
    g.fds = OpenFds();
    return g;
}

int UsedSlots() {
    int n = 0;
    for (SDL_Surface* s : bitmap) n += s != nullptr;
    return n;
}

}  // namespace

Report Run(long frames, uint32_t seed) {
    Report r;
    r.framesAsked = frames;
    harness::GameDir dir;
    harness::Script script;
    script.maxFrames = static_cast<int>(frames);
    script.host = CountPictures;

    uint64_t state = 0x9E3779B97F4A7C15ull ^ seed;
    WalkerOptions options;
    options.next = [&state] {  // xorshift64*
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return static_cast<uint8_t>((state * 0x2545F4914F6CDD1Dull) >> 56);
    };
    Walker walker(options);
    long frameNow = 0;
    script.onFrame = [&](int frame) {
        frameNow = frame;
        walker.Frame(frame);
    };
    walker.onEnter = [&](int p) {
        int slots = UsedSlots();
        long surfaces = LivePictures();
        bool first = walker.visits[p] == 1;
        r.slotsMin[p] = first ? slots : std::min(r.slotsMin[p], slots);
        r.slotsMax[p] = first ? slots : std::max(r.slotsMax[p], slots);
        r.surfacesMin[p] = first ? surfaces : std::min(r.surfacesMin[p], surfaces);
        r.surfacesMax[p] = first ? surfaces : std::max(r.surfacesMax[p], surfaces);
        Gauges g = Measure();
        g.frame = frameNow;
        r.fdsMax = std::max(r.fdsMax, g.fds);
        if (p != PhaseOf(SCENE_TITLE)) return;
        if (walker.visits[p] == 2) r.start = g;
        r.end = g;
    };

    auto begin = std::chrono::steady_clock::now();
    harness::Result result = harness::RunGame(dir, script);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    r.frames = result.frames;
    r.polls = static_cast<long>(result.sleeps.size());
    r.exitCode = result.exitCode;
    r.ranToTheEnd = result.timedOut;
    std::memcpy(r.visits, walker.visits, sizeof r.visits);
    std::vector<int32_t> config = harness::ReadRecord(dir.File("save/config"));
    if (config.size() == kRecordSize)
        r.playTimeFrames = config[GF_PLAY_FRAMES] + 60ll * config[GF_PLAY_SECONDS] + 3600ll * config[GF_PLAY_MINUTES] +
                           216000ll * config[GF_PLAY_HOURS];
    return r;
}

std::vector<std::string> Problems(const Report& r, long rssSlackKb, long heapSlackBytes) {
    std::vector<std::string> problems;
    auto add = [&problems](const std::string& text) { problems.push_back(text); };
    if (r.exitCode != 0) add("exit code " + std::to_string(r.exitCode));
    if (!r.ranToTheEnd) add("the game ended before the frames were done");
    if (r.frames < r.framesAsked) add("frames presented: " + std::to_string(r.frames));
    if (r.playTimeFrames != r.polls)
        add("play time in the record " + std::to_string(r.playTimeFrames) + " frames, ran " + std::to_string(r.polls));
    for (int p = 0; p < kPhaseCount; p++) {
        std::string name = PhaseName(p);
        if (r.visits[p] == 0 && p != PhaseOf(SCENE_LOGO)) add(name + " never reached");
        if (r.slotsMin[p] != r.slotsMax[p])
            add(name + ": picture slots in use from " + std::to_string(r.slotsMin[p]) + " to " +
                std::to_string(r.slotsMax[p]));
        if (r.surfacesMin[p] != r.surfacesMax[p])
            add(name + ": live pictures from " + std::to_string(r.surfacesMin[p]) + " to " +
                std::to_string(r.surfacesMax[p]));
    }
    if (r.visits[PhaseOf(SCENE_TITLE)] < 3) add("too short to compare two titles after the first game");
    if (r.end.fds != r.start.fds)
        add("open files from " + std::to_string(r.start.fds) + " to " + std::to_string(r.end.fds));
    if (kSanitized) return problems;
    if (r.RssGrowthKb() > rssSlackKb)
        add("resident size from " + std::to_string(r.start.rssKb) + " to " + std::to_string(r.end.rssKb) + " kB, " +
            std::to_string(r.RssGrowthKb()) + " kB of it the game's");
    if (r.end.heapBytes - r.start.heapBytes > heapSlackBytes)
        add("heap in use from " + std::to_string(r.start.heapBytes) + " to " + std::to_string(r.end.heapBytes));
    return problems;
}

std::string Describe(const Report& r) {
    std::ostringstream out;
    out << "frames " << r.frames << " of " << r.framesAsked << " (" << r.frames * 16 / 1000 / 60
        << " min of game time) in " << r.seconds << " s, exit " << r.exitCode << "\n";
    out << "play time in the record: " << r.playTimeFrames << " frames; frames that waited: " << r.polls << "\n";
    out << "resident kB " << r.start.rssKb << " -> " << r.end.rssKb << " (" << r.RssGrowthKb()
        << " kB beyond the harness's frame log), heap bytes " << r.start.heapBytes << " -> " << r.end.heapBytes
        << ", open files " << r.start.fds << " -> " << r.end.fds << " (max " << r.fdsMax << ")\n";
    for (int p = 0; p < kPhaseCount; p++)
        out << PhaseName(p) << ": " << r.visits[p] << " visits, picture slots " << r.slotsMin[p] << ".."
            << r.slotsMax[p] << ", live pictures " << r.surfacesMin[p] << ".." << r.surfacesMax[p] << "\n";
    return out.str();
}

}  // namespace soak
