// The action files of Dolphin, Nemo and Caja and the merge into Thunar's uca.xml, as written by
// scoutwell-file-manager-actions; and the program's own desktop entry, which the GNOME Files
// extension finds.
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::ProgramResult;
using testing::TempTree;

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The argument vector a file manager runs for EXEC once it has put the quoted FOLDER in place
// of CODE (each of them quotes the way the shell does, then splits the line into words).
std::vector<std::string> commandFor(const std::string& exec, const std::string& code,
                                    const std::string& folder) {
    std::string line = exec;
    const std::size_t at = line.find(code);
    EXPECT_NE(at, std::string::npos) << exec;
    if (at == std::string::npos)
        return {};
    char* quoted = g_shell_quote(folder.c_str());
    line.replace(at, code.size(), quoted);
    g_free(quoted);
    char** words = nullptr;
    EXPECT_TRUE(g_shell_parse_argv(line.c_str(), nullptr, &words, nullptr)) << line;
    std::vector<std::string> argv;
    for (char** word = words; word && *word; ++word)
        argv.push_back(*word);
    g_strfreev(words);
    return argv;
}

std::string keyFileString(const std::string& path, const char* group, const char* key) {
    GKeyFile* keys = g_key_file_new();
    std::string value = "<unreadable>";
    if (g_key_file_load_from_file(keys, path.c_str(), G_KEY_FILE_NONE, nullptr)) {
        char* text = g_key_file_get_string(keys, group, key, nullptr);
        value = text ? text : "<missing>";
        g_free(text);
    }
    g_key_file_free(keys);
    return value;
}

class FileManagerActionsTest : public ::testing::Test {
  protected:
    ProgramResult tool(const std::vector<std::string>& args) {
        return testing::runProgram(SHELLEXT_ACTIONS_TOOL, args,
                                   {{"HOME", tree_.path("home")},
                                    {"XDG_DATA_HOME", tree_.path("data")},
                                    {"XDG_CONFIG_HOME", tree_.path("config")},
                                    {"XDG_CONFIG_DIRS", tree_.path("system-config")},
                                    {"PATH", tree_.path("bin")}});
    }
    std::string userUca() { return tree_.path("config/Thunar/uca.xml"); }

    TempTree tree_;
};

const std::string kProgram = "/opt/Scout \"well\"/$bin/scoutwell";
const std::string kFolder = "/srv/My \"quoted\" 'folder' $HOME; ls `id`";

TEST_F(FileManagerActionsTest, EachActionFileStartsTheProgramWithDashDAndTheFolder) {
    const std::string share = tree_.path("share");
    const ProgramResult result = tool({"--program", kProgram, "write", share});
    ASSERT_EQ(result.status, 0) << result.err;

    struct Action {
        const char* file;
        const char* group;
        const char* labelKey;
        const char* code;
    };
    const std::vector<Action> actions = {
        {"kio/servicemenus/scoutwell.desktop", "Desktop Action scoutwell", "Name", "%f"},
        {"nemo/actions/scoutwell-folder.nemo_action", "Nemo Action", "Name", "%F"},
        {"nemo/actions/scoutwell-background.nemo_action", "Nemo Action", "Name", "%P"},
        {"file-manager/actions/scoutwell.desktop", "X-Action-Profile folder", nullptr, "%f"},
    };
    for (const Action& a : actions) {
        const std::string path = share + "/" + a.file;
        const std::string exec = keyFileString(path, a.group, "Exec");
        EXPECT_EQ(commandFor(exec, a.code, kFolder),
                  (std::vector<std::string>{kProgram, "-d", kFolder}))
            << a.file;
        if (a.labelKey) {
            EXPECT_EQ(keyFileString(path, a.group, a.labelKey), "Scoutwell...") << a.file;
        }
    }

    // Each file manager's own keys.
    const std::string dolphin = share + "/kio/servicemenus/scoutwell.desktop";
    struct stat info {};
    ASSERT_EQ(::stat(dolphin.c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u) << "Dolphin runs only executable service menus";
    EXPECT_EQ(keyFileString(dolphin, "Desktop Entry", "Type"), "Service");
    EXPECT_EQ(keyFileString(dolphin, "Desktop Entry", "MimeType"), "inode/directory;");
    EXPECT_EQ(keyFileString(dolphin, "Desktop Entry", "Actions"), "scoutwell;");
    const std::string nemo = share + "/nemo/actions/";
    EXPECT_EQ(keyFileString(nemo + "scoutwell-folder.nemo_action", "Nemo Action", "Selection"),
              "s");
    EXPECT_EQ(keyFileString(nemo + "scoutwell-folder.nemo_action", "Nemo Action", "Extensions"),
              "dir;");
    EXPECT_EQ(keyFileString(nemo + "scoutwell-background.nemo_action", "Nemo Action", "Selection"),
              "none");
    const std::string caja = share + "/file-manager/actions/scoutwell.desktop";
    EXPECT_EQ(keyFileString(caja, "Desktop Entry", "Type"), "Action");
    EXPECT_EQ(keyFileString(caja, "Desktop Entry", "Name"), "Scoutwell...");
    EXPECT_EQ(keyFileString(caja, "Desktop Entry", "Profiles"), "folder;");
    EXPECT_EQ(keyFileString(caja, "Desktop Entry", "TargetLocation"), "true");
    EXPECT_EQ(keyFileString(caja, "X-Action-Profile folder", "MimeTypes"), "inode/directory;");
}

TEST_F(FileManagerActionsTest, ProgramDesktopEntryIsValidAndOpensCriteriaFiles) {
    const std::string entry = std::string(SOURCE_DIR) + "/desktop/scoutwell.desktop";
    const ProgramResult result =
        testing::runProgram("/usr/bin/desktop-file-validate", {entry}, {{"PATH", "/usr/bin:/bin"}});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(result.out + result.err, "");
    EXPECT_EQ(keyFileString(entry, "Desktop Entry", "Exec"), "scoutwell %f");
}

const std::string kOtherActions =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!-- kept by hand -->\n"
    "<actions>\n"
    "<action>\n"
    "\t<icon>utilities-terminal</icon>\n"
    "\t<name>Open Terminal Here</name>\n"
    "\t<unique-id>1588783346127003-1</unique-id>\n"
    "\t<command>exo-open --working-directory %f --launch TerminalEmulator</command>\n"
    "\t<directories/>\n"
    "</action>\n"
    "<action>\n"
    "\t<name>Count &amp; compare &lt;two&gt;</name>\n"
    "\t<unique-id>1588783346127004-2</unique-id>\n"
    "\t<command>sh -c 'wc -l %F | sort'</command>\n"
    "\t<text-files/>\n"
    "</action>\n"
    "</actions>\n";

TEST_F(FileManagerActionsTest, ThunarMergeKeepsTheUsersActionsAndAddsOursOnce) {
    tree_.file("config/Thunar/uca.xml", kOtherActions);
    ASSERT_EQ(tool({"--program", kProgram, "install"}).status, 0);
    const std::string merged = readAll(userUca());
    ASSERT_EQ(tool({"--program", kProgram, "install"}).status, 0);
    EXPECT_EQ(readAll(userUca()), merged) << "a second run changes nothing";
    EXPECT_EQ(count(merged, "<unique-id>scoutwell-search-folder</unique-id>"), 1u) << merged;
    EXPECT_EQ(count(merged, "<name>Scoutwell...</name>"), 1u) << merged;
    // Everything the user had is there as it was: the comment and both actions.
    const std::string firstAction =
        kOtherActions.substr(kOtherActions.find("<action>"),
                             kOtherActions.find("</actions>") - kOtherActions.find("<action>"));
    EXPECT_NE(merged.find(firstAction), std::string::npos) << merged;
    EXPECT_NE(merged.find("<!-- kept by hand -->"), std::string::npos) << merged;

    // Our command, read back as Thunar reads it, starts the program with -d and the folder.
    const std::size_t start = merged.find("<command>", merged.find("scoutwell-search-folder"));
    const std::size_t end = merged.find("</command>", start);
    std::string escaped = merged.substr(start + 9, end - start - 9);
    const std::vector<std::pair<std::string, std::string>> entities = {
        {"&quot;", "\""}, {"&apos;", "'"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}};
    for (const auto& [entity, character] : entities) {
        for (std::size_t at = escaped.find(entity); at != std::string::npos;
             at = escaped.find(entity, at + 1))
            escaped.replace(at, entity.size(), character);
    }
    EXPECT_EQ(commandFor(escaped, "%f", kFolder),
              (std::vector<std::string>{kProgram, "-d", kFolder}));

    // Removing takes out ours alone.
    ASSERT_EQ(tool({"remove"}).status, 0);
    const std::string removed = readAll(userUca());
    EXPECT_EQ(count(removed, "scoutwell"), 0u) << removed;
    EXPECT_NE(removed.find(firstAction), std::string::npos) << removed;
}

TEST_F(FileManagerActionsTest, ThunarWithoutAUserFileKeepsTheSystemActions) {
    tree_.file("system-config/Thunar/uca.xml", kOtherActions);
    ASSERT_EQ(tool({"--program", kProgram, "install"}).status, 0);
    const std::string merged = readAll(userUca());
    EXPECT_EQ(count(merged, "<unique-id>"), 3u) << merged;
    EXPECT_EQ(readAll(tree_.path("system-config/Thunar/uca.xml")), kOtherActions);
}

TEST_F(FileManagerActionsTest, ThunarFileThatIsNotAnActionsFileIsLeftUnchanged) {
    for (const std::string& broken :
         {std::string("<actions><action></actions>"), std::string("<menu></menu>"),
          std::string("not xml at all")}) {
        tree_.file("config/Thunar/uca.xml", broken);
        const ProgramResult result = tool({"--program", kProgram, "install"});
        EXPECT_EQ(result.status, 1) << broken;
        EXPECT_NE(result.err.find("left unchanged"), std::string::npos) << result.err;
        EXPECT_EQ(readAll(userUca()), broken);
    }
}

TEST_F(FileManagerActionsTest, UserInstallWritesEveryActionAndRemoveTakesThemAway) {
    // Thunar is "installed" (in PATH) but has no actions file yet: one is made.
    tree_.file("bin/thunar");
    ::chmod(tree_.path("bin/thunar").c_str(), 0755);
    ASSERT_EQ(tool({"--program", kProgram, "install"}).status, 0);
    const std::vector<std::string> files = {
        "data/kio/servicemenus/scoutwell.desktop", "data/nemo/actions/scoutwell-folder.nemo_action",
        "data/nemo/actions/scoutwell-background.nemo_action",
        "data/file-manager/actions/scoutwell.desktop", "config/Thunar/uca.xml"};
    for (const std::string& file : files)
        EXPECT_TRUE(std::filesystem::exists(tree_.path(file))) << file;
    EXPECT_EQ(count(readAll(userUca()), "<action>"), 1u);

    ASSERT_EQ(tool({"remove"}).status, 0);
    for (std::size_t i = 0; i + 1 < files.size(); ++i)
        EXPECT_FALSE(std::filesystem::exists(tree_.path(files[i]))) << files[i];
    EXPECT_EQ(count(readAll(userUca()), "<action>"), 0u);

    // Without Thunar anywhere, its settings are not touched.
    std::filesystem::remove(tree_.path("bin/thunar"));
    std::filesystem::remove(userUca());
    ASSERT_EQ(tool({"--program", kProgram, "install"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(userUca()));
}

}  // namespace
}  // namespace scoutwell
