// Included by one source file of a test program: every test of that program runs against
// the real file system of this machine unless it installs a file system of its own, and
// formats dates in the C locale.
#pragma once

#include <gtest/gtest.h>

#include <clocale>

#include "engine/FileSystem.h"
#include "platform/posix/PosixFileSystem.h"

namespace scoutwell::testing {

class PosixTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        std::setlocale(LC_TIME, "C");
        setFileSystem(&fs_);
    }
    void TearDown() override { setFileSystem(nullptr); }

private:
    PosixFileSystem fs_;
};

inline const auto* const kPosixTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new PosixTestEnvironment);

}  // namespace scoutwell::testing
