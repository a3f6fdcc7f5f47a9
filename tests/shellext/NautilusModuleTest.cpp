// The GNOME Files extension, loaded as Nautilus loads it: the entry points, the items it offers
// for selections and backgrounds, and what activating an item starts (in a helper process per
// case, so that each looks the desktop entry up under its own XDG folders).
#include <gtest/gtest.h>
#include <nautilus-extension.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shellext/NautilusTestSupport.h"
#include "support/RunProgram.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::ProgramResult;
using testing::TempTree;

const NautilusModuleEntryPoints& loadedModule() {
    std::string error;
    const NautilusModuleEntryPoints& module = loadNautilusModule(SHELLEXT_MODULE, error);
    EXPECT_EQ(error, "");
    return module;
}

std::string stringProperty(GObject* object, const char* name) {
    char* value = nullptr;
    g_object_get(object, name, &value, nullptr);
    std::string result = value ? value : "<null>";
    g_free(value);
    return result;
}

// The items for a selection, as "name|label|tip" lines; the background's when BACKGROUND.
std::vector<std::string> itemsFor(const std::vector<GObject*>& infos, bool background) {
    GObject* provider = newMenuProvider(loadedModule());
    EXPECT_NE(provider, nullptr);
    if (!provider)
        return {};
    GList* files = nullptr;
    for (GObject* info : infos)
        files = g_list_append(files, info);
    GList* items =
        background ? nautilus_menu_provider_get_background_items(NAUTILUS_MENU_PROVIDER(provider),
                                                                 NAUTILUS_FILE_INFO(infos[0]))
                   : nautilus_menu_provider_get_file_items(NAUTILUS_MENU_PROVIDER(provider), files);
    std::vector<std::string> described;
    for (GList* item = items; item; item = item->next) {
        GObject* object = G_OBJECT(item->data);
        described.push_back(stringProperty(object, "name") + "|" + stringProperty(object, "label") +
                            "|" + stringProperty(object, "tip"));
    }
    if (items)
        nautilus_menu_item_list_free(items);
    g_list_free_full(files, g_object_unref);
    g_object_unref(provider);
    return described;
}

const std::string kItem = "Scoutwell::scoutwell|Scoutwell...|Scoutwell";

TEST(NautilusModule, ExportsThreeEntryPointsAndListsOneMenuProvider) {
    const NautilusModuleEntryPoints& module = loadedModule();
    ASSERT_NE(module.initialize, nullptr);
    ASSERT_NE(module.shutdown, nullptr);
    ASSERT_NE(module.listTypes, nullptr);
    const GType* types = nullptr;
    int count = 0;
    module.listTypes(&types, &count);
    ASSERT_EQ(count, 1);
    EXPECT_TRUE(g_type_is_a(types[0], NAUTILUS_TYPE_MENU_PROVIDER));
    GObject* provider = newMenuProvider(module);
    ASSERT_NE(provider, nullptr);
    EXPECT_TRUE(NAUTILUS_IS_MENU_PROVIDER(provider));
    g_object_unref(provider);
}

TEST(NautilusModule, OffersItsItemOnlyWhenTheFirstSelectedItemIsALocalFolder) {
    struct Case {
        const char* what;
        std::vector<std::string> selection;
        bool offered;
    };
    const std::vector<Case> cases = {
        {"a folder", {"d:/srv/data"}, true},
        {"a file", {"f:/srv/data/notes.txt"}, false},
        {"two folders", {"d:/srv/first", "d:/srv/second"}, true},
        {"a folder, then a file", {"d:/srv/data", "f:/srv/notes.txt"}, true},
        {"a file, then a folder", {"f:/srv/notes.txt", "d:/srv/data"}, false},
        {"a folder URI with a trailing slash", {"d:file:///srv/data/"}, true},
        {"the root", {"d:/"}, true},
        {"a remote folder", {"d:sftp://host.example/srv/data"}, false},
    };
    for (const Case& c : cases) {
        std::vector<GObject*> infos;
        for (const std::string& item : c.selection)
            infos.push_back(describedFileInfo(item));
        const std::vector<std::string> items = itemsFor(infos, /*background=*/false);
        EXPECT_EQ(items, c.offered ? std::vector<std::string>{kItem} : std::vector<std::string>{})
            << c.what;
    }

    // An empty selection offers nothing.
    GObject* provider = newMenuProvider(loadedModule());
    EXPECT_EQ(nautilus_menu_provider_get_file_items(NAUTILUS_MENU_PROVIDER(provider), nullptr),
              nullptr);
    g_object_unref(provider);
}

// Nautilus names each item's action after the item and builds both menus at once, so the
// background's item needs a name of its own.
const std::string kBackgroundItem = "Scoutwell::scoutwell-background|Scoutwell...|Scoutwell";

TEST(NautilusModule, OffersItsItemOnTheBackgroundOfALocalFolder) {
    EXPECT_EQ(itemsFor({describedFileInfo("d:/srv/data")}, /*background=*/true),
              std::vector<std::string>{kBackgroundItem});
    EXPECT_EQ(itemsFor({describedFileInfo("d:/")}, /*background=*/true),
              std::vector<std::string>{kBackgroundItem});
    EXPECT_TRUE(itemsFor({describedFileInfo("d:x-nautilus-search:///")}, true).empty());
    // A folder shown under a view of its own (Recent) is offered through its real location.
    EXPECT_EQ(
        itemsFor({newFakeFileInfo("recent:///a1b2", G_FILE_TYPE_DIRECTORY, "file:///srv/data")},
                 /*background=*/false),
        std::vector<std::string>{kItem});
}

// A session of its own for the helper: XDG folders, PATH and HOME in a temporary tree, and a
// "scoutwell" in PATH that records too, so a launch that bypassed the desktop entry shows up.
class ActivationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tree_.folder("data/applications");
        tree_.folder("system-data");
        tree_.folder("bin");
        std::filesystem::create_symlink(SHELLEXT_RECORDER, tree_.path("bin/scoutwell"));
    }

    // Writes scoutwell.desktop with the recorder as its program and EXEC_ARGUMENTS after it.
    void writeDesktopEntry(const std::string& execArguments, const std::string& extra = {}) {
        tree_.file("data/applications/scoutwell.desktop",
                   "[Desktop Entry]\nType=Application\nName=Scoutwell\nExec=\"" +
                       std::string(SHELLEXT_RECORDER) + "\" " + execArguments + "\n" + extra);
    }

    ProgramResult activate(const std::vector<std::string>& arguments) {
        std::vector<std::string> args{SHELLEXT_MODULE};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::filesystem::remove(tree_.path("record"));
        return testing::runProgram(SHELLEXT_ACTIVATE, args,
                                   {{"HOME", tree_.path("home")},
                                    {"XDG_DATA_HOME", tree_.path("data")},
                                    {"XDG_DATA_DIRS", tree_.path("system-data")},
                                    {"XDG_CONFIG_HOME", tree_.path("config")},
                                    {"PATH", tree_.path("bin") + ":/usr/bin:/bin"},
                                    {"SCOUTWELL_RECORD", tree_.path("record")}});
    }

    // The arguments the recorder got; {"<not started>"} when it never ran.
    std::vector<std::string> recorded() {
        std::ifstream in(tree_.path("record"), std::ios::binary);
        if (!in)
            return {"<not started>"};
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        std::vector<std::string> args;
        for (std::size_t start = 0; start < bytes.size();) {
            const std::size_t end = bytes.find('\0', start);
            args.push_back(bytes.substr(start, end - start));
            start = end + 1;
        }
        return args;
    }

    TempTree tree_;
};

TEST_F(ActivationTest, StartsTheDesktopEntrysProgramWithDashDAndTheCutFolderAsOneArgument) {
    struct Case {
        const char* exec;
        std::vector<std::string> helperArguments;
        std::vector<std::string> expected;
    };
    const std::string odd = "/tmp/My \"quoted\" 'folder' $HOME; ls `id` 100%f \\ done";
    const std::vector<Case> cases = {
        {"%f", {"d:/srv/data"}, {"-d", "/srv/data"}},
        {"%f", {"d:" + odd}, {"-d", odd}},
        {"%f", {"d:file:///srv/data/"}, {"-d", "/srv/data"}},
        {"%f", {"d:/srv/data  "}, {"-d", "/srv/data"}},
        {"%f", {"d:/srv/da ta /"}, {"-d", "/srv/da ta"}},
        {"%f", {"d:/"}, {"-d", "/"}},
        {"%f", {"d:/srv/first", "d:/srv/second"}, {"-d", "/srv/first"}},
        {"%f", {"--background", "d:/srv/data"}, {"-d", "/srv/data"}},
        {"%f", {"--background", "d:/"}, {"-d", "/"}},
        // The rest of the Exec line stays around the folder; other field codes expand to
        // nothing.
        {"--new-window %F --verbose",
         {"d:/srv/data"},
         {"--new-window", "-d", "/srv/data", "--verbose"}},
        {"%U %i", {"d:/srv/data"}, {"-d", "/srv/data"}},
        {"--literal=%% --name=%c",
         {"d:/srv/data"},
         {"--literal=%", "--name=Scoutwell", "-d", "/srv/data"}},
    };
    for (const Case& c : cases) {
        writeDesktopEntry(c.exec);
        const ProgramResult result = activate(c.helperArguments);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, "items 1\nlaunched 1\n") << c.helperArguments.back();
        EXPECT_EQ(recorded(), c.expected) << c.exec << " " << c.helperArguments.back();
    }
}

TEST_F(ActivationTest, WithoutAUsableDesktopEntryStartsNothingAndShowsNothing) {
    struct Case {
        const char* what;
        std::string entry;  // empty: no desktop entry at all
    };
    const std::vector<Case> cases = {
        {"no desktop entry", ""},
        {"a program that does not exist",
         "[Desktop Entry]\nType=Application\nName=Scoutwell\nExec=/nonexistent/scoutwell %f\n"},
        {"a hidden (deleted) entry",
         "[Desktop Entry]\nType=Application\nName=Scoutwell\nExec=scoutwell %f\nHidden=true\n"},
        {"an Exec line that does not parse",
         "[Desktop Entry]\nType=Application\nName=Scoutwell\nExec=\"scoutwell %f\n"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(tree_.path("data/applications/scoutwell.desktop"));
        if (!c.entry.empty())
            tree_.file("data/applications/scoutwell.desktop", c.entry);
        const ProgramResult result = activate({"d:/srv/data"});
        EXPECT_EQ(result.status, 0) << c.what;
        EXPECT_EQ(result.out, "items 1\nlaunched 0\n") << c.what;
        EXPECT_EQ(result.err, "") << c.what;
        EXPECT_EQ(recorded(), std::vector<std::string>{"<not started>"}) << c.what;
    }
}

}  // namespace
}  // namespace scoutwell
