// A hit line as contents-scan tests compare it: its number and text, printable.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "engine/FoundItem.h"

namespace scoutwell::testing {

struct Hit {
    int lineNumber;
    std::string text;
    bool operator==(const Hit&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Hit& hit) {
    return os << "{" << hit.lineNumber << ", \"" << hit.text << "\"}";
}

inline std::vector<Hit> hitsOf(const FoundItem& item) {
    std::vector<Hit> out;
    for (const HitLine& h : item.hits)
        out.push_back({h.lineNumber, h.text});
    return out;
}

}  // namespace scoutwell::testing
