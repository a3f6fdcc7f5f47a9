/*
 * "Scoutwell..." in the context menus of GNOME Files (Nautilus, extension API 4).
 *
 * Nautilus loads this module into its own process and asks the one type it lists for menu
 * items: for the first selected item when that is a local folder, and for the open folder's
 * background. Choosing the item starts the program found through its installed desktop
 * entry (scoutwell.desktop) with the arguments "-d" and the folder. The module does no
 * searching and shares nothing with the program; GLib and GIO only, no toolkit.
 */
#include <nautilus-extension.h>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <glib.h>
#include <string.h>

#define SCOUTWELL_DESKTOP_ID "scoutwell.desktop"
#define SCOUTWELL_ITEM_NAME "Scoutwell::scoutwell"
/* Nautilus builds the selection's and the background's menus together and names each item's
 * action after the item: one shared name would make both start the background's folder. */
#define SCOUTWELL_BACKGROUND_ITEM_NAME "Scoutwell::scoutwell-background"
#define SCOUTWELL_ITEM_LABEL "Scoutwell..."
#define SCOUTWELL_ITEM_TIP "Scoutwell"
#define SCOUTWELL_ITEM_ICON "scoutwell"
#define SCOUTWELL_FOLDER_KEY "scoutwell-folder"

#define SCOUTWELL_TYPE_MENU_PROVIDER (scoutwell_menu_provider_get_type())

typedef struct {
    GObject parent;
} ScoutwellMenuProvider;

typedef struct {
    GObjectClass parent_class;
} ScoutwellMenuProviderClass;

GType scoutwell_menu_provider_get_type(void);
static void scoutwell_menu_provider_iface_init(NautilusMenuProviderInterface* iface);

G_DEFINE_DYNAMIC_TYPE_EXTENDED(ScoutwellMenuProvider, scoutwell_menu_provider, G_TYPE_OBJECT, 0,
                               G_IMPLEMENT_INTERFACE_DYNAMIC(NAUTILUS_TYPE_MENU_PROVIDER,
                                                             scoutwell_menu_provider_iface_init))

static GType provider_types[1];

/* The folder as the program receives it: cut after its last character that is neither "/" nor
 * a space, and "/" when nothing is left (the root, or an empty path). */
static char* cut_folder_path(const char* path) {
    size_t length = strlen(path);
    while (length > 0 && (path[length - 1] == '/' || path[length - 1] == ' '))
        --length;
    return length == 0 ? g_strdup("/") : g_strndup(path, length);
}

/* The local path of a folder the file manager shows, or NULL when it has none (remote
 * locations, search results). Views such as Recent list folders under their own scheme and
 * name the real folder as the activation location. */
static char* local_folder_path(NautilusFileInfo* info) {
    if (!nautilus_file_info_is_directory(info))
        return NULL;
    GFile* location = nautilus_file_info_get_location(info);
    char* path = location ? g_file_get_path(location) : NULL;
    g_clear_object(&location);
    if (path)
        return path;
    char* activation_uri = nautilus_file_info_get_activation_uri(info);
    if (activation_uri) {
        GFile* target = g_file_new_for_uri(activation_uri);
        path = g_file_get_path(target);
        g_object_unref(target);
        g_free(activation_uri);
    }
    return path;
}

/* Expands one argument of the desktop entry's Exec line. The first file or URL field code
 * standing alone becomes "-d" and the folder; other file codes and deprecated codes expand to
 * nothing; an argument that held only such codes is dropped, as launchers do. */
static void expand_exec_argument(const char* argument, GDesktopAppInfo* info, const char* folder,
                                 gboolean* folder_placed, GPtrArray* argv) {
    if (strlen(argument) == 2 && argument[0] == '%' && strchr("fFuU", argument[1])) {
        if (!*folder_placed) {
            g_ptr_array_add(argv, g_strdup("-d"));
            g_ptr_array_add(argv, g_strdup(folder));
            *folder_placed = TRUE;
        }
        return;
    }
    if (strcmp(argument, "%i") == 0) {
        char* icon = g_desktop_app_info_get_string(info, G_KEY_FILE_DESKTOP_KEY_ICON);
        if (icon && *icon) {
            g_ptr_array_add(argv, g_strdup("--icon"));
            g_ptr_array_add(argv, icon);
        } else {
            g_free(icon);
        }
        return;
    }
    GString* expanded = g_string_new(NULL);
    for (const char* p = argument; *p; ++p) {
        if (*p != '%') {
            g_string_append_c(expanded, *p);
            continue;
        }
        ++p;
        if (*p == '\0')
            break;
        if (*p == '%') {
            g_string_append_c(expanded, '%');
        } else if (*p == 'c') {
            g_string_append(expanded, g_app_info_get_name(G_APP_INFO(info)));
        } else if (*p == 'k') {
            const char* filename = g_desktop_app_info_get_filename(info);
            g_string_append(expanded, filename ? filename : "");
        }
    }
    if (expanded->len > 0 || *argument == '\0')
        g_ptr_array_add(argv, g_string_free(expanded, FALSE));
    else
        g_string_free(expanded, TRUE);
}

/* Starts the program named by the installed desktop entry with "-d FOLDER". The folder travels
 * as one argument of an argument vector; no shell ever sees it. A missing entry, an Exec line
 * that does not parse, a program that cannot be found or started: nothing starts and nothing
 * is shown, the menu simply does nothing. */
static void launch_scoutwell(const char* folder) {
    GDesktopAppInfo* info = g_desktop_app_info_new(SCOUTWELL_DESKTOP_ID);
    if (!info) {
        g_debug("Scoutwell: no desktop entry %s", SCOUTWELL_DESKTOP_ID);
        return;
    }
    const char* exec = g_app_info_get_commandline(G_APP_INFO(info));
    char** words = NULL;
    GError* error = NULL;
    if (!exec || !g_shell_parse_argv(exec, NULL, &words, &error)) {
        g_debug("Scoutwell: unusable Exec line: %s", error ? error->message : "missing");
        g_clear_error(&error);
        g_object_unref(info);
        return;
    }

    /* The program is the first word of the Exec line, looked up in PATH unless it is a path. */
    char* program = g_find_program_in_path(words[0]);
    if (!program) {
        g_debug("Scoutwell: program %s of %s not found", words[0], SCOUTWELL_DESKTOP_ID);
        g_strfreev(words);
        g_object_unref(info);
        return;
    }
    GPtrArray* argv = g_ptr_array_new_with_free_func(g_free);
    g_ptr_array_add(argv, program);
    gboolean folder_placed = FALSE;
    for (char** word = words + 1; *word; ++word)
        expand_exec_argument(*word, info, folder, &folder_placed, argv);
    if (!folder_placed) {
        g_ptr_array_add(argv, g_strdup("-d"));
        g_ptr_array_add(argv, g_strdup(folder));
    }
    g_ptr_array_add(argv, NULL);

    char* working_folder = g_desktop_app_info_get_string(info, "Path");
    if (working_folder && !*working_folder)
        g_clear_pointer(&working_folder, g_free);
    /* Without G_SPAWN_DO_NOT_REAP_CHILD the program is started through an intermediate process,
     * so it never becomes a zombie of the file manager. */
    if (!g_spawn_async(working_folder, (char**)argv->pdata, NULL, G_SPAWN_STDIN_FROM_DEV_NULL, NULL,
                       NULL, NULL, &error)) {
        g_debug("Scoutwell: could not start %s: %s", program, error->message);
        g_clear_error(&error);
    }
    g_free(working_folder);

    g_ptr_array_unref(argv);
    g_strfreev(words);
    g_object_unref(info);
}

static void on_item_activate(NautilusMenuItem* item, gpointer user_data) {
    (void)user_data;
    const char* folder = g_object_get_data(G_OBJECT(item), SCOUTWELL_FOLDER_KEY);
    if (folder)
        launch_scoutwell(folder);
}

/* The one item, bound to the folder's cut path, in a list of its own; an empty list when INFO
 * is not a local folder. */
static GList* items_for_folder(NautilusFileInfo* info, const char* name) {
    char* path = local_folder_path(info);
    if (!path)
        return NULL;
    NautilusMenuItem* item =
        nautilus_menu_item_new(name, SCOUTWELL_ITEM_LABEL, SCOUTWELL_ITEM_TIP, SCOUTWELL_ITEM_ICON);
    g_object_set_data_full(G_OBJECT(item), SCOUTWELL_FOLDER_KEY, cut_folder_path(path), g_free);
    g_signal_connect(item, "activate", G_CALLBACK(on_item_activate), NULL);
    g_free(path);
    return g_list_append(NULL, item);
}

/* Only the first selected item counts, whatever else is selected. */
static GList* get_file_items(NautilusMenuProvider* provider, GList* files) {
    (void)provider;
    if (!files || !NAUTILUS_IS_FILE_INFO(files->data))
        return NULL;
    return items_for_folder(NAUTILUS_FILE_INFO(files->data), SCOUTWELL_ITEM_NAME);
}

static GList* get_background_items(NautilusMenuProvider* provider,
                                   NautilusFileInfo* current_folder) {
    (void)provider;
    if (!current_folder || !NAUTILUS_IS_FILE_INFO(current_folder))
        return NULL;
    return items_for_folder(current_folder, SCOUTWELL_BACKGROUND_ITEM_NAME);
}

static void scoutwell_menu_provider_iface_init(NautilusMenuProviderInterface* iface) {
    iface->get_file_items = get_file_items;
    iface->get_background_items = get_background_items;
}

static void scoutwell_menu_provider_init(ScoutwellMenuProvider* self) {
    (void)self;
}

static void scoutwell_menu_provider_class_init(ScoutwellMenuProviderClass* klass) {
    (void)klass;
}

static void scoutwell_menu_provider_class_finalize(ScoutwellMenuProviderClass* klass) {
    (void)klass;
}

G_MODULE_EXPORT void nautilus_module_initialize(GTypeModule* module) {
    scoutwell_menu_provider_register_type(module);
    provider_types[0] = SCOUTWELL_TYPE_MENU_PROVIDER;
}

G_MODULE_EXPORT void nautilus_module_shutdown(void) {}

G_MODULE_EXPORT void nautilus_module_list_types(const GType** types, int* num_types) {
    *types = provider_types;
    *num_types = G_N_ELEMENTS(provider_types);
}
