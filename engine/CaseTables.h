// Case-mapping tables of the text module (generated; see scripts/gen-case-tables.py).
#pragma once

#include <cstddef>
#include <cstdint>

namespace scoutwell::text {

struct CasePair {
    std::uint32_t from;
    std::uint32_t to;
};

extern const CasePair kLowerPairs[];
extern const std::size_t kLowerPairsSize;
extern const CasePair kUpperPairs[];
extern const std::size_t kUpperPairsSize;

}  // namespace scoutwell::text
