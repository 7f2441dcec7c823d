// The settings and work records as files: what a saved game relies on.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "harness/harness.h"
#include "platform/records.h"

using harness::FileSize;
using harness::ReadRecord;
using harness::WriteBytes;

namespace {

struct InTempDir : ::testing::Test {
    void SetUp() override {
        home = std::filesystem::current_path();
        std::filesystem::current_path(dir.path);
        ResetGameFlag();
        ResetGameFlag2();
    }
    void TearDown() override { std::filesystem::current_path(home); }
    harness::GameDir dir;
    std::filesystem::path home;
};

using Records = InTempDir;

TEST_F(Records, SaveWritesEveryIntegerLittleEndianAndLoadsBack) {
    for (int i = 0; i < kRecordSize; i++) gameflag[i] = i * 7919 - 3000000;
    gameflag[0] = 0x01020304;
    gameflag[5] = -1;
    ASSERT_EQ(SaveGameFlag("save/config"), 0);
    EXPECT_EQ(FileSize("save/config"), 4096);
    std::ifstream in("save/config", std::ios::binary);
    char first[4];
    in.read(first, 4);
    EXPECT_EQ(std::string(first, 4), std::string("\x04\x03\x02\x01", 4));
    std::vector<int32_t> onDisk = ReadRecord("save/config");
    ASSERT_EQ(onDisk.size(), 1024u);
    EXPECT_EQ(onDisk[5], -1);
    EXPECT_EQ(onDisk[1023], 1023 * 7919 - 3000000);

    ResetGameFlag();
    ASSERT_EQ(LoadGameFlag("save/config"), 0);
    for (int i = 0; i < kRecordSize; i++) ASSERT_EQ(gameflag[i], onDisk[i]) << i;
}

TEST_F(Records, ShortFileFillsOnlyTheBytesItHolds) {
    struct Case {
        size_t bytes;
        int lastWhole;  // entries before this are replaced
    };
    for (Case c : {Case{0, 0}, Case{1, 0}, Case{4, 1}, Case{8, 2}, Case{4095, 1023}}) {
        for (int i = 0; i < kRecordSize; i++) gameflag2[i] = 0x11111111;
        WriteBytes("short.sav", std::vector<unsigned char>(c.bytes, 0x22));
        ASSERT_EQ(LoadGameFlag2("short.sav"), 0) << c.bytes;
        for (int i = 0; i < c.lastWhole; i++) ASSERT_EQ(gameflag2[i], 0x22222222) << c.bytes;
        uint32_t partial = 0x11111111;  // the low bytes of a cut integer come from the file
        for (size_t b = 0; b < c.bytes % 4; b++) partial = (partial & ~(0xFFu << (8 * b))) | 0x22u << (8 * b);
        EXPECT_EQ(static_cast<uint32_t>(gameflag2[c.lastWhole]), partial) << c.bytes;
    }
}

TEST_F(Records, LongFileReadsOnlyTheFirstRecord) {
    std::vector<unsigned char> bytes(8192, 0);
    bytes[0] = 5;
    bytes[4096] = 9;
    WriteBytes("save/config", bytes);
    ASSERT_EQ(LoadGameFlag("save/config"), 0);
    EXPECT_EQ(gameflag[0], 5);
    EXPECT_EQ(gameflag[1023], 0);
}

TEST_F(Records, MissingFileLeavesTheRecordAndReportsFailure) {
    gameflag[3] = 42;
    EXPECT_EQ(LoadGameFlag("save/none"), -1);
    EXPECT_EQ(gameflag[3], 42);
}

TEST_F(Records, FirstStartStoresTheDefaults) {
    main_init_config();
    const std::pair<int, int32_t> expected[] = {
        {GF_KEY_UP, 0},       {GF_KEY_DOWN, 4},         {GF_KEY_LEFT, 2},       {GF_KEY_RIGHT, 6},
        {GF_KEY_A, 12},       {GF_KEY_B, 15},           {6, 14},                {11, 9},
        {GF_VOLUME, 128},     {GF_ZOOM, 0},             {GF_NEW_GAME, 1},       {GF_STAGE_DONE, 1},
        {GF_STARTED, 1},      {111, 59},                {113, 99},              {GF_START_STAGE, 1},
        {GF_STAGE_LIMIT, 50}, {GF_CONTINUE_STAGE, -1},  {137, 1595959},         {138, 999},
        {200, 1105959},       {299, 1105959},           {GF_STAGE_BEST, 99},    {399, 99},
        {400, 0},             {GF_LAST_EXIT, 0},        {GF_PLAY_HOURS, 0},     {1023, 0},
    };
    for (auto [index, value] : expected) EXPECT_EQ(gameflag[index], value) << "index " << index;
}

TEST_F(Records, ExistingFileIsUsedAsItStandsApartFromTheForcedEntries) {
    WriteBytes("save/config", {3, 0, 0, 0, 7, 0, 0, 0});
    for (int i = 0; i < kRecordSize; i++) gameflag[i] = 0;
    main_init_config();
    EXPECT_EQ(gameflag[0], 3);
    EXPECT_EQ(gameflag[1], 7);
    EXPECT_EQ(gameflag[GF_STARTED], 1);
    EXPECT_EQ(gameflag[GF_STAGE_LIMIT], 50);
    EXPECT_EQ(gameflag[GF_VOLUME], 0);
    EXPECT_EQ(gameflag[GF_STAGE_BEST + 1], 0);
}

TEST_F(Records, GetConfigReadsTheFirstLineThatMentionsTheKey) {
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"DebugDisp=1\n", 1},
        {"DebugDisp=12abc\n", 12},
        {"DebugDisp = 1\n", 0},
        {"DebugDisp= 1\n", 0},
        {"DebugDisp=-1\n", 0},
        {"DebugDisp=\n", 0},
        {"DebugDisp=1", 1},
        {"other=3\nDebugDisp=4\n", 4},
        {"MyDebugDispX\nDebugDisp=1\n", 0},  // first mention has no "=": off
        {"xDebugDispy=5\n", 5},              // inside a longer word still matches
        {"debugdisp=1\n", 0},                // case matters
        {"a=1 DebugDisp\n", 1},              // the first "=" of the line counts
        {"DebugDisp=99999999999999\n", 2147483647},
        {"", 0},
    };
    for (const Case& c : cases) {
        std::ofstream("debug.txt") << c.text;
        EXPECT_EQ(GetConfig("debug.txt", "DebugDisp"), c.expected) << c.text;
    }
    EXPECT_EQ(GetConfig("missing.txt", "DebugDisp"), 0);
}

TEST_F(Records, GetConfigTakesLongLinesIn255CharacterPieces) {
    std::string line(300, 'a');
    line.replace(260, 11, "DebugDisp=7");
    std::ofstream("debug.txt") << line << "\n";
    EXPECT_EQ(GetConfig("debug.txt", "DebugDisp"), 7);
}

TEST_F(Records, MissingSaveFolderIsCreated) {
    std::filesystem::remove_all("save");
    gameflag[9] = 99;
    ASSERT_EQ(SaveGameFlag("save/config"), 0);
    EXPECT_EQ(ReadRecord("save/config")[9], 99);
    ASSERT_EQ(SaveFile("replay/3/r.dat", "abc", 3), 0);
    EXPECT_EQ(FileSize("replay/3/r.dat"), 3);
}

TEST_F(Records, UnwritableFolderReportsFailureAndKeepsTheOldFile) {
    std::filesystem::remove_all("save");
    WriteBytes("save", {1, 2, 3});  // a plain file where the folder should be
    EXPECT_EQ(SaveGameFlag("save/config"), -1);
    EXPECT_EQ(SaveGameFlag2("save/work.sav"), -1);
    EXPECT_EQ(SaveFile("save/x", "a", 1), -1);
    EXPECT_EQ(FileSize("save"), 3);
}

// A save killed at any moment leaves the previous record or the new one.
TEST_F(Records, KilledSaveNeverLeavesATornFile) {
    for (int round = 0; round < 40; round++) {
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
