#include "platform/qtgui/GioApplications.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "engine/Text.h"
#include "platform/posix/FileUrl.h"

namespace scoutwell {

namespace {

constexpr const char* kNoSuchApplication = "The application %s is no longer installed.";
constexpr const char* kCouldNotStart = "The application could not be started.";

// The content type GIO gives a file of this name, without reading it.
std::string contentTypeOfName(const std::string& path) {
    gboolean uncertain = FALSE;
    gchar* type = g_content_type_guess(path.c_str(), nullptr, 0, &uncertain);
    std::string result = type ? type : "";
    g_free(type);
    return result;
}

std::vector<std::string> idsOf(GList* apps) {
    std::vector<std::string> ids;
    for (GList* node = apps; node; node = node->next) {
        if (const char* id = g_app_info_get_id(G_APP_INFO(node->data)))
            ids.emplace_back(id);
    }
    g_list_free_full(apps, g_object_unref);
    return ids;
}

// GIO's message of a failed call, freeing the error; a generic one when GIO gave none.
void takeReason(gboolean succeeded, GError* error, std::string& reason) {
    if (error) {
        if (!succeeded)
            reason = error->message ? error->message : "";
        g_error_free(error);
    }
    if (!succeeded && reason.empty())
        reason = kCouldNotStart;
}

}  // namespace

std::vector<std::string> recommendedApplicationIds(const std::string& path) {
    const std::string type = contentTypeOfName(path);
    if (type.empty())
        return {};
    return idsOf(g_app_info_get_recommended_for_type(type.c_str()));
}

std::vector<std::string> fallbackApplicationIds(const std::string& path) {
    const std::string type = contentTypeOfName(path);
    if (type.empty())
        return {};
    return idsOf(g_app_info_get_fallback_for_type(type.c_str()));
}

std::optional<std::string> applicationName(const std::string& id) {
    GDesktopAppInfo* app = g_desktop_app_info_new(id.c_str());
    if (!app)
        return std::nullopt;
    const char* name = g_app_info_get_name(G_APP_INFO(app));
    std::optional<std::string> result;
    if (name)
        result = name;
    g_object_unref(app);
    return result;
}

bool launchApplication(const std::string& id, const std::vector<std::string>& paths,
                       std::string& reason) {
    GDesktopAppInfo* app = g_desktop_app_info_new(id.c_str());
    if (!app) {
        reason = text::format(kNoSuchApplication, id.c_str());
        return false;
    }
    // URLs, not paths: GIO turns them back into the exact bytes for %f and %F.
    std::vector<std::string> urls;
    urls.reserve(paths.size());
    GList* list = nullptr;
    for (const std::string& path : paths)
        urls.push_back(fileUrlFromPath(path));
    for (auto it = urls.rbegin(); it != urls.rend(); ++it)
        list = g_list_prepend(list, it->data());
    GError* error = nullptr;
    const gboolean launched = g_app_info_launch_uris(G_APP_INFO(app), list, nullptr, &error);
    takeReason(launched, error, reason);
    g_list_free(list);
    g_object_unref(app);
    return launched;
}

bool launchDefaultApplication(const std::string& url, std::string& reason) {
    GError* error = nullptr;
    const gboolean launched = g_app_info_launch_default_for_uri(url.c_str(), nullptr, &error);
    takeReason(launched, error, reason);
    return launched;
}

}  // namespace scoutwell
