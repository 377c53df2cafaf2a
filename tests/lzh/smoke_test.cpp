#include "LzhArchive.h"
#include <gtest/gtest.h>
TEST(Smoke, Missing) { LzhArchive a; EXPECT_EQ(-2, a.ExtractAll("nope.lzh")); }
