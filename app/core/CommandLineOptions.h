// The parsed command line: a criteria file to open, the initial values of a search, the
// switches that decide which searches get them, and the output file of the unattended
// mode.
//
//   CommandLineOptions options;
//   options.parse(argc, argv);          // problems are shown through showMessage
//   if (options.showHelp) ...           // help dialog first
//   if (options.outputFileGiven) ...    // unattended mode
//   options.applyTo(criteria, startingUp);
//
// Flags start with '-' and are case-sensitive; '-fmn' switches an option off, '-fmy' on.
// An argument starting with '/' is an absolute path, never a flag.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace scoutwell {

class SearchCriteria;

inline constexpr const char* kExpectingValueMessage =
    "Expecting a value for command line flag '-%s' but none provided";
inline constexpr const char* kFlagNotValidMessage = "Command line flag '-%s' is not valid";
inline constexpr const char* kUnexpectedParameterMessage = "Unexpected command line parameter: %s";

// The help dialog's texts, its lines in the order shown.
inline constexpr const char* kHelpTitle = "Command line parameter help";
inline constexpr const char* kHelpRunButton = "Run Scoutwell...";
inline constexpr const char* kHelpCloseButton = "Close";
inline constexpr std::array<const char*, 20> kHelpLines{
    "scoutwell [saved search] | -o [output file]",
    "-d [folder name] | -c [containing text] | -f [file name] |",
    "-cm | -fm | -s | -fd | -fx | -cr | -z | -pa | -po | -h | -?",
    "-d Specify the initial value for the Look In field",
    "-c Specify the initial value for the Containing text field",
    "-f Specify the initial value for the File name field",
    "-cm Match case when contents searching",
    "-fm Match case when comparing file names",
    "-s Search subfolders",
    "-fd File name is a DOS style expression (-fdn for regular expression)",
    "-fx File name shows the file names to exclude",
    "-cr Treat Containing text field as a regular expression",
    "-z Search inside compressed files (gzip, xz, zstd...) and archives (zip, tar, 7z...)",
    "-pa Always use command line parameters when creating new or opening existing searches",
    "-po Override values from file when loading from file AND specifying command line "
    "parameters",
    "-o Specify the output filename (runs the search without showing the Scoutwell GUI)",
    "-h or -? Show this help dialog",
    "To switch an option off append 'n' to the flag, e.g. ",
    "scoutwell -fmn Switches OFF match case when comparing files",
    "Exit status with -o: 0 items written, 1 nothing found, 2 the search could not run",
};

class CommandLineOptions {
  public:
    // Parses the arguments after the program name.
    void parse(int argc, const char* const* argv);
    void parse(const std::vector<std::string>& arguments);

    // One argument, then the end of the line; parse() calls these.
    void parseArgument(std::string_view argument);
    void finish();

    // Copies the given values into `criteria`, but only for the start-up search, or for
    // every search with -pa, or in the unattended mode.
    void applyTo(SearchCriteria& criteria, bool startingUp) const;

    std::string fileToOpen;
    std::string lookInValue;
    std::string fileNameValue;
    std::string containingValue;
    std::string outputFile;

    bool subfolders = false;
    bool matchFilenameCase = false;
    bool matchContentsCase = false;
    bool dosExpression = false;
    bool contentsRegExp = false;
    bool excludeFilename = false;
    bool searchCompressed = false;
    bool applyAlways = false;
    bool overrideFile = false;
    bool showHelp = false;

    // The flag took effect; for a value flag, its value arrived.
    bool containingGiven = false;
    bool lookInGiven = false;
    bool fileNameGiven = false;
    bool subfoldersGiven = false;
    bool matchFilenameCaseGiven = false;
    bool matchContentsCaseGiven = false;
    bool dosExpressionGiven = false;
    bool contentsRegExpGiven = false;
    bool excludeFilenameGiven = false;
    bool searchCompressedGiven = false;
    bool outputFileGiven = false;
    // -o came without its file name: still the unattended mode, which then refuses to run.
    bool outputFileExpected = false;

  private:
    void parseFlag(std::string_view name);
    void parseParameter(std::string_view parameter);

    int argumentCount_ = 0;
    std::string lastFlag_;
    // The value flag waiting for its value: its text, its marker and its name as typed.
    // Member pointers, so that a copy made mid-parse does not point into the original.
    std::string CommandLineOptions::*pendingText_ = nullptr;
    bool CommandLineOptions::*pendingGiven_ = nullptr;
    std::string pendingFlag_;
    bool matched_ = false;
};

}  // namespace scoutwell
