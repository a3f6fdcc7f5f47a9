// Makes the Basic and Advanced pages of the criteria sheet, each as a geometry host; the
// window's frame hands it to the criteria form as its MainPageFactory.
//
//   auto* form = new CSearchForView(doc, createMainPage, parent);
//
// Exercised by tests/gui/CriteriaPagesTest.cpp.
#pragma once

#include <string>

#include "app/gui/CriteriaPages.h"

namespace scoutwell {

// The new page, owned by `parent` (when given); null for an unknown name.
CSearchPropertyPage* createMainPage(const std::string& name, CSearchOptions* sheet,
                                    QWidget* parent);

}  // namespace scoutwell
