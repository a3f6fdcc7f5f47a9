// Makes the main page of the criteria sheet by name: "Basic" or "Advanced".
#pragma once

#include <string>

class QWidget;

namespace scoutwell {

class CSearchOptions;
class CSearchPropertyPage;

inline constexpr const char* kBasicPageName = "Basic";
inline constexpr const char* kAdvancedPageName = "Advanced";

// The new page, owned by `parent` (when given); null for an unknown name.
CSearchPropertyPage* createMainPage(const std::string& name, CSearchOptions* sheet,
                                    QWidget* parent);

}  // namespace scoutwell
