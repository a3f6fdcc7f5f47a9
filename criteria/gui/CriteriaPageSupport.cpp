#include "criteria/gui/CriteriaPageSupport.h"

#include "app/gui/FolderBrowser.h"

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
