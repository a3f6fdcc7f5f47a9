#include "engine/FileSystem.h"

#include <atomic>

namespace scoutwell {
namespace {
std::atomic<FileSystem*> installed{nullptr};
}

FileSystem* fileSystem() {
    return installed.load();
}
void setFileSystem(FileSystem* fs) {
    installed.store(fs);
}

}  // namespace scoutwell
