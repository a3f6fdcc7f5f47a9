#include "framework/CriteriaPageSupport.h"

#include "framework/FolderBrowser.h"

namespace scoutwell {

namespace {

FolderBrowserFunction folderBrowser = nullptr;

}  // namespace

FolderBrowserFunction criteriaFolderBrowser() {
    return folderBrowser ? folderBrowser : &browseForFolder;
}

void setCriteriaFolderBrowser(FolderBrowserFunction browser) {
    folderBrowser = browser;
}

}  // namespace scoutwell
