// Resizable hosts as a user sees them: a dialog, pages and a sheet resized, their controls
// read back where the geometry rules put them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <memory>

#include "TestAccess.h"
#include "framework/CGeometryDynCreateWnd.h"

namespace scoutwell {
namespace {

void resizeAndWait(QWidget* widget, const QSize& size) {
    widget->resize(size);
    EXPECT_TRUE(QTest::qWaitFor([&] { return widget->size() == size; }, 2000));
    QCoreApplication::processEvents();
}

QWidget* childAt(QWidget* host, int id, const QRect& rect) {
    auto* child = new QLineEdit(host);
    setControlId(child, id);
    child->setGeometry(rect);
    return child;
}

GeometrySpec specOf(const char* text) {
    GeometrySpec spec;
    parseGeometrySpec(text, spec);
    return spec;
}

template <class Host>
QRect designRectOf(const Host& host, const QWidget* control) {
    for (const GeometryControl& c : host.geometryLayout().controls()) {
        if (controlIdOf(control) == c.controlId) {
            return QRect(c.left, c.top, c.right - c.left, c.bottom - c.top);
        }
    }
    ADD_FAILURE() << "control not registered";
    return {};
}

TEST(GeometryDynCreateWnd, DialogControlsFollowEveryResize) {
    using Dialog = CGeometryDynCreateWnd<QDialog>;
    static_assert(Dialog::kHostKind == GeometryHostKind::dialog);
    auto dialog = std::make_unique<Dialog>();
    dialog->resize(200, 100);
    QWidget* edit = childAt(dialog.get(), 1, {10, 10, 100, 20});
    QWidget* ok = childAt(dialog.get(), 2, {120, 10, 60, 20});
    QWidget* list = childAt(dialog.get(), 3, {10, 40, 170, 30});
    QWidget* status = childAt(dialog.get(), 4, {0, 80, 200, 20});
    QWidget* fixed = childAt(dialog.get(), 5, {120, 40, 60, 20});
    setGeometrySpecText(edit, "CX");
    setGeometrySpecText(list, "CX+CY");
    dialog->show();
    ASSERT_TRUE(testing::Access::geometryInitialised(*dialog));
    dialog->addGeometry(2, specOf("X"), dialog.get());
    dialog->addGeometry(4, specOf("CX+Y"), dialog.get());
    EXPECT_EQ(dialog->minimumSize(), QSize(200, 100));

    resizeAndWait(dialog.get(), {300, 160});
    EXPECT_EQ(edit->geometry(), QRect(10, 10, 200, 20));
    EXPECT_EQ(ok->geometry(), QRect(220, 10, 60, 20));
    EXPECT_EQ(list->geometry(), QRect(10, 40, 270, 90));
    EXPECT_EQ(status->geometry(), QRect(0, 140, 300, 20));
    EXPECT_EQ(fixed->geometry(), QRect(120, 40, 60, 20));

    resizeAndWait(dialog.get(), {200, 100});
    EXPECT_EQ(edit->geometry(), QRect(10, 10, 100, 20));
    EXPECT_EQ(ok->geometry(), QRect(120, 10, 60, 20));
    EXPECT_EQ(status->geometry(), QRect(0, 80, 200, 20));

    // Unregistered, the control stays where the last layout put it.
    resizeAndWait(dialog.get(), {250, 100});
    dialog->removeGeometry(2);
    resizeAndWait(dialog.get(), {400, 100});
    EXPECT_EQ(ok->geometry(), QRect(170, 10, 60, 20));
    EXPECT_EQ(edit->geometry(), QRect(10, 10, 300, 20));
}

TEST(GeometryDynCreateWnd, QtLayoutGivesTheDesignAtTheSmallestSize) {
    auto dialog = std::make_unique<CGeometryDynCreateWnd<QDialog>>();
    auto* grid = new QGridLayout(dialog.get());
    auto* edit = new QLineEdit(dialog.get());
    auto* browse = new QPushButton(QStringLiteral("Browse..."), dialog.get());
    auto* list = new QListWidget(dialog.get());
    grid->addWidget(edit, 0, 0);
    grid->addWidget(browse, 0, 1);
    grid->addWidget(list, 1, 0, 1, 2);
    setGeometrySpecText(edit, "CX");
    setGeometrySpecText(browse, "X");
    setGeometrySpecText(list, "CX+CY");
    const QSize smallest = grid->totalMinimumSize();
    dialog->initGeometry();

    EXPECT_EQ(dialog->geometryLayout().designClientRect(),
              (GeometryRect{0, 0, smallest.width(), smallest.height()}));
    EXPECT_EQ(dialog->minimumSize(), smallest);
    const QRect editDesign = designRectOf(*dialog, edit);
    const QRect browseDesign = designRectOf(*dialog, browse);
    const QRect listDesign = designRectOf(*dialog, list);
    EXPECT_GE(browseDesign.width(), browse->minimumSizeHint().width());  // nothing clipped
    EXPECT_LE(listDesign.y() + listDesign.height(), smallest.height());
    EXPECT_LT(editDesign.right(), browseDesign.left());

    dialog->show();
    const QSize grown = smallest + QSize(150, 80);
    resizeAndWait(dialog.get(), grown);
    // The rules alone place the controls now, not the grid.
    EXPECT_EQ(edit->geometry(), editDesign.adjusted(0, 0, 150, 0));
    EXPECT_EQ(browse->geometry(), browseDesign.translated(150, 0));
    EXPECT_EQ(list->geometry(), listDesign.adjusted(0, 0, 150, 80));
}

TEST(GeometryDynCreateWnd, MarkersAreHiddenBoxesAndGiveTheirSpecToWhatTheyHold) {
    QWidget sheet;  // a page is a child of its sheet
    sheet.resize(300, 200);
    auto* page = new CGeometryDynCreateWnd<QWidget>(&sheet);
    static_assert(std::decay_t<decltype(*page)>::kHostKind == GeometryHostKind::propertyPage);
    page->setGeometry(0, 0, 200, 100);
    QWidget* movedRight = childAt(page, 1, {150, 10, 40, 20});
    QWidget* movedDown = childAt(page, 2, {10, 60, 40, 20});
    QWidget* notInGroupBox = childAt(page, 3, {10, 10, 40, 20});
    QWidget* underVisibleBox = childAt(page, 4, {60, 10, 40, 20});
    QWidget* underPushButton = childAt(page, 5, {110, 60, 30, 20});
    QWidget* noId = new QLineEdit(page);  // inside the "X" marker, without an id
    noId->setGeometry(150, 40, 40, 15);

    auto* group = new QGroupBox(QStringLiteral("$Geometry:X"), page);
    group->setGeometry(140, 0, 60, 60);
    group->hide();
    auto* radio = new QRadioButton(QStringLiteral("$Geometry:Y"), page);
    radio->setGeometry(0, 55, 55, 30);
    radio->hide();
    auto* visible = new QCheckBox(QStringLiteral("$Geometry:CX"), page);
    visible->setGeometry(55, 5, 50, 30);
    auto* push = new QPushButton(QStringLiteral("$Geometry:CX"), page);
    push->setGeometry(105, 55, 40, 30);
    push->hide();

    sheet.show();
    ASSERT_TRUE(testing::Access::geometryInitialised(*page));
    page->resize(260, 140);
    EXPECT_EQ(movedRight->geometry(), QRect(210, 10, 40, 20));
    EXPECT_EQ(noId->geometry(), QRect(210, 40, 40, 15));
    EXPECT_EQ(movedDown->geometry(), QRect(10, 100, 40, 20));
    EXPECT_EQ(notInGroupBox->geometry(), QRect(10, 10, 40, 20));
    EXPECT_EQ(underVisibleBox->geometry(), QRect(60, 10, 40, 20));
    EXPECT_EQ(underPushButton->geometry(), QRect(110, 60, 30, 20));
    EXPECT_EQ(page->minimumSize(), QSize(200, 100));

    // Back at the design size: one more layout puts everything back.
    page->resize(200, 100);
    EXPECT_EQ(movedRight->geometry(), QRect(150, 10, 40, 20));
    EXPECT_EQ(movedDown->geometry(), QRect(10, 60, 40, 20));
}

TEST(GeometryDynCreateWnd, APageHiddenDuringAResizeIsLaidOutWhenShown) {
    QTabWidget tabs;
    auto* first = new QWidget;
    auto* second = new CGeometryDynCreateWnd<QWidget>;
    second->resize(200, 100);
    QWidget* button = childAt(second, 1, {150, 70, 40, 20});
    setGeometrySpecText(button, "X+Y");
    tabs.addTab(first, QStringLiteral("Basic"));
    tabs.addTab(second, QStringLiteral("Options"));
    tabs.show();
    ASSERT_TRUE(testing::Access::geometryInitialised(*second));

    resizeAndWait(&tabs, tabs.size() + QSize(120, 90));
    tabs.setCurrentIndex(1);
    QCoreApplication::processEvents();
    ASSERT_TRUE(second->isVisible());
    const GeometryRect design = second->geometryLayout().designClientRect();
    const QSize pageSize = second->size();
    ASSERT_GT(pageSize.width(), design.width());
    EXPECT_EQ(button->geometry(), QRect(150, 70, 40, 20)
                                      .translated(pageSize.width() - design.width(),
                                                  pageSize.height() - design.height()));
}

TEST(GeometryDynCreateWnd, SheetMakesItsOwnMarkers) {
    auto sheet =
        std::make_unique<CGeometryDynCreateWnd<QWidget, GeometryHostKind::propertySheet>>();
    sheet->resize(300, 200);
    QWidget* pages = childAt(sheet.get(), 1, {5, 5, 290, 130});
    QWidget* okButton = childAt(sheet.get(), 2, {230, 160, 60, 25});
    sheet->initGeometry();

    int markers = 0;
    for (QGroupBox* box : sheet->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(box->isHidden());
        EXPECT_EQ(controlIdOf(box), kGeometryMarkerId);
        ++markers;
    }
    EXPECT_EQ(markers, 2);
    sheet->show();
    resizeAndWait(sheet.get(), {400, 260});
    EXPECT_EQ(pages->geometry(), QRect(5, 5, 390, 190));
    EXPECT_EQ(okButton->geometry(), QRect(330, 220, 60, 25));
    EXPECT_EQ(sheet->minimumSize(), QSize(300, 200));
}

TEST(GeometryDynCreateWnd, ATabWidgetSheetLeavesItsTabBarToItself) {
    auto sheet = std::make_unique<CGeometryDynCreateWnd<QTabWidget>>();
    static_assert(std::decay_t<decltype(*sheet)>::kHostKind == GeometryHostKind::propertySheet);
    sheet->addTab(new QWidget, QStringLiteral("Basic"));
    sheet->addTab(new QWidget, QStringLiteral("Options"));
    sheet->setCurrentIndex(1);
    sheet->resize(300, 200);
    sheet->initGeometry();
    EXPECT_TRUE(sheet->geometryLayout().controls().empty());
    EXPECT_EQ(sheet->currentIndex(), 1);
    sheet->show();
    resizeAndWait(sheet.get(), {400, 260});
    EXPECT_EQ(sheet->tabBar()->height(), sheet->tabBar()->sizeHint().height());
}

}  // namespace
}  // namespace scoutwell
