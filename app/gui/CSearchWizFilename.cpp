#include "app/gui/CSearchWizFilename.h"

#include <QVBoxLayout>

#include "app/core/Application.h"
#include "framework/CGeometryDynCreateWnd.h"
#include "framework/CriteriaPageSupport.h"
#include "framework/HistoryComboBox.h"

namespace scoutwell {

namespace {

constexpr const char* kExplanation =
    "Type the whole name or a part of it: every file whose name contains it is found. "
    "Leave the box empty to find all files.";
constexpr const char* kExpressionNote =
    "The name is a DOS expression, with * for any run of characters and ? for any one "
    "character, unless you choose Regular Expression for the file name on the Options tab.";

}  // namespace

CSearchWizFilename::CSearchWizFilename(WizardData& data, Application* app, QWidget* parent)
    : CSearchWizPage(data, kWizFilenameCaption, WizardArtwork::fileNamePicture, parent),
      fileName_(new HistoryComboBox(this)) {
    setControlId(fileName_, kWizFileNameId);
    setFieldName(fileName_, QString::fromLatin1(kWizFileNameName));
    if (app)
        fileName_->setHistory(&app->fileNameHistory);
    addText(kWizFilenameQuestion);
    controls()->addWidget(fileName_);
    addText(kExplanation);
    addExamples({
        {"MyDoc", "any name that contains MyDoc, such as MyDoc.txt or OldMyDoc.odt"},
        {"My.*Doc",
         "My, then anything, then Doc, such as MyDoc.txt or MyOldDoc.odt (My*Doc as "
         "a DOS expression)"},
        {"^MyDoc", "names that start with MyDoc (a regular expression)"},
    });
    addText(kExpressionNote);
    controls()->addStretch(1);
}

void CSearchWizFilename::loadPage() {
    fileName_->setWholeText(data_.criteria.fileName);
    fileName_->setFocus();
}

void CSearchWizFilename::savePage() {
    data_.criteria.fileName = fileName_->wholeText();
}

}  // namespace scoutwell
