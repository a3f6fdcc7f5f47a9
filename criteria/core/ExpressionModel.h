// What the Expression Wizard builds: a described pattern (how the text begins, what
// follows in order, how it ends) and the regular expression it stands for.
//
//   ExpressionModel model;
//   ExpressionItem begins;
//   begins.type = ItemType::phrase; begins.text = "report"; begins.occurrence =
//   Occurrence::onceOnly; model.append(begins); std::string pattern; model.generate(pattern,
//   /*escapeSpecial=*/true);   // "^(report)"
//
// ExprWizData is what a criteria page keeps for one wizard-driven field and hands to the
// wizard: the model of the last finished run, the texts the wizard shows, and whether
// special characters are left as they are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/SpecialChars.h"

namespace scoutwell {

class SettingsStore;

// Where an item stands in the described text.
namespace ItemPosition {
inline constexpr std::int32_t begins = 0;
inline constexpr std::int32_t followedBy = 1;
inline constexpr std::int32_t ends = 2;
}  // namespace ItemPosition

// The type codes are the indexes of the wizard's type lists.
namespace ItemType {
inline constexpr std::int32_t dontKnow = 0;
inline constexpr std::int32_t anyCharacter = 1;
inline constexpr std::int32_t theCharacter = 2;
inline constexpr std::int32_t anyOneOf = 3;
inline constexpr std::int32_t anyExcept = 4;
inline constexpr std::int32_t phrase = 5;
inline constexpr std::int32_t spaces = 6;
inline constexpr std::int32_t numeric = 7;
inline constexpr std::int32_t textCharacter = 8;
inline constexpr std::int32_t count = 9;
}  // namespace ItemType

// The occurrence codes are the indexes of the wizard's occurrence lists.
namespace Occurrence {
inline constexpr std::int32_t zeroOrOnce = 0;
inline constexpr std::int32_t zeroOrMany = 1;
inline constexpr std::int32_t onceOnly = 2;
inline constexpr std::int32_t onceOrMany = 3;
inline constexpr std::int32_t count = 4;
}  // namespace Occurrence

// The display names, in code order.
inline constexpr const char* kItemTypeNames[ItemType::count] = {"Don't know",
                                                                "Any character",
                                                                "The character",
                                                                "Any one of these chars",
                                                                "Any char except these",
                                                                "The phrase",
                                                                "Space(s)",
                                                                "Any numeric character",
                                                                "Any text character"};
inline constexpr const char* kOccurrenceNames[Occurrence::count] = {
    "Zero or once", "Zero or many times", "Once only", "Once or many times"};

inline constexpr const char* kUnexpectedExpressionType = "Unexpected expression type";

struct ExpressionItem {
    virtual ~ExpressionItem() = default;

    std::int32_t position = ItemPosition::begins;
    std::string typeName;
    std::int32_t type = ItemType::dontKnow;
    std::string text;
    std::string occurrenceName;
    std::int32_t occurrence = Occurrence::zeroOrOnce;

    bool operator==(const ExpressionItem&) const = default;
};

class ExpressionModel {
  public:
    virtual ~ExpressionModel() = default;

    void clear() { items_.clear(); }
    void append(const ExpressionItem& item) { items_.push_back(item); }
    void appendAll(const std::vector<ExpressionItem>& items);

    // Replaces `out` with the expression the items describe, escaping the special
    // characters of their texts when `escapeSpecial`. "Don't know" items are set to
    // "Zero or many times" on the way. Always true.
    bool generate(std::string& out, bool escapeSpecial);

    // True when a text holds characters the expression syntax would treat as special:
    // any of them in a character or phrase, a leading "^" or a later "]" in a set.
    bool hasSpecialChars() const;

    const std::vector<ExpressionItem>& items() const { return items_; }

    bool operator==(const ExpressionModel&) const = default;

  private:
    std::vector<ExpressionItem> items_;
};

struct ExprWizData {
    // Special characters are escaped.
    ExprWizData() = default;
    // The escaping choice as the settings hold it ("Options"/"LeaveSpecialChars").
    explicit ExprWizData(const SettingsStore& settings);

    ExpressionModel model;
    std::string note;
    std::string fieldName;
    bool leaveSpecialChars = false;
};

}  // namespace scoutwell
