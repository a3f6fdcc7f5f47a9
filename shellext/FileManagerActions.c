/*
 * scoutwell-file-manager-actions: "Scoutwell..." for the file managers that read action files
 * (Dolphin, Nemo, Caja) or one actions file (Thunar).
 *
 *   scoutwell-file-manager-actions install      the current user's actions, Thunar's included
 *   scoutwell-file-manager-actions remove       removes them; Thunar's other actions stay
 *   scoutwell-file-manager-actions write DIR    the system-wide files under DIR (a share folder)
 *
 * --program PATH names the program the actions start; by default the scoutwell beside this
 * tool for a user's actions and plain "scoutwell" (found in PATH) for system-wide ones. Every
 * action starts the program with "-d" and the folder as one argument: the file managers quote
 * the folder themselves, so spaces and quotes in folder names are safe.
 *
 * Thunar reads the first uca.xml it finds, the user's before the system's, so the user's file
 * is merged, never replaced: its other actions stay, ours appears once, and a user without a
 * file of their own keeps the system's actions in the new one.
 */
#include <errno.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define ACTION_LABEL "Scoutwell..."
#define ACTION_TIP "Scoutwell"
#define ACTION_ICON "scoutwell"
#define THUNAR_UNIQUE_ID "scoutwell-search-folder"

#define DOLPHIN_FILE "kio/servicemenus/scoutwell.desktop"
#define NEMO_FOLDER_FILE "nemo/actions/scoutwell-folder.nemo_action"
#define NEMO_BACKGROUND_FILE "nemo/actions/scoutwell-background.nemo_action"
#define CAJA_FILE "file-manager/actions/scoutwell.desktop"
#define THUNAR_FILE "Thunar/uca.xml"

#define EMPTY_UCA_XML "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n"

/* ---- Exec lines ---------------------------------------------------------------------------- */

/* The program as the first word of an Exec line: quoted the desktop-entry way when it holds a
 * reserved character (which every one of these file managers parses back), with "%" doubled so
 * that no part of it reads as a field code. */
static char* quoted_program(const char* program) {
    const char* reserved = " \t\n\"'\\><~|&;$*?#()`";
    gboolean needs_quotes = program[strcspn(program, reserved)] != '\0';
    GString* out = g_string_new(needs_quotes ? "\"" : "");
    for (const char* p = program; *p; ++p) {
        if (*p == '%')
            g_string_append_c(out, '%');
        else if (needs_quotes && strchr("\"`$\\", *p))
            g_string_append_c(out, '\\');
        g_string_append_c(out, *p);
    }
    if (needs_quotes)
        g_string_append_c(out, '"');
    return g_string_free(out, FALSE);
}

static char* exec_line(const char* program, const char* folder_code) {
    char* quoted = quoted_program(program);
    char* line = g_strdup_printf("%s -d %s", quoted, folder_code);
    g_free(quoted);
    return line;
}

/* ---- Action files -------------------------------------------------------------------------- */

/* Writes TEXT to PATH through a temporary file and a rename, creating its folder. */
static gboolean write_file(const char* path, const char* text, int mode, GError** error) {
    char* folder = g_path_get_dirname(path);
    int made = g_mkdir_with_parents(folder, 0755);
    int saved = errno;
    g_free(folder);
    if (made != 0) {
        g_set_error(error, G_FILE_ERROR, g_file_error_from_errno(saved),
                    "cannot create the folder of %s: %s", path, g_strerror(saved));
        return FALSE;
    }
    return g_file_set_contents_full(path, text, -1, G_FILE_SET_CONTENTS_CONSISTENT, mode, error);
}

/* Writes KEYS to the file FILE under SHARE and frees them. */
static gboolean save_key_file(GKeyFile* keys, const char* share, const char* file, int mode,
                              GError** error) {
    char* text = g_key_file_to_data(keys, NULL, NULL);
    char* path = g_build_filename(share, file, NULL);
    gboolean written = write_file(path, text, mode, error);
    g_free(path);
    g_free(text);
    g_key_file_free(keys);
    return written;
}

static void set_exec(GKeyFile* keys, const char* group, const char* program,
                     const char* folder_code) {
    char* exec = exec_line(program, folder_code);
    g_key_file_set_string(keys, group, "Exec", exec);
    g_free(exec);
}

/* Dolphin: a service menu for folders, which Dolphin also offers on the open folder's
 * background. Service menus outside the system folders run only when executable. */
static gboolean write_dolphin(const char* share, const char* program, GError** error) {
    GKeyFile* keys = g_key_file_new();
    g_key_file_set_string(keys, "Desktop Entry", "Type", "Service");
    g_key_file_set_string(keys, "Desktop Entry", "MimeType", "inode/directory;");
    g_key_file_set_string(keys, "Desktop Entry", "Actions", "scoutwell;");
    g_key_file_set_string(keys, "Desktop Entry", "X-KDE-Priority", "TopLevel");
    g_key_file_set_string(keys, "Desktop Action scoutwell", "Name", ACTION_LABEL);
    g_key_file_set_string(keys, "Desktop Action scoutwell", "Icon", ACTION_ICON);
    set_exec(keys, "Desktop Action scoutwell", program, "%f");
    return save_key_file(keys, share, DOLPHIN_FILE, 0755, error);
}

/* Nemo: one action for a single selected folder (%F, its path) and one for the background
 * (%P, the open folder). Nemo escapes the paths it inserts. */
static gboolean write_nemo_action(const char* share, const char* file, const char* program,
                                  const char* selection, const char* extensions,
                                  const char* folder_code, GError** error) {
    GKeyFile* keys = g_key_file_new();
    g_key_file_set_string(keys, "Nemo Action", "Name", ACTION_LABEL);
    g_key_file_set_string(keys, "Nemo Action", "Comment", ACTION_TIP);
    g_key_file_set_string(keys, "Nemo Action", "Icon-Name", ACTION_ICON);
    set_exec(keys, "Nemo Action", program, folder_code);
    g_key_file_set_string(keys, "Nemo Action", "Selection", selection);
    g_key_file_set_string(keys, "Nemo Action", "Extensions", extensions);
    return save_key_file(keys, share, file, 0644, error);
}

/* Caja (caja-actions): one action for selected folders and for the open folder's background;
 * %f is the first folder's path, quoted by Caja. */
static gboolean write_caja(const char* share, const char* program, GError** error) {
    GKeyFile* keys = g_key_file_new();
    g_key_file_set_string(keys, "Desktop Entry", "Type", "Action");
    g_key_file_set_string(keys, "Desktop Entry", "Name", ACTION_LABEL);
    g_key_file_set_string(keys, "Desktop Entry", "Tooltip", ACTION_TIP);
    g_key_file_set_string(keys, "Desktop Entry", "Icon", ACTION_ICON);
    g_key_file_set_boolean(keys, "Desktop Entry", "TargetContext", TRUE);
    g_key_file_set_boolean(keys, "Desktop Entry", "TargetLocation", TRUE);
    g_key_file_set_string(keys, "Desktop Entry", "Profiles", "folder;");
    g_key_file_set_string(keys, "X-Action-Profile folder", "Name", "Folder");
    g_key_file_set_string(keys, "X-Action-Profile folder", "MimeTypes", "inode/directory;");
    set_exec(keys, "X-Action-Profile folder", program, "%f");
    return save_key_file(keys, share, CAJA_FILE, 0644, error);
}

static gboolean write_action_files(const char* share, const char* program, GError** error) {
    return write_dolphin(share, program, error) &&
           write_nemo_action(share, NEMO_FOLDER_FILE, program, "s", "dir;", "%F", error) &&
           write_nemo_action(share, NEMO_BACKGROUND_FILE, program, "none", "any;", "%P", error) &&
           write_caja(share, program, error);
}

/* ---- Thunar's uca.xml ---------------------------------------------------------------------- */

/* The file kept as a tree of elements, text and the parts passed through untouched (the XML
 * declaration, comments), so that writing it back keeps everything the user had. */
typedef struct XmlNode {
    char* name; /* element name; NULL for text and passed-through parts */
    char** attribute_names;
    char** attribute_values;
    GPtrArray* children; /* of XmlNode, elements only */
    char* text;          /* text (unescaped) or a passed-through part (verbatim) */
    gboolean verbatim;
} XmlNode;

static void xml_node_free(gpointer data) {
    XmlNode* node = data;
    g_free(node->name);
    g_strfreev(node->attribute_names);
    g_strfreev(node->attribute_values);
    if (node->children)
        g_ptr_array_unref(node->children);
    g_free(node->text);
    g_free(node);
}

static XmlNode* xml_element_new(const char* name) {
    XmlNode* node = g_new0(XmlNode, 1);
    node->name = g_strdup(name);
    node->attribute_names = g_new0(char*, 1);
    node->attribute_values = g_new0(char*, 1);
    node->children = g_ptr_array_new_with_free_func(xml_node_free);
    return node;
}

static XmlNode* xml_text_new(const char* text, gsize length, gboolean verbatim) {
    XmlNode* node = g_new0(XmlNode, 1);
    node->text = g_strndup(text, length);
    node->verbatim = verbatim;
    return node;
}

typedef struct {
    XmlNode* document; /* a nameless element holding the top level */
    GPtrArray* open;   /* the elements being read, innermost last */
} XmlReader;

static XmlNode* reader_current(XmlReader* reader) {
    return g_ptr_array_index(reader->open, reader->open->len - 1);
}

static void on_start_element(GMarkupParseContext* context, const char* name, const char** names,
                             const char** values, gpointer user_data, GError** error) {
    (void)context;
    (void)error;
    XmlReader* reader = user_data;
    XmlNode* node = xml_element_new(name);
    g_strfreev(node->attribute_names);
    g_strfreev(node->attribute_values);
    node->attribute_names = g_strdupv((char**)names);
    node->attribute_values = g_strdupv((char**)values);
    g_ptr_array_add(reader_current(reader)->children, node);
    g_ptr_array_add(reader->open, node);
}

static void on_end_element(GMarkupParseContext* context, const char* name, gpointer user_data,
                           GError** error) {
    (void)context;
    (void)name;
    (void)error;
    XmlReader* reader = user_data;
    g_ptr_array_remove_index(reader->open, reader->open->len - 1);
}

static void on_text(GMarkupParseContext* context, const char* text, gsize length,
                    gpointer user_data, GError** error) {
    (void)context;
    (void)error;
    XmlReader* reader = user_data;
    if (reader->open->len > 1)
        g_ptr_array_add(reader_current(reader)->children, xml_text_new(text, length, FALSE));
}

static void on_passthrough(GMarkupParseContext* context, const char* text, gsize length,
                           gpointer user_data, GError** error) {
    (void)context;
    (void)error;
    XmlReader* reader = user_data;
    g_ptr_array_add(reader_current(reader)->children, xml_text_new(text, length, TRUE));
}

/* The document's root element when TEXT is well-formed XML whose root is <actions>. */
static XmlNode* xml_root(XmlNode* document) {
    XmlNode* root = NULL;
    for (guint i = 0; i < document->children->len; ++i) {
        XmlNode* node = g_ptr_array_index(document->children, i);
        if (node->name) {
            if (root)
                return NULL;
            root = node;
        }
    }
    return root && strcmp(root->name, "actions") == 0 ? root : NULL;
}

static XmlNode* parse_uca(const char* text, gsize length, GError** error) {
    static const GMarkupParser parser = {on_start_element, on_end_element, on_text, on_passthrough,
                                         NULL};
    XmlReader reader = {xml_element_new(""), g_ptr_array_new()};
    g_ptr_array_add(reader.open, reader.document);
    GMarkupParseContext* context = g_markup_parse_context_new(&parser, 0, &reader, NULL);
    gboolean parsed = g_markup_parse_context_parse(context, text, (gssize)length, error) &&
                      g_markup_parse_context_end_parse(context, error);
    g_markup_parse_context_free(context);
    g_ptr_array_unref(reader.open);
    if (parsed && !xml_root(reader.document)) {
        g_set_error_literal(error, G_MARKUP_ERROR, G_MARKUP_ERROR_INVALID_CONTENT,
                            "the root element is not <actions>");
        parsed = FALSE;
    }
    if (!parsed) {
        xml_node_free(reader.document);
        return NULL;
    }
    return reader.document;
}

/* Escapes only what must be escaped, so that the user's text reads back as they wrote it. */
static void append_escaped(GString* out, const char* text, gboolean attribute) {
    for (const char* p = text; *p; ++p) {
        if (*p == '&')
            g_string_append(out, "&amp;");
        else if (*p == '<')
            g_string_append(out, "&lt;");
        else if (*p == '>')
            g_string_append(out, "&gt;");
        else if (attribute && *p == '"')
            g_string_append(out, "&quot;");
        else
            g_string_append_c(out, *p);
    }
}

static void write_xml(const XmlNode* node, GString* out) {
    if (!node->name) {
        if (node->verbatim) {
            g_string_append(out, node->text);
        } else {
            append_escaped(out, node->text, FALSE);
        }
        return;
    }
    g_string_append_printf(out, "<%s", node->name);
    for (guint i = 0; node->attribute_names[i]; ++i) {
        g_string_append_printf(out, " %s=\"", node->attribute_names[i]);
        append_escaped(out, node->attribute_values[i], TRUE);
        g_string_append_c(out, '"');
    }
    if (node->children->len == 0) {
        g_string_append(out, "/>");
        return;
    }
    g_string_append_c(out, '>');
    for (guint i = 0; i < node->children->len; ++i)
        write_xml(g_ptr_array_index(node->children, i), out);
    g_string_append_printf(out, "</%s>", node->name);
}

static char* xml_document_text(const XmlNode* document) {
    GString* out = g_string_new(NULL);
    for (guint i = 0; i < document->children->len; ++i) {
        const XmlNode* node = g_ptr_array_index(document->children, i);
        write_xml(node, out);
        if (node->verbatim || node->name)
            g_string_append_c(out, '\n');
    }
    return g_string_free(out, FALSE);
}

static char* element_text(const XmlNode* element) {
    GString* text = g_string_new(NULL);
    for (guint i = 0; i < element->children->len; ++i) {
        const XmlNode* child = g_ptr_array_index(element->children, i);
        if (!child->name && !child->verbatim)
            g_string_append(text, child->text);
    }
    return g_string_free(text, FALSE);
}

static gboolean is_our_action(const XmlNode* node) {
    if (!node->name || strcmp(node->name, "action") != 0)
        return FALSE;
    for (guint i = 0; i < node->children->len; ++i) {
        const XmlNode* child = g_ptr_array_index(node->children, i);
        if (child->name && strcmp(child->name, "unique-id") == 0) {
            char* id = element_text(child);
            gboolean ours = strcmp(g_strstrip(id), THUNAR_UNIQUE_ID) == 0;
            g_free(id);
            return ours;
        }
    }
    return FALSE;
}

static gboolean is_blank(const char* text) {
    while (*text && g_ascii_isspace(*text))
        ++text;
    return *text == '\0';
}

static void add_text_element(XmlNode* parent, const char* name, const char* text) {
    g_ptr_array_add(parent->children, xml_text_new("\n\t", 2, FALSE));
    XmlNode* element = xml_element_new(name);
    if (text)
        g_ptr_array_add(element->children, xml_text_new(text, strlen(text), FALSE));
    g_ptr_array_add(parent->children, element);
}

/* Our action for folders; Thunar offers it on the open folder's background too. %f is the
 * folder's path, quoted by Thunar. */
static XmlNode* thunar_action(const char* program) {
    XmlNode* action = xml_element_new("action");
    char* command = exec_line(program, "%f");
    add_text_element(action, "icon", ACTION_ICON);
    add_text_element(action, "name", ACTION_LABEL);
    add_text_element(action, "submenu", "");
    add_text_element(action, "unique-id", THUNAR_UNIQUE_ID);
    add_text_element(action, "command", command);
    add_text_element(action, "description", ACTION_TIP);
    add_text_element(action, "range", "");
    add_text_element(action, "patterns", "*");
    add_text_element(action, "directories", NULL);
    g_ptr_array_add(action->children, xml_text_new("\n", 1, FALSE));
    g_free(command);
    return action;
}

/* Takes every copy of our action out of <actions>, with the blank text before it, and, when
 * PROGRAM is given, puts one back where the first was (or at the end). Every other child of
 * <actions> stays as it was. */
static void put_thunar_action(XmlNode* root, const char* program) {
    GPtrArray* children = root->children;
    guint first = G_MAXUINT;
    guint i = 0;
    while (i < children->len) {
        if (!is_our_action(g_ptr_array_index(children, i))) {
            ++i;
            continue;
        }
        g_ptr_array_remove_index(children, i);
        const XmlNode* before = i > 0 ? g_ptr_array_index(children, i - 1) : NULL;
        if (before && !before->name && !before->verbatim && is_blank(before->text))
            g_ptr_array_remove_index(children, --i);
        if (first == G_MAXUINT)
            first = i;
    }
    if (!program)
        return;
    if (first == G_MAXUINT) {
        const XmlNode* last =
            children->len > 0 ? g_ptr_array_index(children, children->len - 1) : NULL;
        if (!last || last->name || !g_str_has_suffix(last->text, "\n"))
            g_ptr_array_add(children, xml_text_new("\n", 1, FALSE));
        g_ptr_array_add(children, thunar_action(program));
        g_ptr_array_add(children, xml_text_new("\n", 1, FALSE));
    } else {
        g_ptr_array_insert(children, (gint)first, thunar_action(program));
        g_ptr_array_insert(children, (gint)first, xml_text_new("\n", 1, FALSE));
    }
}

static char* user_uca_path(void) {
    return g_build_filename(g_get_user_config_dir(), THUNAR_FILE, NULL);
}

/* The file Thunar would read when the user has none of their own. */
static char* system_uca_path(void) {
    for (const char* const* dir = g_get_system_config_dirs(); *dir; ++dir) {
        char* path = g_build_filename(*dir, THUNAR_FILE, NULL);
        if (g_file_test(path, G_FILE_TEST_IS_REGULAR))
            return path;
        g_free(path);
    }
    return NULL;
}

/* Merges our action into the user's uca.xml (PROGRAM non-NULL) or takes it out (NULL). A file
 * that is not a Thunar actions file is left alone and reported. */
static gboolean update_thunar(const char* program, GError** error) {
    char* user_path = user_uca_path();
    /* A uca.xml that is a link (kept with other dotfiles) is updated where it points. */
    char* target = realpath(user_path, NULL);
    char* path = target ? g_strdup(target) : g_strdup(user_path);
    free(target);
    gboolean have_user_file = g_file_test(path, G_FILE_TEST_EXISTS);
    char* source = have_user_file ? g_strdup(path) : system_uca_path();
    gboolean done = TRUE;

    if (!program && !have_user_file)
        goto out;
    if (!source) {
        char* thunar = g_find_program_in_path("thunar");
        gboolean has_thunar = thunar != NULL;
        g_free(thunar);
        if (!has_thunar)
            goto out; /* no Thunar here: leave its settings alone */
    }

    char* text = NULL;
    gsize length = 0;
    if (source) {
        if (!g_file_get_contents(source, &text, &length, error)) {
            done = FALSE;
            goto out;
        }
    } else {
        text = g_strdup(EMPTY_UCA_XML);
        length = strlen(text);
    }
    GError* parse_error = NULL;
    XmlNode* document = parse_uca(text, length, &parse_error);
    g_free(text);
    if (!document) {
        g_set_error(error, G_MARKUP_ERROR, G_MARKUP_ERROR_INVALID_CONTENT,
                    "%s is not a Thunar actions file (%s); it was left unchanged", source,
                    parse_error->message);
        g_error_free(parse_error);
        done = FALSE;
        goto out;
    }
    put_thunar_action(xml_root(document), program);
    char* merged = xml_document_text(document);
    done = write_file(path, merged, 0644, error);
    g_free(merged);
    xml_node_free(document);

out:
    g_free(source);
    g_free(path);
    g_free(user_path);
    return done;
}

/* ---- Commands ------------------------------------------------------------------------------ */

/* The program beside this tool when there is one, else the name looked up in PATH. */
static char* default_user_program(void) {
    char* self = g_file_read_link("/proc/self/exe", NULL);
    if (self) {
        char* folder = g_path_get_dirname(self);
        char* program = g_build_filename(folder, "scoutwell", NULL);
        g_free(folder);
        g_free(self);
        if (g_file_test(program, G_FILE_TEST_IS_EXECUTABLE))
            return program;
        g_free(program);
    }
    return g_strdup("scoutwell");
}

static gboolean remove_action_files(const char* share, GError** error) {
    const char* files[] = {DOLPHIN_FILE, NEMO_FOLDER_FILE, NEMO_BACKGROUND_FILE, CAJA_FILE};
    for (gsize i = 0; i < G_N_ELEMENTS(files); ++i) {
        char* path = g_build_filename(share, files[i], NULL);
        int removed = g_remove(path);
        int saved = errno;
        if (removed != 0 && saved != ENOENT) {
            g_set_error(error, G_FILE_ERROR, g_file_error_from_errno(saved), "cannot remove %s: %s",
                        path, g_strerror(saved));
            g_free(path);
            return FALSE;
        }
        g_free(path);
    }
    return TRUE;
}

static int usage(void) {
    fprintf(stderr,
            "Usage: scoutwell-file-manager-actions [--program PATH] install | remove | write DIR\n"
            "  install    adds \"Scoutwell...\" to Dolphin, Nemo, Caja and Thunar for this user\n"
            "  remove     takes it out again\n"
            "  write DIR  writes the system-wide action files under the share folder DIR\n");
    return 2;
}

int main(int argc, char** argv) {
    const char* program = NULL;
    int next = 1;
    if (next + 1 < argc && strcmp(argv[next], "--program") == 0) {
        program = argv[next + 1];
        next += 2;
    }
    if (next >= argc)
        return usage();
    const char* command = argv[next];
    GError* error = NULL;
    gboolean done;
    if (strcmp(command, "write") == 0 && next + 2 == argc) {
        done = write_action_files(argv[next + 1], program ? program : "scoutwell", &error);
    } else if (strcmp(command, "install") == 0 && next + 1 == argc) {
        /* A relative program path is made absolute: the file manager runs it from elsewhere. */
        char* chosen = !program                       ? default_user_program()
                       : strchr(program, '/') != NULL ? g_canonicalize_filename(program, NULL)
                                                      : g_strdup(program);
        done = write_action_files(g_get_user_data_dir(), chosen, &error) &&
               update_thunar(chosen, &error);
        g_free(chosen);
    } else if (strcmp(command, "remove") == 0 && next + 1 == argc) {
        done = remove_action_files(g_get_user_data_dir(), &error) && update_thunar(NULL, &error);
    } else {
        return usage();
    }
    if (!done) {
        fprintf(stderr, "scoutwell-file-manager-actions: %s\n", error->message);
        g_error_free(error);
        return 1;
    }
    return 0;
}
