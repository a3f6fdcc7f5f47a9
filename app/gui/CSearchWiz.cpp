#include "app/gui/CSearchWiz.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "app/gui/CSearchWizContents.h"
#include "app/gui/CSearchWizFilename.h"
#include "app/gui/CSearchWizLocation.h"

namespace scoutwell {

namespace {

// On a screen narrower than this the pages go without their pictures.
constexpr int kArtworkScreenWidth = 640;
// Finish has no mnemonic: the Location page's "Specific &folder" owns F.
constexpr const char* kFinishText = "Finish";

}  // namespace

CSearchWizPage::CSearchWizPage(WizardData& data, const char* caption,
                               WizardArtwork::Picture picture, QWidget* parent)
    : QWizardPage(parent),
      data_(data),
      artwork_(new WizardArtwork(picture, this)),
      controls_(new QVBoxLayout) {
    setTitle(QString::fromLatin1(caption));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(artwork_);
    layout->addLayout(controls_, 1);
}

QLabel* CSearchWizPage::addText(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), this);
    label->setWordWrap(true);
    controls_->addWidget(label);
    return label;
}

void CSearchWizPage::addExamples(
    std::initializer_list<std::pair<const char*, const char*>> examples) {
    controls_->addWidget(new QLabel(QString::fromLatin1(kExamplesHeading), this));
    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    int row = 0;
    for (const auto& [example, meaning] : examples) {
        auto* entry = new QLabel(QString::fromUtf8(example), this);
        QFont bold = entry->font();
        bold.setBold(true);
        entry->setFont(bold);
        // What the user would type, so that it can be copied from here.
        entry->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto* text = new QLabel(QString::fromUtf8(meaning), this);
        text->setWordWrap(true);
        grid->addWidget(entry, row, 0, Qt::AlignTop);
        grid->addWidget(text, row, 1);
        ++row;
    }
    controls_->addLayout(grid);
}

CSearchWiz::CSearchWiz(const WizardData& data, Application* app, QWidget* owner)
    : QWizard(owner),
      data_(data),
      filename_(new CSearchWizFilename(data_, app, this)),
      contents_(new CSearchWizContents(data_, app, this)),
      location_(new CSearchWizLocation(data_, app, this)) {
    setWindowTitle(QString::fromLatin1(kSearchWizCaption));
    // The same look on every desktop: Back, Next or Finish, and Cancel along the bottom.
    setWizardStyle(QWizard::ClassicStyle);
    setButtonText(QWizard::FinishButton, QString::fromLatin1(kFinishText));
    const std::initializer_list<CSearchWizPage*> pages = {filename_, contents_, location_};
    for (CSearchWizPage* page : pages)
        addPage(page);

    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const bool roomy = !screen || screen->availableGeometry().width() >= kArtworkScreenWidth;
    for (CSearchWizPage* page : pages)
        page->artwork()->setVisible(roomy);

    // As in a property sheet, every page takes the size of the largest, so the wizard keeps
    // its size from page to page; the height leaves room for each wrapped paragraph at the
    // narrowest width.
    QSize common;
    for (CSearchWizPage* page : pages) {
        page->ensurePolished();
        common = common.expandedTo(page->minimumSizeHint());
    }
    for (CSearchWizPage* page : pages)
        common.setHeight(std::max(common.height(), page->heightForWidth(common.width())));
    for (CSearchWizPage* page : pages)
        page->setMinimumSize(common);

    connect(this, &QWizard::currentIdChanged, this, &CSearchWiz::currentPageChanged);
}

void CSearchWiz::currentPageChanged(int id) {
    // The page left behind keeps what it shows; the new one shows the data as they are now.
    if (current_)
        current_->savePage();
    current_ = qobject_cast<CSearchWizPage*>(page(id));
    if (current_)
        current_->loadPage();
}

void CSearchWiz::accept() {
    if (current_)
        current_->savePage();
    QWizard::accept();
}

}  // namespace scoutwell
