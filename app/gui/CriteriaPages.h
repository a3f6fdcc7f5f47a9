// The main pages of the criteria sheet by name, "Basic" or "Advanced", and the factory the
// criteria form makes them with. The window's frame hands the form the criteria pages' own
// factory (createMainPage, criteria/gui/MainPageFactory.h), so that the form knows the
// pages only through their common base.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace scoutwell {

class CSearchOptions;
class CSearchPropertyPage;

inline constexpr const char* kBasicPageName = "Basic";
inline constexpr const char* kAdvancedPageName = "Advanced";

// Makes the main page `name` of `sheet`, owned by `parent` (when given); null for an
// unknown name.
using MainPageFactory = std::function<CSearchPropertyPage*(const std::string& name,
                                                           CSearchOptions* sheet, QWidget* parent)>;

}  // namespace scoutwell
