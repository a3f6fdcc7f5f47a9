// Every engine test runs against the real file system of this machine unless it installs
// a file system of its own, and formats dates in the C locale.
#include <gtest/gtest.h>

#include <clocale>

#include "engine/FileSystem.h"
#include "platform/posix/PosixFileSystem.h"

namespace {

class EngineTestEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        std::setlocale(LC_TIME, "C");
        scoutwell::setFileSystem(&fs_);
    }

  private:
    scoutwell::PosixFileSystem fs_;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new EngineTestEnvironment);

}  // namespace
