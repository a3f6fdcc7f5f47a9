#include "shellext/NautilusTestSupport.h"

#include <nautilus-extension.h>

#include <cstring>

namespace {

struct FakeFileInfo {
    GObject parent;
    GFile* location;
    char* activationUri;
    GFileType type;
};

struct FakeFileInfoClass {
    GObjectClass parentClass;
};

GType fakeFileInfoType();

FakeFileInfo* fake(NautilusFileInfo* info) {
    return G_TYPE_CHECK_INSTANCE_CAST(info, fakeFileInfoType(), FakeFileInfo);
}

gboolean isGone(NautilusFileInfo*) {
    return FALSE;
}
char* getName(NautilusFileInfo* info) {
    return g_file_get_basename(fake(info)->location);
}
char* getUri(NautilusFileInfo* info) {
    return g_file_get_uri(fake(info)->location);
}
char* getUriScheme(NautilusFileInfo* info) {
    return g_file_get_uri_scheme(fake(info)->location);
}
char* getActivationUri(NautilusFileInfo* info) {
    return fake(info)->activationUri ? g_strdup(fake(info)->activationUri) : getUri(info);
}
GFileType getFileType(NautilusFileInfo* info) {
    return fake(info)->type;
}
gboolean isDirectory(NautilusFileInfo* info) {
    return fake(info)->type == G_FILE_TYPE_DIRECTORY;
}
char* getMimeType(NautilusFileInfo* info) {
    return g_strdup(isDirectory(info) ? "inode/directory" : "application/octet-stream");
}
gboolean isMimeType(NautilusFileInfo* info, const char* mimeType) {
    char* own = getMimeType(info);
    const gboolean same = std::strcmp(own, mimeType) == 0;
    g_free(own);
    return same;
}
GFile* getLocation(NautilusFileInfo* info) {
    return G_FILE(g_object_ref(fake(info)->location));
}
GFile* getParentLocation(NautilusFileInfo* info) {
    return g_file_get_parent(fake(info)->location);
}
char* getParentUri(NautilusFileInfo* info) {
    GFile* parent = g_file_get_parent(fake(info)->location);
    char* uri = parent ? g_file_get_uri(parent) : nullptr;
    g_clear_object(&parent);
    return uri;
}
NautilusFileInfo* getParentInfo(NautilusFileInfo*) {
    return nullptr;
}
GMount* getMount(NautilusFileInfo*) {
    return nullptr;
}
gboolean canWrite(NautilusFileInfo*) {
    return TRUE;
}
void addEmblem(NautilusFileInfo*, const char*) {}
char* getStringAttribute(NautilusFileInfo*, const char*) {
    return nullptr;
}
void addStringAttribute(NautilusFileInfo*, const char*, const char*) {}
void invalidateExtensionInfo(NautilusFileInfo*) {}

void fakeFileInfoInterfaceInit(gpointer ifacePointer, gpointer) {
    auto* iface = static_cast<NautilusFileInfoInterface*>(ifacePointer);
    iface->is_gone = isGone;
    iface->get_name = getName;
    iface->get_uri = getUri;
    iface->get_parent_uri = getParentUri;
    iface->get_uri_scheme = getUriScheme;
    iface->get_mime_type = getMimeType;
    iface->is_mime_type = isMimeType;
    iface->is_directory = isDirectory;
    iface->add_emblem = addEmblem;
    iface->get_string_attribute = getStringAttribute;
    iface->add_string_attribute = addStringAttribute;
    iface->invalidate_extension_info = invalidateExtensionInfo;
    iface->get_activation_uri = getActivationUri;
    iface->get_file_type = getFileType;
    iface->get_location = getLocation;
    iface->get_parent_location = getParentLocation;
    iface->get_parent_info = getParentInfo;
    iface->get_mount = getMount;
    iface->can_write = canWrite;
}

void fakeFileInfoFinalize(GObject* object) {
    auto* self = reinterpret_cast<FakeFileInfo*>(object);
    g_clear_object(&self->location);
    g_free(self->activationUri);
    G_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(object)))->finalize(object);
}

void fakeFileInfoClassInit(gpointer klass, gpointer) {
    G_OBJECT_CLASS(klass)->finalize = fakeFileInfoFinalize;
}

GType fakeFileInfoType() {
    static GType type = 0;
    if (type == 0) {
        GTypeInfo info{};
        info.class_size = sizeof(FakeFileInfoClass);
        info.class_init = fakeFileInfoClassInit;
        info.instance_size = sizeof(FakeFileInfo);
        type = g_type_register_static(G_TYPE_OBJECT, "ScoutwellTestFakeFileInfo", &info,
                                      GTypeFlags(0));
        GInterfaceInfo iface{};
        iface.interface_init = fakeFileInfoInterfaceInit;
        g_type_add_interface_static(type, NAUTILUS_TYPE_FILE_INFO, &iface);
    }
    return type;
}

// The type module in which the extension registers its types: loading it initialises the
// extension, as Nautilus's own module object does.
struct TestTypeModule {
    GTypeModule parent;
};

struct TestTypeModuleClass {
    GTypeModuleClass parentClass;
};

NautilusModuleEntryPoints loadedModule;

gboolean testTypeModuleLoad(GTypeModule* module) {
    loadedModule.initialize(module);
    return TRUE;
}

void testTypeModuleUnload(GTypeModule*) {}

void testTypeModuleClassInit(gpointer klass, gpointer) {
    G_TYPE_MODULE_CLASS(klass)->load = testTypeModuleLoad;
    G_TYPE_MODULE_CLASS(klass)->unload = testTypeModuleUnload;
}

GType testTypeModuleType() {
    static GType type = 0;
    if (type == 0) {
        GTypeInfo info{};
        info.class_size = sizeof(TestTypeModuleClass);
        info.class_init = testTypeModuleClassInit;
        info.instance_size = sizeof(TestTypeModule);
        type = g_type_register_static(G_TYPE_TYPE_MODULE, "ScoutwellTestTypeModule", &info,
                                      GTypeFlags(0));
    }
    return type;
}

template <typename Function>
bool findSymbol(GModule* library, const char* name, Function& function) {
    gpointer address = nullptr;
    if (!g_module_symbol(library, name, &address) || !address)
        return false;
    function = reinterpret_cast<Function>(address);
    return true;
}

}  // namespace

const NautilusModuleEntryPoints& loadNautilusModule(const std::string& path, std::string& error) {
    static std::string loadError = "not loaded";
    if (!loadedModule.library) {
        // A critical or a warning from the module or from GLib on its behalf is a fault.
        g_log_set_always_fatal(
            GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING | G_LOG_FLAG_FATAL));
        loadedModule.library = g_module_open(path.c_str(), G_MODULE_BIND_LAZY);
        if (!loadedModule.library) {
            loadError = g_module_error();
        } else if (!findSymbol(loadedModule.library, "nautilus_module_initialize",
                               loadedModule.initialize) ||
                   !findSymbol(loadedModule.library, "nautilus_module_shutdown",
                               loadedModule.shutdown) ||
                   !findSymbol(loadedModule.library, "nautilus_module_list_types",
                               loadedModule.listTypes)) {
            loadError = "an entry point is missing";
        } else {
            g_module_make_resident(loadedModule.library);
            GTypeModule* typeModule = G_TYPE_MODULE(g_object_new(testTypeModuleType(), nullptr));
            loadError = g_type_module_use(typeModule) ? "" : "the type module did not load";
        }
    }
    error = loadError;
    return loadedModule;
}

GObject* newMenuProvider(const NautilusModuleEntryPoints& module) {
    const GType* types = nullptr;
    int count = 0;
    module.listTypes(&types, &count);
    if (count != 1 || !g_type_is_a(types[0], NAUTILUS_TYPE_MENU_PROVIDER))
        return nullptr;
    return G_OBJECT(g_object_new(types[0], nullptr));
}

GObject* newFakeFileInfo(const std::string& location, GFileType type,
                         const std::string& activation) {
    auto* info = reinterpret_cast<FakeFileInfo*>(g_object_new(fakeFileInfoType(), nullptr));
    info->location = location.starts_with("/") ? g_file_new_for_path(location.c_str())
                                               : g_file_new_for_uri(location.c_str());
    info->activationUri = activation.empty() ? nullptr : g_strdup(activation.c_str());
    info->type = type;
    return G_OBJECT(info);
}

GObject* describedFileInfo(const std::string& description) {
    const GFileType type =
        description.starts_with("d:") ? G_FILE_TYPE_DIRECTORY : G_FILE_TYPE_REGULAR;
    return newFakeFileInfo(description.substr(2), type);
}
