#include <gtest/gtest.h>

TEST(Build, TestProgramRuns) { EXPECT_TRUE(true); }
