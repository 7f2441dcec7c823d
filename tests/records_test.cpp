// The settings and work records as files: what a saved game relies on.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "harness/harness.h"
#include "platform/records.h"

using namespace harness;

namespace {

struct Records : ::testing::Test {
    void SetUp() override {
        home = std::filesystem::current_path();
        std::filesystem::current_path(dir.path);
        ResetGameFlag();
    }
    void TearDown() override { std::filesystem::current_path(home); }
    GameDir dir;
    std::filesystem::path home;
};

TEST_F(Records, SavedAsLittleEndianIntegersAndLoadedBack) {
    for (int i = 0; i < kRecordSize; i++) gameflag[i] = i * 7919 - 3000000;
    gameflag[0] = 0x01020304;
    ASSERT_EQ(SaveGameFlag("save/config"), 0);
    std::ifstream in("save/config", std::ios::binary);
    std::vector<unsigned char> bytes(std::istreambuf_iterator<char>(in), {});
    ASSERT_EQ(bytes.size(), 4096u);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 8),
              (std::vector<unsigned char>{4, 3, 2, 1, 0x2F, 0x58, 0xD2, 0xFF}));
    ResetGameFlag();
    ASSERT_EQ(LoadGameFlag("save/config"), 0);
    for (int i = 1; i < kRecordSize; i++) ASSERT_EQ(gameflag[i], i * 7919 - 3000000) << i;
}

TEST_F(Records, AFileFillsOnlyTheBytesItHolds) {
    // bytes in the file (each 0x22) -> the first entries replaced; -1: no file
    for (int size : {-1, 0, 1, 4, 6, 4095, 8192}) {
        for (int i = 0; i < kRecordSize; i++) gameflag2[i] = 0x11111111;
        if (size >= 0) WriteBytes("w.sav", std::vector<unsigned char>(size, 0x22));
        EXPECT_EQ(LoadGameFlag2(size < 0 ? "none.sav" : "w.sav"), size < 0 ? -1 : 0);
        std::vector<unsigned char> expected(4096, 0x11);
        std::fill(expected.begin(), expected.begin() + std::clamp(size, 0, 4096), 0x22);
        EXPECT_EQ(std::vector<int32_t>(gameflag2, gameflag2 + kRecordSize), Decode(expected)) << size;
    }
}

TEST_F(Records, FirstStartDefaultsAndAnExistingFileAsItStands) {
    main_init_config();
    const std::map<int, int32_t> defaults = {  // all others 0
        {GF_KEY_DOWN, 4},   {GF_KEY_LEFT, 2},   {GF_KEY_RIGHT, 6},     {GF_KEY_A, 12},          {GF_KEY_B, 15},
        {6, 14},            {7, 13},            {8, 10},               {9, 11},                 {10, 8},
        {11, 9},            {GF_VOLUME, 128},   {GF_NEW_GAME, 1},      {GF_STAGE_DONE, 1},      {GF_STARTED, 1},
        {111, 59},          {112, 59},          {113, 99},             {GF_START_STAGE, 1},     {GF_STAGE_LIMIT, 50},
        {GF_CONTINUE_STAGE, -1}, {137, 1595959}, {138, 999},
    };
    for (int i = 0; i < kRecordSize; i++) {
        int32_t expected = i >= 200 && i < 300 ? 1105959 : i >= GF_STAGE_BEST && i < 400 ? 99 : 0;
        EXPECT_EQ(gameflag[i], defaults.count(i) ? defaults.at(i) : expected) << "index " << i;
    }
    WriteBytes("save/config", {3, 0, 0, 0, 7, 0, 0, 0});
    ResetGameFlag();
    main_init_config();
    std::vector<int32_t> expected(kRecordSize, 0);
    expected[0] = 3, expected[1] = 7, expected[GF_STARTED] = 1, expected[GF_STAGE_LIMIT] = 50;
    EXPECT_EQ(std::vector<int32_t>(gameflag, gameflag + kRecordSize), expected);
}

TEST_F(Records, DebugSwitchIsTheNumberAfterTheFirstLineMentioningIt) {
    const std::pair<std::string, int> cases[] = {
        {"DebugDisp=1\n", 1},   {"DebugDisp=12abc\n", 12},        {"DebugDisp = 1\n", 0},     {"DebugDisp=-1\n", 0},
        {"DebugDisp=1", 1},     {"other=3\nDebugDisp=4\n", 4},    {"xDebugDispy=5\n", 5},     {"debugdisp=1\n", 0},
        {"MyDebugDispX\nDebugDisp=1\n", 0},  // the first mention has no "=": off
        {"a=1 DebugDisp\n", 1},               // the first "=" of the line counts
        {"DebugDisp=99999999999999\n", 2147483647},
        {std::string(260, 'a') + "DebugDisp=7\n", 7},  // read in pieces of 255
        {"", 0},
    };
    for (const auto& [text, expected] : cases) {
        std::ofstream("debug.txt") << text;
        EXPECT_EQ(GetConfig("debug.txt", "DebugDisp"), expected) << text;
    }
    EXPECT_EQ(GetConfig("missing.txt", "DebugDisp"), 0);
}

TEST_F(Records, FoldersAreMadeAndABlockedOneFailsKeepingWhatIsThere) {
    std::filesystem::remove_all("save");
    gameflag[9] = 99;
    ASSERT_EQ(SaveGameFlag("save/config"), 0);
    EXPECT_EQ(ReadRecord("save/config")[9], 99);
    ASSERT_EQ(SaveFile("replay/3/r.dat", "abc", 3), 0);
    EXPECT_EQ(FileSize("replay/3/r.dat"), 3);
    std::filesystem::remove_all("save");
    WriteBytes("save", {1, 2, 3});  // a plain file where the folder should be
    EXPECT_EQ(SaveGameFlag("save/config"), -1);
    EXPECT_EQ(SaveGameFlag2("save/work.sav"), -1);
    EXPECT_EQ(FileSize("save"), 3);
}

// A save killed at any moment leaves the previous record or the new one.
TEST_F(Records, KilledSaveNeverLeavesATornFile) {
    for (int round = 0; round < 20; round++) {
        for (int i = 0; i < kRecordSize; i++) gameflag[i] = 1;
        ASSERT_EQ(SaveGameFlag("save/config"), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = 2;; n++) {
                for (int i = 0; i < kRecordSize; i++) gameflag[i] = n;
                SaveGameFlag("save/config");
            }
        }
        usleep(200 + 397 * round % 5000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        std::vector<int32_t> record = ReadRecord("save/config");
        ASSERT_EQ(record.size(), 1024u) << "round " << round;
        for (int i = 1; i < kRecordSize; i++) ASSERT_EQ(record[i], record[0]) << "torn at " << i;
    }
}

}  // namespace
