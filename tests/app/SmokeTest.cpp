#include <gtest/gtest.h>

TEST(AppCore, Builds) { SUCCEED(); }
