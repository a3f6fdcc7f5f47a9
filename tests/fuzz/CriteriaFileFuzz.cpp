// Any bytes through the criteria-file reader: a refused file leaves the criteria exactly
// as they were; an accepted one reads back the same after being written in the current
// layout. Run under libFuzzer with a small -malloc_limit_mb, so that a declared length
// trusted beyond the bytes present shows as a failure.
#include <string>

#include "app/core/CriteriaFile.h"
#include "engine/SearchCriteria.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

using scoutwell::fuzz::check;

// Values unlike every default, so that a partial read would show.
scoutwell::SearchCriteria startingCriteria() {
    scoutwell::SearchCriteria c;
    c.lookIn = {"/fuzz/one/", "/fuzz/two/"};
    c.fileName = "start*.txt";
    c.containingText = "needle";
    c.subfolders = false;
    c.searchContents = true;
    c.matchFilenameCase = true;
    c.autoConvertToDos = false;
    c.onePhaseSearch = true;
    c.eolUnix = false;
    c.eolMac = true;
    c.modifiedAfterOn = true;
    c.modifiedAfter = 40000.5;
    c.sizeLessThanOn = true;
    c.sizeLessThan = 12345;
    return c;
}

// Everything a criteria file can change, and the options no file stores.
std::string state(const scoutwell::SearchCriteria& c) {
    std::string s = scoutwell::CriteriaFile::serialize(c);
    s += c.onePhaseSearch ? 'o' : '-';
    s += c.eolUnix ? 'u' : '-';
    s += c.eolMac ? 'm' : '-';
    for (const std::string& folder : c.lookIn)
        s += "\n" + folder;
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace scoutwell;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    SearchCriteria criteria = startingCriteria();
    const std::string before = state(criteria);
    std::string error;
    if (!CriteriaFile::deserialize(bytes, criteria, error)) {
        check(!error.empty(), "refused without a reason");
        check(state(criteria) == before, "a refused file changed the criteria");
        return 0;
    }
    check(criteria.onePhaseSearch && !criteria.eolUnix && criteria.eolMac,
          "a file changed options that no file stores");

    const std::string written = CriteriaFile::serialize(criteria);
    SearchCriteria reread = startingCriteria();
    check(CriteriaFile::deserialize(written, reread, error), "a written file is refused");
    check(state(reread) == state(criteria), "a written file reads back differently");
    return 0;
}
