// What the search-window tests share: an application over an in-memory store, the real
// file system, and a view that records the messages its document sends and posts.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/Application.h"
#include "app/core/SettingsStore.h"
#include "app/gui/CDediDurarerDoc.h"
#include "engine/FileSystem.h"
#include "framework/SearchEvent.h"
#include "framework/WindowMessages.h"
#include "platform/posix/PosixFileSystem.h"

namespace scoutwell::testing {

// Records every message; a search that ran to its end is cleaned up as the result list
// would do it.
class RecordingView : public QWidget {
  public:
    explicit RecordingView(CDediDurarerDoc* doc = nullptr) : doc_(doc) {
        if (doc_)
            doc_->addView(this);
    }

    int count(int message) const {
        return static_cast<int>(std::count(seen.begin(), seen.end(), message));
    }
    // Processes events until `message` has arrived `times` times in all.
    bool waitFor(int message, int times = 1, int timeoutMs = 10000) {
        return QTest::qWaitFor([&] { return count(message) >= times; }, timeoutMs);
    }

    std::vector<int> seen;
    std::vector<std::string> noteTexts;

  protected:
    void customEvent(QEvent* event) override {
        SearchEvent* message = SearchEvent::from(event);
        if (!message)
            return;
        seen.push_back(message->message());
        if (message->note())
            noteTexts.push_back(message->note()->text);
        if (message->message() == WM_SEARCH_DONE && doc_)
            doc_->stopSearch();
    }

  private:
    CDediDurarerDoc* doc_;
};

// The application values every document needs, over settings that live in memory.
class GuiTest : public ::testing::Test {
  protected:
    GuiTest() : app(store) {}

    void SetUp() override {
        previousFileSystem_ = fileSystem();
        setFileSystem(&fileSystem_);
        app.init({"/"}, "/tmp");
    }
    void TearDown() override { setFileSystem(previousFileSystem_); }

    MemorySettingsStore store;
    Application app;

  private:
    PosixFileSystem fileSystem_;
    FileSystem* previousFileSystem_ = nullptr;
};

// Replaces the text of an editable combo box as a user does: select all, then type (or
// delete when the new text is empty).
inline void typeInto(QComboBox* box, const QString& text) {
    box->lineEdit()->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
    else
        QTest::keyClicks(box->lineEdit(), text);
}

inline std::vector<std::string> itemsOf(const QComboBox* box) {
    std::vector<std::string> items;
    for (int i = 0; i < box->count(); ++i)
        items.push_back(box->itemText(i).toStdString());
    return items;
}

}  // namespace scoutwell::testing
