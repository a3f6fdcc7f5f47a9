// A stand-in for Nautilus in a test process: it loads the extension module through GModule and
// a GTypeModule as Nautilus does, and makes file infos (a test GObject implementing
// NautilusFileInfo) for folders and files that need not exist.
#pragma once

#include <gio/gio.h>
#include <glib-object.h>
#include <gmodule.h>

#include <string>

struct NautilusModuleEntryPoints {
    GModule* library = nullptr;
    void (*initialize)(GTypeModule* module) = nullptr;
    void (*shutdown)() = nullptr;
    void (*listTypes)(const GType** types, int* count) = nullptr;
};

// Opens the module at PATH once per process, finds its three entry points and, when all are
// there, initialises it inside a type module that stays in use. An empty error means success.
const NautilusModuleEntryPoints& loadNautilusModule(const std::string& path, std::string& error);

// The one provider type the module lists, instantiated; nullptr when it lists another number.
GObject* newMenuProvider(const NautilusModuleEntryPoints& module);

// A file info for LOCATION (a path when it starts with "/", otherwise a URI); ACTIVATION, when
// not empty, is the URI the file manager would open instead (as for items shown in Recent).
GObject* newFakeFileInfo(const std::string& location, GFileType type,
                         const std::string& activation = {});

// "d:LOCATION" is a folder, "f:LOCATION" a file.
GObject* describedFileInfo(const std::string& description);
