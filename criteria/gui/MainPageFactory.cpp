#include "criteria/gui/MainPageFactory.h"

#include "criteria/gui/CAdvancedSearch.h"
#include "criteria/gui/CBasicSearch.h"
#include "framework/CGeometryDynCreateWnd.h"

namespace scoutwell {

CSearchPropertyPage* createMainPage(const std::string& name, CSearchOptions* sheet,
                                    QWidget* parent) {
    if (name == kBasicPageName)
        return new CGeometryDynCreateWnd<CBasicSearch>(sheet, parent);
    if (name == kAdvancedPageName)
        return new CGeometryDynCreateWnd<CAdvancedSearch>(sheet, parent);
    return nullptr;
}

}  // namespace scoutwell
