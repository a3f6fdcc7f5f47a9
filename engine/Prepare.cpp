// Preparing a search request, and the per-entry size and date tests.
#include <string>

#include "engine/FileSystem.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"
#include "engine/SpecialChars.h"
#include "engine/Text.h"

namespace scoutwell {
namespace {

bool isValidSearchDirectory(const std::string& entry) {
    if (entry.size() < 1 || entry[0] != '/')
        return false;
    FileSystem* fs = fileSystem();
    return fs && fs->isDirectory(entry);
}

}  // namespace

std::string dosToRegExp(std::string_view dosExpression) {
    std::string pattern(dosExpression);
    escapeSpecialChars(pattern, kWildcardEscapeSet);
    replaceAll(pattern, "*", ".*");
    replaceAll(pattern, "?", ".");
    replaceAll(pattern, ";", "|");
    return pattern;
}

std::string escapeLiteral(std::string_view text) {
    std::string pattern(text);
    escapeSpecialChars(pattern, kFullEscapeSet);
    return pattern;
}

bool SearchCriteria::prepare(std::string& errorOut) {
    if (autoConvertToDos)
        fileName = dosToRegExp(fileName);
    if (!treatContentsAsRegExp)
        containingText = escapeLiteral(containingText);
    if (searchContents && containingText.empty())
        searchContents = false;

    SearchExpression check;
    if (!check.set(fileName, /*matchCase=*/false, /*compileNow=*/true, &errorOut))
        return false;
    if (searchContents &&
        !check.set(containingText, matchContentsCase, /*compileNow=*/true, &errorOut)) {
        // Containing text is a regular expression unless the user says otherwise: someone
        // who typed `printf(` meant the text.
        if (treatContentsAsRegExp)
            errorOut += std::string("\n") + kPlainTextHint;
        return false;
    }

    const std::string& label = searchEnvironment().localDrivesLabel;
    for (const std::string& entry : lookIn) {
        if (!label.empty() && entry == label)
            continue;
        if (!isValidSearchDirectory(entry)) {
            errorOut = text::format(kInvalidSearchDirectory, entry.c_str());
            return false;
        }
    }
    return true;
}

bool passesSize(const SearchCriteria& criteria, std::uint64_t size) {
    if (criteria.sizeMoreThanOn && size < criteria.sizeMoreThan)
        return false;
    if (criteria.sizeLessThanOn && size > criteria.sizeLessThan)
        return false;
    return true;
}

bool passesDate(const SearchCriteria& criteria, FileTime modified) {
    const OleDate date = oleDateFromFileTime(modified);
    if (criteria.modifiedAfterOn && compareOleDates(date, criteria.modifiedAfter) < 0) {
        return false;
    }
    if (criteria.modifiedBeforeOn && compareOleDates(date, criteria.modifiedBefore) > 0) {
        return false;
    }
    return true;
}

}  // namespace scoutwell
