// A short soak: five games and the menus between them, with random keys.
// Nothing may grow from one title screen to the next.
#include "../soak/soak.h"

#include <gtest/gtest.h>

TEST(Soak, TwentyThousandFramesLeaveNothingBehind) {
    soak::Report r = soak::Run(20000, 1);
    // The heap's slack holds the mixer thread's own buffers: with the classic
    // SDL 1.2 library it makes 30 KB once, whenever its thread first mixes the
    // music. Leaks are the valgrind soak's to find.
    EXPECT_EQ(soak::Problems(r, 1024, 48 * 1024), std::vector<std::string>{}) << soak::Describe(r);
    EXPECT_GE(r.visits[soak::kResultPhase], 4) << soak::Describe(r);
    EXPECT_GE(r.visits[soak::PhaseOf(SCENE_STAGESELECT)], 2) << soak::Describe(r);
}
