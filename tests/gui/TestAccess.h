// State that no control shows, read by the tests alone: the classes below name Access as a
// friend, and its code lives here, so none of it ships in the program.
//
//   EXPECT_TRUE(Access::wizard(*basicPage).startAutomatically);
#pragma once

#include "app/gui/CSearchForView.h"
#include "criteria/gui/CAdvancedSearch.h"
#include "criteria/gui/CBasicSearch.h"
#include "framework/CGeometryDynCreateWnd.h"

namespace scoutwell::testing {

struct Access {
    // The Search Wizard's state a Basic page keeps between runs.
    static const WizardData& wizard(const CBasicSearch& page) { return page.wizard_; }
    // The File name Expression Wizard's state an Advanced page keeps between runs.
    static const ExprWizData& fileNameWizard(const CAdvancedSearch& page) {
        return page.fileNameWizardData_;
    }
    static bool sheetCreated(const CSearchForView& form) { return form.sheetCreated_; }
    static bool progressShown(const CSearchForView& form) { return form.progressShown_; }
    template <class T, GeometryHostKind Kind>
    static bool geometryInitialised(const CGeometryDynCreateWnd<T, Kind>& host) {
        return host.initialised_;
    }
};

}  // namespace scoutwell::testing
