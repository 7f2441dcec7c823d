// Saves as a player's machine meets them, and a start-up that cannot open
// its window.
#include <SDL.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "harness/harness.h"
#include "platform/records.h"

namespace fs = std::filesystem;
using fs::perms;

namespace {

// Root passes every permission check; a player does not.
void AsPlayer(bool player) {
    __user_cap_header_struct head{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2];
    syscall(SYS_capget, &head, caps);
    for (auto& c : caps) c.effective = player ? 0 : c.permitted;
    syscall(SYS_capset, &head, caps);
}

bool Holds(const char* path, int32_t first) {
    auto record = harness::ReadRecord(path);
    return record.size() == 1024u && record[0] == first;
}

bool Link(const char* to) { return fs::remove("save/config") && symlink(to, "save/config") == 0; }
bool Chmod(const char* path, perms mode) { return fs::permissions(path, mode), true; }

// Files in save/ beside the record: a temporary file left behind shows here.
long Others() {
    return std::count_if(fs::directory_iterator("save"), {}, [](auto& f) { return f.path().filename() != "config"; });
}

// One page of tmpfs as the save folder, filled by the old file, in a mount
// namespace of the test's own; false where that cannot be done.
bool FullDisk() {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    fs::rename("save", "old");
    fs::create_directory("save");
    return mount("tmpfs", "save", "tmpfs", 0, "size=4k") == 0 && fs::copy_file("old/config", "save/config");
}

// Each row starts from save/config holding 1, changes what a player might
// have changed, saves 2 and looks at what the player finds.
TEST(SaveCases, EachMachineKeepsThePlayersFileWhereAndAsItWas) {
    constexpr perms kPrivate = perms::owner_read | perms::owner_write;
    const struct {
        const char* name;
        bool (*prepare)();  // false where the machine cannot be made so
        int result;
        bool (*found)();
    } cases[] = {
        {"a link to a synced file", [] { return fs::copy_file("save/config", "synced") && Link("../synced"); }, 0,
         [] { return fs::is_symlink("save/config") && Holds("synced", 2); }},
        {"a private file", [] { return Chmod("save/config", kPrivate); }, 0,
         [] { return Holds("save/config", 2) && fs::status("save/config").permissions() == kPrivate; }},
        {"a folder that takes no new files", [] { return Chmod("save", perms::owner_read | perms::owner_exec); }, 0,
         [] { return Holds("save/config", 2); }},
        {"a file made read-only", [] { return Chmod("save/config", perms::owner_read); }, -1,
         [] { return Holds("save/config", 1); }},
        {"a first save beside an old temporary name that is a folder",
         [] { return fs::remove("save/config") && fs::create_directory("save/config.tmp"); }, 0,
         [] { return Holds("save/config", 2); }},
        {"a link to a full device", [] { return Link("/dev/full"); }, -1,
         [] { return fs::is_character_file("/dev/full") && fs::is_symlink("save/config"); }},
        {"a full disk", FullDisk, -1, [] { return Holds("save/config", 1); }},
    };
    fs::path home = fs::current_path();
    for (const auto& c : cases) {
        harness::GameDir dir;
        fs::current_path(dir.path);
        gameflag[0] = 1;
        ASSERT_EQ(SaveGameFlag("save/config"), 0);
        long others = c.prepare() ? Others() : -1;
        if (others < 0) std::printf("skipped on this machine: %s\n", c.name);
        gameflag[0] = 2;
        AsPlayer(true);
        int result = SaveGameFlag("save/config");
        AsPlayer(false);
        if (others >= 0) {
            EXPECT_EQ(result, c.result) << c.name;
            EXPECT_TRUE(c.found() && Others() == others) << c.name;
        }
        umount2("save", MNT_DETACH);
        fs::permissions("save", perms::owner_all);
        fs::current_path(home);
    }
}

// SDL's own words for the failure that stopped it, not an earlier one's.
TEST(SaveCases, VideoThatCannotStartIsExplainedOnOneLine) {
    harness::GameDir dir;
    setenv("SDL_VIDEODRIVER", "nonesuch", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(harness::RunGame(dir, harness::Script{}).exitCode, 1);
    // sdl12-compat names the driver, the classic SDL 1.2 library does not.
    std::string line = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(line == "Couldn't set video mode: nonesuch not available\n" ||
                line == "Couldn't set video mode: No available video device\n")
        << line;
    setenv("SDL_VIDEODRIVER", "dummy", 1);

    // Video up but no mode: the reason is the mode's, not the palette's after it.
    harness::Script refused;
    refused.host = [](Host& host) {
        host.pictures.openDisplay = [](bool) -> SDL_Surface* {
            SDL_SetError("mode refused");
            return nullptr;
        };
    };
    testing::internal::CaptureStderr();
    EXPECT_EQ(harness::RunGame(dir, refused).exitCode, 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Couldn't set video mode: mode refused\n");
}

}  // namespace
