// A short soak: five games and the menus between them, with random keys.
// Nothing may grow from one title screen to the next.
#include <gtest/gtest.h>

#include "../soak/soak.h"

TEST(Soak, TwentyThousandFramesLeaveNothingBehind) {
    soak::Report r = soak::Run(20000, 1);
    EXPECT_EQ(soak::Problems(r, 1024, 16 * 1024), std::vector<std::string>{}) << soak::Describe(r);
    EXPECT_GE(r.visits[soak::PHASE_RESULT], 4) << soak::Describe(r);
    EXPECT_GE(r.visits[soak::PHASE_SELECT], 2) << soak::Describe(r);
}
