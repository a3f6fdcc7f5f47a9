// The Search Wizard as a user meets it: alone, page by page, and from the Basic page of a
// search window, where Finish hands the criteria back and may start the search.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <memory>
#include <string>
#include <vector>

#include "ModalDialogDriver.h"
#include "SearchFormSupport.h"
#include "TestAccess.h"
#include "app/core/Settings.h"
#include "app/gui/CSearchOptions.h"
#include "app/gui/CSearchWiz.h"
#include "app/gui/CSearchWizContents.h"
#include "app/gui/CSearchWizFilename.h"
#include "app/gui/CSearchWizLocation.h"
#include "criteria/gui/CBasicSearch.h"
#include "framework/CriteriaPageSupport.h"
#include "framework/HistoryComboBox.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::clickButton;
using testing::GuiTest;
using testing::itemsOf;
using testing::RecordingView;
using testing::SearchFormTest;
using testing::TempTree;
using testing::typeInto;
using testing::whenModal;

// The drive list shows these, whatever this machine has mounted.
class FixedMountsFileSystem : public PosixFileSystem {
  public:
    std::vector<MountPoint> mounts() override { return mountPoints; }

    std::vector<MountPoint> mountPoints = {{"/", "ext4", "/dev/sda1", true},
                                           {"/home/", "ext4", "/dev/sda2", true},
                                           {"/media/usb/", "vfat", "/dev/sdb1", false}};
};

struct BrowserScript {
    std::string start;
    std::string answer;
    bool picks = true;
};
BrowserScript browserScript;

bool scriptedBrowser(QWidget*, const std::string& start, std::string& picked) {
    browserScript.start = start;
    if (browserScript.picks)
        picked = browserScript.answer;
    return browserScript.picks;
}

void press(CSearchWiz* wizard, QWizard::WizardButton which) {
    QTest::mouseClick(wizard->button(which), Qt::LeftButton);
}

class SearchWizTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        previousFileSystem_ = fileSystem();
        setFileSystem(&mounts);
        browserScript = BrowserScript{};
        setCriteriaFolderBrowser(&scriptedBrowser);
    }
    void TearDown() override {
        wizard.reset();
        setCriteriaFolderBrowser(nullptr);
        setFileSystem(previousFileSystem_);
        GuiTest::TearDown();
    }

    // Shows a wizard over `data`, on its first page.
    CSearchWiz* open(const WizardData& data) {
        wizard = std::make_unique<CSearchWiz>(data, &app);
        wizard->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(wizard.get()));
        return wizard.get();
    }
    CSearchWizLocation* openOnLocation(const WizardData& data) {
        open(data);
        press(wizard.get(), QWizard::NextButton);
        press(wizard.get(), QWizard::NextButton);
        return wizard->locationPage();
    }

    static WizardData dataLookingIn(const std::string& lookInText) {
        WizardData data;
        data.criteria.setLookInText(lookInText);
        return data;
    }

    FixedMountsFileSystem mounts;
    std::unique_ptr<CSearchWiz> wizard;

  private:
    FileSystem* previousFileSystem_ = nullptr;
};

TEST_F(SearchWizTest, PagesComeInOrderWithTheirButtonsAndPictures) {
    struct Step {
        QWizardPage* page;
        const char* caption;
        bool back;
        bool finish;
    };
    open(WizardData{});
    EXPECT_EQ(wizard->windowTitle(), "SearchWiz");
    const Step steps[] = {
        {wizard->filenamePage(), "Name of file", false, false},
        {wizard->contentsPage(), "Contents of file", true, false},
        {wizard->locationPage(), "Location of file", true, true},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(wizard->currentPage(), step.page);
        EXPECT_EQ(step.page->title(), step.caption);
        EXPECT_EQ(wizard->button(QWizard::BackButton)->isEnabled(), step.back) << step.caption;
        EXPECT_EQ(wizard->button(QWizard::NextButton)->isVisible(), !step.finish) << step.caption;
        EXPECT_EQ(wizard->button(QWizard::FinishButton)->isVisible(), step.finish) << step.caption;
        // The picture stands on the left of every control of the page.
        const WizardArtwork* artwork = static_cast<CSearchWizPage*>(step.page)->artwork();
        ASSERT_TRUE(artwork->isVisible()) << step.caption;
        EXPECT_GT(artwork->width(), 0);
        for (QWidget* child : step.page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child != artwork && child->isVisible()) {
                EXPECT_GT(child->x(), artwork->geometry().right()) << step.caption;
            }
        }
        if (!step.finish)
            press(wizard.get(), QWizard::NextButton);
    }
    EXPECT_EQ(wizard->filenamePage()->findChild<QLabel*>()->text(),
              "What is the name of the file you want to find?");
    EXPECT_EQ(wizard->contentsPage()->noButton()->text(), "&No, just search by file name");
    EXPECT_EQ(wizard->locationPage()->allLocalDrivesButton()->text(), "&All local hard drives");
    EXPECT_EQ(wizard->locationPage()->startAutomaticallyBox()->text(),
              "&Start the search automatically when you click the Finish button");
}

TEST_F(SearchWizTest, BackAndNextKeepWhatWasTyped) {
    open(dataLookingIn("/tmp/"));
    typeInto(wizard->filenamePage()->fileNameBox(), "*.md");
    // Enter in a box means Next.
    QTest::keyClick(wizard->filenamePage()->fileNameBox()->lineEdit(), Qt::Key_Return);
    CSearchWizContents* contents = wizard->contentsPage();
    ASSERT_EQ(wizard->currentPage(), contents);
    clickButton(contents->yesButton());
    typeInto(contents->containingTextBox(), "needle");
    press(wizard.get(), QWizard::NextButton);
    CSearchWizLocation* location = wizard->locationPage();
    typeInto(location->folderBox(), "/srv");
    clickButton(location->subfoldersNoButton());

    press(wizard.get(), QWizard::BackButton);
    EXPECT_TRUE(contents->yesButton()->isChecked());
    EXPECT_EQ(contents->containingTextBox()->currentText(), "needle");
    press(wizard.get(), QWizard::BackButton);
    EXPECT_EQ(wizard->filenamePage()->fileNameBox()->currentText(), "*.md");
    press(wizard.get(), QWizard::NextButton);
    press(wizard.get(), QWizard::NextButton);
    EXPECT_TRUE(location->specificFolderButton()->isChecked());
    EXPECT_EQ(location->folderBox()->currentText(), "/srv/");
    EXPECT_TRUE(location->subfoldersNoButton()->isChecked());

    // A drive, once chosen, is still chosen when the user comes back to the page.
    clickButton(location->specificDriveButton());
    location->driveListBox()->setFocus();
    QTest::keyClick(location->driveListBox(), Qt::Key_Down);
    press(wizard.get(), QWizard::BackButton);
    press(wizard.get(), QWizard::NextButton);
    EXPECT_TRUE(location->specificDriveButton()->isChecked());
    EXPECT_EQ(location->driveListBox()->currentText(), "/home/");
    EXPECT_TRUE(location->driveListBox()->isEnabled());
    EXPECT_FALSE(location->folderBox()->isEnabled());
}

TEST_F(SearchWizTest, FinishingGivesTheLookInOfTheChosenLocation) {
    struct Case {
        const char* name;
        int mode;
        QString folderText;
        int drivesDown;
        std::vector<std::string> lookIn;
        int driveIndex;
    };
    const std::string label = app.localDrivesLabel;
    const Case cases[] = {
        {"all local drives", kWizardAllLocalDrives, "", 0, {label}, 0},
        {"folder list", kWizardSpecificFolder, "/data/a;/srv/", 0, {"/data/a/", "/srv/"}, 0},
        {"no folder", kWizardSpecificFolder, "", 0, {app.defaultFolder}, 0},
        {"the label typed", kWizardSpecificFolder, QString::fromStdString(label), 0, {label}, 0},
        {"second drive", kWizardSpecificDrive, "", 1, {"/home/"}, 1},
        {"third drive", kWizardSpecificDrive, "", 2, {"/media/usb/"}, 2},
    };
    for (const Case& c : cases) {
        CSearchWizLocation* location = openOnLocation(dataLookingIn("/tmp/"));
        QAbstractButton* radio[] = {location->allLocalDrivesButton(),
                                    location->specificDriveButton(),
                                    location->specificFolderButton()};
        clickButton(radio[c.mode]);
        EXPECT_EQ(location->driveListBox()->isEnabled(), c.mode == kWizardSpecificDrive) << c.name;
        EXPECT_EQ(location->folderBox()->isEnabled(), c.mode == kWizardSpecificFolder) << c.name;
        EXPECT_EQ(location->browseButton()->isEnabled(), c.mode == kWizardSpecificFolder) << c.name;
        if (c.mode == kWizardSpecificFolder)
            typeInto(location->folderBox(), c.folderText);
        for (int i = 0; i < c.drivesDown; ++i)
            QTest::keyClick(location->driveListBox(), Qt::Key_Down);
        press(wizard.get(), QWizard::FinishButton);
        EXPECT_EQ(wizard->result(), QDialog::Accepted) << c.name;
        EXPECT_EQ(wizard->data().criteria.lookIn, c.lookIn) << c.name;
        EXPECT_EQ(wizard->data().locationMode, c.mode) << c.name;
        EXPECT_EQ(wizard->data().driveIndex, c.driveIndex) << c.name;
    }
}

TEST_F(SearchWizTest, TheLocationPageOpensOnAllDrivesOrOnFolders) {
    WizardData allDrives = dataLookingIn(app.localDrivesLabel);
    allDrives.criteria.subfolders = false;
    allDrives.startAutomatically = true;
    allDrives.driveIndex = 2;
    CSearchWizLocation* location = openOnLocation(allDrives);
    EXPECT_TRUE(location->allLocalDrivesButton()->isChecked());
    EXPECT_FALSE(location->driveListBox()->isEnabled());
    EXPECT_FALSE(location->folderBox()->isEnabled());
    EXPECT_FALSE(location->browseButton()->isEnabled());
    EXPECT_TRUE(location->subfoldersNoButton()->isChecked());
    EXPECT_TRUE(location->startAutomaticallyBox()->isChecked());
    EXPECT_EQ(location->driveListBox()->currentText(), "/media/usb/");

    // A drive remembered from an earlier run does not reopen the drive choice.
    WizardData folders = dataLookingIn("/a;/b");
    folders.locationMode = kWizardSpecificDrive;
    folders.driveIndex = 7;
    location = openOnLocation(folders);
    EXPECT_TRUE(location->specificFolderButton()->isChecked());
    EXPECT_EQ(location->folderBox()->currentText(), "/a/;/b/");
    EXPECT_TRUE(location->folderBox()->isEnabled());
    EXPECT_TRUE(location->browseButton()->isEnabled());
    EXPECT_FALSE(location->driveListBox()->isEnabled());
    EXPECT_TRUE(location->subfoldersYesButton()->isChecked());
    EXPECT_FALSE(location->startAutomaticallyBox()->isChecked());
    // An index the list no longer has shows, and searches, the first drive.
    EXPECT_EQ(location->driveListBox()->currentText(), "/");
}

TEST_F(SearchWizTest, NoKeepsTheTypedTextButSearchesByNameOnly) {
    WizardData data;
    data.criteria.searchContents = true;
    data.criteria.containingText = "old";
    open(data);
    press(wizard.get(), QWizard::NextButton);
    CSearchWizContents* contents = wizard->contentsPage();
    EXPECT_TRUE(contents->yesButton()->isChecked());
    EXPECT_TRUE(contents->containingTextBox()->isEnabled());
    typeInto(contents->containingTextBox(), "Dear Bill");
    clickButton(contents->noButton());
    EXPECT_FALSE(contents->containingTextBox()->isEnabled());
    EXPECT_EQ(contents->containingTextBox()->currentText(), "Dear Bill");
    press(wizard.get(), QWizard::NextButton);
    press(wizard.get(), QWizard::FinishButton);
    EXPECT_EQ(wizard->data().criteria.containingText, "Dear Bill");
    EXPECT_FALSE(wizard->data().criteria.searchContents);

    // Without contents the box starts disabled; Yes opens it.
    open(WizardData{});
    press(wizard.get(), QWizard::NextButton);
    contents = wizard->contentsPage();
    EXPECT_TRUE(contents->noButton()->isChecked());
    EXPECT_FALSE(contents->containingTextBox()->isEnabled());
    clickButton(contents->yesButton());
    EXPECT_TRUE(contents->containingTextBox()->isEnabled());
}

TEST_F(SearchWizTest, BrowseStartsAtTheFirstFolderAndTakesThePickedOne) {
    CSearchWizLocation* location = openOnLocation(dataLookingIn("/tmp/"));
    typeInto(location->folderBox(), "/usr;/var");
    browserScript.picks = false;
    QTest::mouseClick(location->browseButton(), Qt::LeftButton);
    EXPECT_EQ(browserScript.start, "/usr/");
    EXPECT_EQ(location->folderBox()->currentText(), "/usr;/var");

    browserScript.picks = true;
    browserScript.answer = "/opt/data";
    QTest::mouseClick(location->browseButton(), Qt::LeftButton);
    EXPECT_EQ(location->folderBox()->currentText(), "/opt/data/");
    EXPECT_TRUE(location->specificFolderButton()->isChecked());
    press(wizard.get(), QWizard::FinishButton);
    EXPECT_EQ(wizard->data().criteria.lookIn, (std::vector<std::string>{"/opt/data/"}));
}

TEST_F(SearchWizTest, DropDownsAreRefilledWhenOpenedKeepingTheTypedText) {
    app.fileNameHistory.add("*.cpp");
    app.contentsHistory.add("TODO");
    app.folderHistory.add("/opt/");
    app.folderHistory.add("/srv/");
    open(dataLookingIn("/tmp/"));
    struct Box {
        HistoryComboBox* box;
        std::vector<std::string> items;
    };
    const Box boxes[] = {
        {wizard->filenamePage()->fileNameBox(), {"*.cpp"}},
        {wizard->contentsPage()->containingTextBox(), {"TODO"}},
        // The folder list leaves out the local-drives label and the drive roots.
        {wizard->locationPage()->folderBox(), {"/srv/", "/opt/"}},
    };
    for (const Box& b : boxes) {
        b.box->setEnabled(true);
        typeInto(b.box, "typed");
        b.box->showPopup();
        EXPECT_EQ(itemsOf(b.box), b.items);
        EXPECT_EQ(b.box->currentText(), "typed");
        b.box->hidePopup();
    }
    EXPECT_FALSE(wizard->locationPage()->folderBox()->itemIcon(0).isNull());

    QComboBox* drives = wizard->locationPage()->driveListBox();
    EXPECT_EQ(itemsOf(drives), (std::vector<std::string>{"/", "/home/", "/media/usb/"}));
    drives->setCurrentIndex(1);
    mounts.mountPoints.insert(mounts.mountPoints.begin(), {"/mnt/new/", "xfs", "/dev/sdc", true});
    drives->showPopup();
    EXPECT_EQ(itemsOf(drives),
              (std::vector<std::string>{"/mnt/new/", "/", "/home/", "/media/usb/"}));
    EXPECT_EQ(drives->currentText(), "/home/");
    EXPECT_FALSE(drives->itemIcon(0).isNull());
    drives->hidePopup();
}

// Whether any control of the current page is cut off, squeezed or lies over another.
void checkPageLayout(CSearchWiz* wizard, const char* size) {
    QWizardPage* page = wizard->currentPage();
    const QString caption = page->title();
    std::vector<QWidget*> shown;
    for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible())
            shown.push_back(child);
    for (QWidget* child : shown) {
        const QString what = caption + " " + size + " " + child->metaObject()->className();
        EXPECT_TRUE(page->rect().contains(child->geometry())) << what.toStdString();
        EXPECT_GE(child->width(), child->minimumSizeHint().width()) << what.toStdString();
        EXPECT_GE(child->height(), child->minimumSizeHint().height()) << what.toStdString();
        if (auto* label = qobject_cast<QLabel*>(child); label && label->wordWrap()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << what.toStdString();
        }
        for (QWidget* other : shown) {
            if (other != child) {
                EXPECT_FALSE(child->geometry().intersects(other->geometry())) << what.toStdString();
            }
        }
    }
    EXPECT_TRUE(wizard->rect().contains(QRect(page->mapTo(wizard, QPoint(0, 0)), page->size())))
        << caption.toStdString() << " " << size;
    for (QWizard::WizardButton which : {QWizard::BackButton, QWizard::CancelButton})
        EXPECT_TRUE(wizard->rect().contains(wizard->button(which)->geometry()));
}

TEST_F(SearchWizTest, NothingIsCutOffOrOverlappingAtTheSmallestOrALargeSize) {
    open(dataLookingIn("/tmp/"));
    const QSize smallest = wizard->minimumSize();
    for (int page = 0; page < 3; ++page) {
        wizard->resize(smallest);
        QCoreApplication::processEvents();
        checkPageLayout(wizard.get(), "smallest");
        wizard->resize(1100, 760);
        QCoreApplication::processEvents();
        checkPageLayout(wizard.get(), "large");
        // Every page has the size of the largest, so the wizard does not jump.
        EXPECT_EQ(wizard->minimumSize(), smallest);
        wizard->next();
    }
}

// A search window on the Basic page.
class SearchWizFromBasicPageTest : public SearchFormTest {
  protected:
    void SetUp() override {
        SearchFormTest::SetUp();
        writeSetting(store, kExpertUser, 0);
        openWindow();
        doc->addView(&watcher);
        basic = dynamic_cast<CBasicSearch*>(form->sheet()->mainPage());
        ASSERT_NE(basic, nullptr);
    }

    // Clicks Search Wizard; `act` answers the wizard and must close it.
    void runWizard(std::function<void(CSearchWiz*)> act) {
        whenModal<CSearchWiz>(std::move(act));
        QTest::mouseClick(basic->searchWizardButton(), Qt::LeftButton);
    }

    RecordingView watcher;  // watches only, never stops
    CBasicSearch* basic = nullptr;
};

TEST_F(SearchWizFromBasicPageTest, FinishHandsTheCriteriaBackAndStartsTheSearchWhenTicked) {
    TempTree tree;
    tree.file("a.txt", "one");
    tree.file("b.md", "two");
    setCriteria([&](SearchCriteria& c) { c.setLookInText(tree.path()); });
    typeInto(basic->fileNameBox(), "*.txt");

    struct Run {
        const char* name;
        QString fileName;
        bool tickedBefore;
        bool tick;
        int searches;  // started so far
    };
    // The check starts ticked and stays as the user left it.
    const Run runs[] = {
        {"first", "*.md", true, true, 1},
        {"second", "*.txt", true, false, 1},
        {"third", "a", false, true, 2},
    };
    QString previous = "*.txt";
    for (const Run& run : runs) {
        bool tickedBefore = false;
        QString offered;
        runWizard([&](CSearchWiz* wizard) {
            offered = wizard->filenamePage()->fileNameBox()->currentText();
            typeInto(wizard->filenamePage()->fileNameBox(), run.fileName);
            press(wizard, QWizard::NextButton);
            press(wizard, QWizard::NextButton);
            QCheckBox* start = wizard->locationPage()->startAutomaticallyBox();
            tickedBefore = start->isChecked();
            if (start->isChecked() != run.tick)
                clickButton(start);
            press(wizard, QWizard::FinishButton);
        });
        EXPECT_EQ(offered, previous) << run.name;
        EXPECT_EQ(tickedBefore, run.tickedBefore) << run.name;
        previous = run.fileName;
        EXPECT_EQ(basic->fileNameBox()->currentText(), run.fileName) << run.name;
        EXPECT_EQ(doc->editedCriteria.fileName, run.fileName.toStdString()) << run.name;
        EXPECT_EQ(basic->lookInBox()->currentText().toStdString(), tree.path()) << run.name;
        EXPECT_EQ(testing::Access::wizard(*basic).startAutomatically, run.tick) << run.name;
        EXPECT_EQ(watcher.count(WM_SEARCH_STARTED), run.searches) << run.name;
        ASSERT_TRUE(waitUntilIdle()) << run.name;
        if (run.tick) {
            EXPECT_EQ(doc->results.count(), 1u) << run.name;
            EXPECT_EQ(statusBarText(), "1 file(s) found") << run.name;
        }
    }
    EXPECT_EQ(testing::Access::wizard(*basic).locationMode, kWizardSpecificFolder);
}

TEST_F(SearchWizFromBasicPageTest, CancelAfterChangingEveryPageChangesNothing) {
    setCriteria([](SearchCriteria& c) {
        c.setLookInText("/usr;/var");
        c.subfolders = true;
    });
    typeInto(basic->fileNameBox(), "*.log");
    typeInto(basic->containingTextBox(), "error");
    const SearchCriteria before = [&] {
        basic->saveData();
        return doc->editedCriteria;
    }();
    auto shown = [&] {
        return std::vector<QString>{basic->fileNameBox()->currentText(),
                                    basic->containingTextBox()->currentText(),
                                    basic->lookInBox()->currentText(),
                                    QString::number(basic->searchContentsBox()->isChecked()),
                                    QString::number(basic->subfoldersBox()->isChecked())};
    };
    const std::vector<QString> shownBefore = shown();

    runWizard([&](CSearchWiz* wizard) {
        typeInto(wizard->filenamePage()->fileNameBox(), "*.txt");
        press(wizard, QWizard::NextButton);
        clickButton(wizard->contentsPage()->noButton());
        press(wizard, QWizard::NextButton);
        CSearchWizLocation* location = wizard->locationPage();
        clickButton(location->allLocalDrivesButton());
        clickButton(location->subfoldersNoButton());
        clickButton(location->startAutomaticallyBox());
        press(wizard, QWizard::CancelButton);
    });
    EXPECT_EQ(shown(), shownBefore);
    const SearchCriteria& after = doc->editedCriteria;
    EXPECT_EQ(after.fileName, before.fileName);
    EXPECT_EQ(after.containingText, before.containingText);
    EXPECT_EQ(after.searchContents, before.searchContents);
    EXPECT_EQ(after.lookIn, before.lookIn);
    EXPECT_EQ(after.subfolders, before.subfolders);
    EXPECT_TRUE(testing::Access::wizard(*basic).startAutomatically);
    EXPECT_EQ(watcher.count(WM_SEARCH_STARTED), 0);
}

}  // namespace
}  // namespace scoutwell
