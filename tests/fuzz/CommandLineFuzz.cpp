// Any argument vectors through the command-line parser and into a search's criteria,
// which are then prepared (the given texts become regular expressions). Both ways of
// parsing must agree, and nothing may crash whatever the arguments hold.
//
// Input: the arguments after the program name, each ended by a NUL byte.
#include <string>
#include <vector>

#include "app/core/CommandLineOptions.h"
#include "engine/Messages.h"
#include "engine/SearchCriteria.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

using scoutwell::fuzz::check;

class CountingSink : public scoutwell::MessageSink {
  public:
    void showMessage(const std::string& text) override {
        check(!text.empty(), "an empty message");
        ++count;
    }
    int count = 0;
};

std::string fields(const scoutwell::CommandLineOptions& o) {
    std::string s = o.fileToOpen + '\0' + o.lookInValue + '\0' + o.fileNameValue + '\0' +
                    o.containingValue + '\0' + o.outputFile + '\0';
    for (const bool b :
         {o.subfolders, o.matchFilenameCase, o.matchContentsCase, o.dosExpression, o.contentsRegExp,
          o.excludeFilename, o.applyAlways, o.overrideFile, o.showHelp, o.containingGiven,
          o.lookInGiven, o.fileNameGiven, o.subfoldersGiven, o.matchFilenameCaseGiven,
          o.matchContentsCaseGiven, o.dosExpressionGiven, o.contentsRegExpGiven,
          o.excludeFilenameGiven, o.outputFileGiven})
        s += b ? '1' : '0';
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace scoutwell;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> arguments;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\0', at);
        if (end == std::string_view::npos)
            end = bytes.size();
        arguments.emplace_back(bytes.substr(at, end - at));
        at = end + 1;
    }

    CountingSink sink;
    setMessageSink(&sink);

    CommandLineOptions fromVector;
    fromVector.parse(arguments);
    const int vectorMessages = sink.count;

    std::vector<const char*> argv{"scoutwell"};
    for (const std::string& a : arguments)
        argv.push_back(a.c_str());
    argv.push_back(nullptr);
    CommandLineOptions fromArgv;
    fromArgv.parse(static_cast<int>(argv.size()) - 1, argv.data());
    check(fields(fromVector) == fields(fromArgv), "argv and vector parses differ");
    check(sink.count == 2 * vectorMessages, "argv and vector parses report differently");

    for (const bool startingUp : {false, true}) {
        SearchCriteria criteria;
        fromVector.applyTo(criteria, startingUp);
        std::string error;
        criteria.prepare(error);
    }
    setMessageSink(nullptr);
    return 0;
}
