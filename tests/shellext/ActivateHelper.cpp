// shellext-activate MODULE [--background] ITEM...
//
// Plays Nautilus for one right-click in a process of its own (so that each run looks the
// desktop entry up afresh under the XDG folders it was started with): it loads MODULE, asks
// for the items of the selection ITEM... ("d:PATH" a folder, "f:PATH" a file; --background:
// the open folder ITEM), activates the first item and waits for every program the activation
// started. It prints "items N" and "launched N". As a child subreaper it collects the programs
// that the module starts through an intermediate process, so nothing is left running.
#include <nautilus-extension.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "shellext/NautilusTestSupport.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s MODULE [--background] ITEM...\n", argv[0]);
        return 2;
    }
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    std::string error;
    const NautilusModuleEntryPoints& module = loadNautilusModule(argv[1], error);
    GObject* provider = error.empty() ? newMenuProvider(module) : nullptr;
    if (!provider) {
        std::fprintf(stderr, "cannot load %s: %s\n", argv[1], error.c_str());
        return 2;
    }
    const bool background = std::strcmp(argv[2], "--background") == 0;
    GList* files = nullptr;
    for (int i = background ? 3 : 2; i < argc; ++i)
        files = g_list_append(files, describedFileInfo(argv[i]));

    GList* items =
        background ? nautilus_menu_provider_get_background_items(NAUTILUS_MENU_PROVIDER(provider),
                                                                 NAUTILUS_FILE_INFO(files->data))
                   : nautilus_menu_provider_get_file_items(NAUTILUS_MENU_PROVIDER(provider), files);
    std::printf("items %u\n", g_list_length(items));
    if (items)
        nautilus_menu_item_activate(NAUTILUS_MENU_ITEM(items->data));

    int launched = 0;
    int status = 0;
    for (;;) {
        if (waitpid(-1, &status, 0) > 0)
            ++launched;
        else if (errno != EINTR)
            break;
    }
    std::printf("launched %d\n", launched);

    if (items)
        nautilus_menu_item_list_free(items);
    g_list_free_full(files, g_object_unref);
    g_object_unref(provider);
    return 0;
}
