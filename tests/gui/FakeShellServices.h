// A desktop that records what it is asked and starts nothing.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/qtgui/ShellServices.h"

namespace scoutwell::testing {

class FakeShellServices : public ShellServices {
  public:
    FakeShellServices() : previous_(&shellServices()) { setShellServices(this); }
    ~FakeShellServices() override { setShellServices(previous_ == this ? nullptr : previous_); }
    FakeShellServices(const FakeShellServices&) = delete;
    FakeShellServices& operator=(const FakeShellServices&) = delete;

    std::vector<std::string> recommendedApplications(const std::string& path) override {
        typeAskedFor.push_back(path);
        return recommended;
    }
    std::vector<std::string> fallbackApplications(const std::string& path) override {
        typeAskedFor.push_back(path);
        return fallback;
    }
    std::optional<std::string> applicationName(const std::string& id) override {
        if (unloadable.count(id))
            return std::nullopt;
        auto it = names.find(id);
        return it != names.end() ? it->second : id;
    }
    bool launchApplication(const std::string& id, const std::vector<std::string>& paths,
                           std::string& reason) override {
        launched.emplace_back(id, paths);
        if (!unlaunchable.count(id))
            return true;
        reason = kFailureReason;
        return false;
    }
    bool openWithDefault(const std::string& path, std::string& reason) override {
        opened.push_back(path);
        if (!unopenable.count(path))
            return true;
        reason = kFailureReason;
        return false;
    }
    bool showItems(const std::string& path) override {
        if (!hasFileManager)
            return false;
        shownItems.push_back(path);
        return true;
    }
    bool offersItemProperties() override { return hasFileManager; }
    bool showItemProperties(const std::string& path) override {
        propertiesShown.push_back(path);
        return hasFileManager;
    }
    bool confirm(const std::string& question) override {
        questions.push_back(question);
        return answerYes;
    }
    bool moveToTrash(const std::string& path) override {
        trashed.push_back(path);
        return !untrashable.count(path);
    }

    std::vector<std::string> recommended;
    std::vector<std::string> fallback;
    std::map<std::string, std::string> names;
    std::set<std::string> unloadable;
    std::set<std::string> untrashable;
    // What fails to open or start says this.
    static constexpr const char* kFailureReason = "No application is registered for it";
    std::set<std::string> unopenable;
    std::set<std::string> unlaunchable;
    bool hasFileManager = false;
    bool answerYes = true;

    std::vector<std::string> typeAskedFor;
    std::vector<std::pair<std::string, std::vector<std::string>>> launched;
    std::vector<std::string> opened;
    std::vector<std::string> shownItems;
    std::vector<std::string> propertiesShown;
    std::vector<std::string> questions;
    std::vector<std::string> trashed;

  private:
    ShellServices* previous_;
};

}  // namespace scoutwell::testing
