// The criteria property sheet of a search window: a tab widget with the main page (Basic
// or Advanced) and the Options page. The page the user leaves is stored into the criteria
// and the page chosen is loaded from them; a page that refuses its data keeps the user on
// it. Enter and Escape that a page leaves unhandled become the form's Start and Stop
// commands.
//
//   sheet->setPages(mainPage, optionsPage);   // main first, then Options; selects the first
//   sheet->create();                          // from now on an activated page initialises
//   if (!sheet->saveData()) return;           // the page has shown why
#pragma once

#include <QPointer>
#include <QTabWidget>
#include <vector>

namespace scoutwell {

class CDediDurarerDoc;
class COptionsTab;
class CSearchForView;
class CSearchPropertyPage;

class CSearchOptions : public QTabWidget {
    Q_OBJECT

  public:
    // `form` receives the Start and Stop commands; either may be null.
    CSearchOptions(CDediDurarerDoc* doc, CSearchForView* form, QWidget* parent = nullptr);

    CDediDurarerDoc* document() const { return doc_; }
    CSearchForView* form() const;

    CSearchPropertyPage* mainPage() const;
    COptionsTab* optionsPage() const;

    // Ties both pages to this sheet, adds the main page, then the Options page, and selects
    // the first.
    void setPages(CSearchPropertyPage* mainPage, COptionsTab* optionsPage);
    // The tabs, then the main page's and the Options page's controls, as Tab visits them.
    std::vector<QWidget*> tabOrder() const;

    // Removes both pages and deletes them.
    void removeAllPages();

    // The sheet window now exists: every page initialises now, and so does every page
    // added later when it is first activated.
    void create();
    bool created() const { return created_; }

    // Saves the main page, then the Options page. True only when both pages exist, the
    // main page is initialised and saves, and the Options page saves when it is
    // initialised.
    bool saveData();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void customEvent(QEvent* event) override;

  private:
    void sendToForm(int commandId);
    void pageChanged(int index);
    void initialisePage(int index);

    CDediDurarerDoc* doc_;
    QPointer<CSearchForView> form_;
    QPointer<CSearchPropertyPage> mainPage_;
    QPointer<COptionsTab> optionsPage_;
    QPointer<QWidget> shownPage_;
    bool created_ = false;
    bool switching_ = false;
};

}  // namespace scoutwell
