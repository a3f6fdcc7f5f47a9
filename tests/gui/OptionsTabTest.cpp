// The Options page: its six controls show and set the open search's options, and the
// options are stored for the next search only while "RememberOptions" is on.
#include <QCheckBox>
#include <QRadioButton>
#include <functional>

#include "SearchFormSupport.h"
#include "app/core/Settings.h"

namespace scoutwell {
namespace {

using testing::SearchFormTest;

class OptionsTabTest : public SearchFormTest {
  protected:
    void SetUp() override {
        SearchFormTest::SetUp();
        form->sheet()->setCurrentIndex(1);
        QCoreApplication::processEvents();
    }
};

struct Binding {
    const char* name;
    std::function<QAbstractButton*(COptionsTab*)> control;
    bool SearchCriteria::*field;
    IntSetting setting;
    bool checkedMeans;  // the field's value when the control is checked
};

const Binding kBindings[] = {
    {"not", [](COptionsTab* p) { return p->excludeFilenameBox(); },
     &SearchCriteria::excludeFilename, kExcludeFilename, true},
    {"name case", [](COptionsTab* p) { return p->matchFilenameCaseBox(); },
     &SearchCriteria::matchFilenameCase, kMatchFilenameCase, true},
    {"regexp name", [](COptionsTab* p) { return p->regularExpressionRadio(); },
     &SearchCriteria::autoConvertToDos, kAutoConvertToDos, false},
    {"dos name", [](COptionsTab* p) { return p->dosExpressionRadio(); },
     &SearchCriteria::autoConvertToDos, kAutoConvertToDos, true},
    {"regexp contents", [](COptionsTab* p) { return p->contentsRegExpBox(); },
     &SearchCriteria::treatContentsAsRegExp, kTreatContentsAsRegExp, true},
    {"contents case", [](COptionsTab* p) { return p->matchContentsCaseBox(); },
     &SearchCriteria::matchContentsCase, kMatchContentsCase, true},
    {"inside compressed files", [](COptionsTab* p) { return p->searchCompressedBox(); },
     &SearchCriteria::searchCompressed, kSearchCompressed, true},
};

TEST_F(OptionsTabTest, ControlsShowTheCriteria) {
    for (const Binding& b : kBindings) {
        for (bool value : {true, false}) {
            setCriteria([&](SearchCriteria& c) { c.*b.field = value; });
            EXPECT_EQ(b.control(optionsPage())->isChecked(), value == b.checkedMeans)
                << b.name << " " << value;
        }
    }
}

TEST_F(OptionsTabTest, ClicksReachTheCriteriaAndTheStoreOnlyWhenRemembered) {
    for (int remember : {1, 0}) {
        for (const Binding& b : kBindings) {
            writeSetting(store, kRememberOptions, remember);
            store.deleteValue(b.setting.section, b.setting.name);
            // From the opposite state, so that the click changes something.
            setCriteria([&](SearchCriteria& c) { c.*b.field = !b.checkedMeans; });
            QTest::mouseClick(b.control(optionsPage()), Qt::LeftButton);
            ASSERT_TRUE(b.control(optionsPage())->isChecked()) << b.name;
            ASSERT_TRUE(form->sheet()->saveData()) << b.name;
            EXPECT_EQ(doc->editedCriteria.*b.field, b.checkedMeans) << b.name;
            const std::optional<std::int32_t> stored =
                store.findInt(b.setting.section, b.setting.name);
            if (remember) {
                EXPECT_EQ(stored, b.checkedMeans ? 1 : 0) << b.name;
            } else {
                EXPECT_FALSE(stored.has_value()) << b.name;
            }
        }
    }
}

TEST_F(OptionsTabTest, RememberedOptionsReachTheNextSearchWindow) {
    writeSetting(store, kRememberOptions, 1);
    QTest::mouseClick(optionsPage()->matchFilenameCaseBox(), Qt::LeftButton);
    ASSERT_TRUE(form->sheet()->saveData());
    openWindow();
    EXPECT_TRUE(doc->editedCriteria.matchFilenameCase);
    form->sheet()->setCurrentIndex(1);
    EXPECT_TRUE(optionsPage()->matchFilenameCaseBox()->isChecked());

    writeSetting(store, kRememberOptions, 0);
    QTest::mouseClick(optionsPage()->matchFilenameCaseBox(), Qt::LeftButton);
    ASSERT_TRUE(form->sheet()->saveData());
    EXPECT_FALSE(doc->editedCriteria.matchFilenameCase);
    writeSetting(store, kRememberOptions, 1);
    openWindow();
    EXPECT_TRUE(doc->editedCriteria.matchFilenameCase);  // only the open search changed
}

}  // namespace
}  // namespace scoutwell
