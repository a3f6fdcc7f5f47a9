// Any bytes, searched with compressed files and archives on, must end without a crash, a
// leak or an overrun, within the archive budget; every member listed must have a path that
// stays inside its archive, and the first members must be found again through their
// archives as the window reads them.
//
// Input: a flags byte, then the file's contents.
//   flags bit 0: a search by name only (no member is scanned), bit 1: stop at the first
//   chunk with a hit.
#include <string>
#include <vector>

#include "engine/Archives.h"
#include "engine/FoundItem.h"
#include "engine/ScanBuffers.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"
#include "tests/engine/FakeScanFileSystem.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

using scoutwell::fuzz::check;

const std::string kFolder = "/fuzz/";
const std::string kName = "archive";
// The members checked again through their archives.
constexpr std::size_t kReread = 4;

class Lister : public scoutwell::ArchiveVisitor {
  public:
    Lister(bool namesOnly, bool stopAtFirst, scoutwell::SearchExpression& expression,
           scoutwell::ScanBuffers& buffers, const scoutwell::SearchCriteria& criteria)
        : namesOnly_(namesOnly),
          stopAtFirst_(stopAtFirst),
          expression_(expression),
          buffers_(buffers),
          criteria_(criteria) {}

    bool member(scoutwell::FoundFile& item, scoutwell::Decoder& data, int depth) override {
        using namespace scoutwell;
        check(depth >= 1 && depth <= kMaxArchiveDepth, "member deeper than the limit");
        const std::string path = item.fullPath();
        check(item.archivePathLength == kFolder.size() + kName.size(), "wrong archive length");
        check(path.starts_with(kFolder + kName + "/"), "member outside its archive");
        check(!item.name.empty() && item.name.find('/') == std::string::npos, "bad member name");
        const std::string_view inside = std::string_view(path).substr(kFolder.size());
        check(inside.find("//") == std::string_view::npos &&
                  inside.find("/./") == std::string_view::npos &&
                  inside.find("/../") == std::string_view::npos && !inside.ends_with("/.") &&
                  !inside.ends_with("/.."),
              "member path leads out");
        if (members.size() < kReread)
            members.push_back(item);
        if (namesOnly_) {
            listIfArchive(item, data, *this, DecodeOptions{.insideCompressed = true});
        } else {
            const int found =
                item.scanFile(&data, expression_, buffers_, criteria_, stopAtFirst_, nullptr, this);
            check(found == static_cast<int>(item.hits.size()), "hit count");
        }
        return true;
    }
    void note(const scoutwell::FoundItem& item) override {
        check(item.textEnd != scoutwell::TextEnd::kWhole, "note of a whole item");
    }

    std::vector<scoutwell::FoundFile> members;

  private:
    bool namesOnly_;
    bool stopAtFirst_;
    scoutwell::SearchExpression& expression_;
    scoutwell::ScanBuffers& buffers_;
    const scoutwell::SearchCriteria& criteria_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace scoutwell;
    fuzz::InputReader in(data, size);
    const std::uint8_t flags = in.byte();
    const std::string contents(in.rest());

    testing::FakeScanFileSystem fs;
    testing::FakeScanFileSystem::Installed installed(fs);
    fs.add(kFolder + kName, contents);

    SearchCriteria criteria;
    criteria.searchCompressed = true;
    SearchExpression expression;
    check(expression.set("a", true, true, nullptr), "pattern does not compile");
    ScanBuffers buffers(FoundFile::kBufferSize);
    FoundFile file(makeSharedText(kFolder), kName, static_cast<std::int64_t>(contents.size()), 0);
    Lister lister((flags & 1) != 0, (flags & 2) != 0, expression, buffers, criteria);
    if ((flags & 1) != 0) {
        std::unique_ptr<ReadableFile> opened = fs.openForScan(kFolder, kName);
        check(opened != nullptr, "file not there");
        listIfArchive(file, *opened, lister, DecodeOptions{.insideCompressed = true});
    } else {
        file.scanFile(nullptr, expression, buffers, criteria, (flags & 2) != 0, nullptr, &lister);
    }
    check(lister.budget().produced <=
              std::max(kArchiveOutputFloor, lister.budget().read * kArchiveOutputRatio) +
                  (std::uint64_t{1} << 20),
          "budget passed");
    for (const FoundFile& member : lister.members) {
        // Found again through its archives (a later member of the same path may differ).
        bool found = false;
        openMember(member, [&](Decoder&) { found = true; });
        check(found, "member not found again");
    }
    return 0;
}
