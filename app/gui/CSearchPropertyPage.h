// The common base of the criteria pages (Basic, Advanced, Options): a page of the criteria
// sheet that edits the document's editedCriteria and exchanges data with it both ways.
//
//   class CBasicSearch : public CSearchPropertyPage {
//       void initPage() override;                              // once: lists, geometry
//       void loadPage(SearchCriteria& c) override;             // criteria -> controls
//       bool savePage(SearchCriteria& c) override {            // controls -> criteria
//           if (bad) return rejectField(edit, "message");      // focus stays on the field
//           ...
//       }
//   };
//
// A page's "window exists" once it has been initialised, which happens the first time it
// is activated in a created sheet; until then saveData() leaves the criteria alone. The
// main frame's shortcuts are window-wide actions, so they keep working while a page has
// the focus.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

class QEvent;

namespace scoutwell {

class CDediDurarerDoc;
class CSearchOptions;
class SearchCriteria;
struct GeometrySpec;

class CSearchPropertyPage : public QWidget {
    Q_OBJECT

  public:
    explicit CSearchPropertyPage(CSearchOptions* sheet = nullptr, QWidget* parent = nullptr);

    CSearchOptions* sheet() const { return sheet_; }
    void setSheet(CSearchOptions* sheet) { sheet_ = sheet; }
    // The sheet's document, or null without one.
    CDediDurarerDoc* document() const;
    // The criteria the page shows and edits: the document's editedCriteria; null without a
    // document.
    SearchCriteria* criteria() const;

    // Runs initPage() and loadData() the first time; later calls do nothing.
    void initialise();
    bool initialised() const { return initialised_; }

    // Criteria to controls; false without criteria.
    bool loadData();
    // Controls to criteria; false without criteria or when a field is invalid (its message
    // has been shown and the focus is on it).
    bool saveData();

    // The page's controls in the order Tab visits them: row by row as they are on the
    // screen. By default the order they were made in.
    virtual std::vector<QWidget*> tabOrder() const;

    // Geometry registration; a page hosted by CGeometryDynCreateWnd overrides both.
    virtual bool addGeometry(int controlId, const GeometrySpec& spec, QWidget* host);
    virtual void removeGeometry(int controlId);

  protected:
    virtual void initPage() {}
    virtual void loadPage(SearchCriteria& criteria);
    virtual bool savePage(SearchCriteria& criteria);

    // Shows `message`, gives `field` the focus (selecting an edit's whole text) and returns
    // false, for savePage to return.
    bool rejectField(QWidget* field, const std::string& message);

  private:
    CSearchOptions* sheet_;
    bool initialised_ = false;
};

}  // namespace scoutwell
