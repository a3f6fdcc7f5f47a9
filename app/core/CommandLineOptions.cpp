#include "app/core/CommandLineOptions.h"

#include "engine/Messages.h"
#include "engine/SearchCriteria.h"
#include "engine/Text.h"

namespace scoutwell {
namespace {

// Whether `name` names `flag`, alone or with a 'y' (on) or 'n' (off) suffix.
bool matchesFlag(std::string_view name, std::string_view flag, bool& on) {
    if (name == flag) {
        on = true;
        return true;
    }
    if (name.size() == flag.size() + 1 && name.substr(0, flag.size()) == flag) {
        const char suffix = name.back();
        if (suffix == 'y' || suffix == 'n') {
            on = suffix == 'y';
            return true;
        }
    }
    return false;
}

}  // namespace

void CommandLineOptions::parse(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i)
        parseArgument(argv[i]);
    finish();
}

void CommandLineOptions::parse(const std::vector<std::string>& arguments) {
    for (const auto& argument : arguments)
        parseArgument(argument);
    finish();
}

void CommandLineOptions::parseArgument(std::string_view argument) {
    ++argumentCount_;
    // Only '-' starts a flag: a leading '/' is an absolute path here.
    if (!argument.empty() && argument.front() == '-') {
        parseFlag(argument.substr(1));
    } else {
        parseParameter(argument);
    }
}

void CommandLineOptions::parseFlag(std::string_view name) {
    lastFlag_ = std::string(name);
    if (pendingText_ != nullptr) {
        showMessage(text::format(kExpectingValueMessage, pendingFlag_.c_str()));
        outputFileExpected |= pendingText_ == &CommandLineOptions::outputFile;
        pendingText_ = nullptr;
        pendingGiven_ = nullptr;
    }

    matched_ = false;
    bool on = false;
    const auto valueFlag = [&](std::string_view flag, std::string CommandLineOptions::*value,
                               bool CommandLineOptions::*given) {
        if (matched_ || !matchesFlag(name, flag, on))
            return;
        matched_ = true;
        pendingText_ = value;
        pendingGiven_ = given;
        pendingFlag_ = std::string(name);
    };
    // A switch with a marker takes effect once; a repeat does not match at all.
    const auto onceSwitch = [&](std::string_view flag, bool& value, bool& given) {
        if (matched_ || given || !matchesFlag(name, flag, on))
            return;
        matched_ = true;
        value = on;
        given = true;
    };
    const auto plainSwitch = [&](std::string_view flag, bool& value) {
        if (matched_ || !matchesFlag(name, flag, on))
            return;
        matched_ = true;
        value = on;
    };

    valueFlag("d", &CommandLineOptions::lookInValue, &CommandLineOptions::lookInGiven);
    valueFlag("f", &CommandLineOptions::fileNameValue, &CommandLineOptions::fileNameGiven);
    valueFlag("c", &CommandLineOptions::containingValue, &CommandLineOptions::containingGiven);
    onceSwitch("cm", matchContentsCase, matchContentsCaseGiven);
    onceSwitch("fm", matchFilenameCase, matchFilenameCaseGiven);
    onceSwitch("s", subfolders, subfoldersGiven);
    onceSwitch("fd", dosExpression, dosExpressionGiven);
    onceSwitch("cr", contentsRegExp, contentsRegExpGiven);
    onceSwitch("fx", excludeFilename, excludeFilenameGiven);
    onceSwitch("z", searchCompressed, searchCompressedGiven);
    plainSwitch("pa", applyAlways);
    plainSwitch("po", overrideFile);
    valueFlag("o", &CommandLineOptions::outputFile, &CommandLineOptions::outputFileGiven);
    plainSwitch("h", showHelp);
    plainSwitch("?", showHelp);

    if (!matched_)
        showMessage(text::format(kFlagNotValidMessage, lastFlag_.c_str()));
}

void CommandLineOptions::parseParameter(std::string_view parameter) {
    if (argumentCount_ == 1) {
        fileToOpen = std::string(parameter);
    } else if (pendingText_ != nullptr) {
        this->*pendingText_ = std::string(parameter);
        this->*pendingGiven_ = true;
        pendingText_ = nullptr;
        pendingGiven_ = nullptr;
    } else {
        showMessage(text::format(kUnexpectedParameterMessage, std::string(parameter).c_str()));
    }
}

void CommandLineOptions::finish() {
    if (pendingText_ == nullptr)
        return;
    showMessage(text::format(kExpectingValueMessage, pendingFlag_.c_str()));
    outputFileExpected |= pendingText_ == &CommandLineOptions::outputFile;
    pendingText_ = nullptr;
    pendingGiven_ = nullptr;
}

void CommandLineOptions::applyTo(SearchCriteria& criteria, bool startingUp) const {
    if (!startingUp && !applyAlways && !outputFileGiven)
        return;
    if (lookInGiven)
        criteria.setLookInText(lookInValue);
    if (fileNameGiven)
        criteria.fileName = fileNameValue;
    if (containingGiven) {
        criteria.containingText = containingValue;
        criteria.searchContents = true;
    }
    if (subfoldersGiven)
        criteria.subfolders = subfolders;
    if (matchFilenameCaseGiven)
        criteria.matchFilenameCase = matchFilenameCase;
    if (matchContentsCaseGiven)
        criteria.matchContentsCase = matchContentsCase;
    if (dosExpressionGiven)
        criteria.autoConvertToDos = dosExpression;
    if (contentsRegExpGiven)
        criteria.treatContentsAsRegExp = contentsRegExp;
    if (excludeFilenameGiven)
        criteria.excludeFilename = excludeFilename;
    if (searchCompressedGiven)
        criteria.searchCompressed = searchCompressed;
}

}  // namespace scoutwell
