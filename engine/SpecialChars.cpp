#include "engine/SpecialChars.h"

#include <utility>

namespace scoutwell {

std::size_t replaceAll(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty())
        return 0;
    std::size_t count = 0;
    std::size_t at = text.find(from);
    if (at == std::string::npos)
        return 0;
    // One pass into a new string, so long texts with many hits stay linear.
    std::string out;
    out.reserve(text.size());
    std::size_t copied = 0;
    while (at != std::string::npos) {
        out.append(text, copied, at - copied);
        out.append(to);
        copied = at + from.size();
        ++count;
        at = text.find(from, copied);
    }
    out.append(text, copied, std::string::npos);
    text = std::move(out);
    return count;
}

void escapeSpecialChars(std::string& text, std::string_view set) {
    for (const char c : set) {
        const char escaped[2] = {'\\', c};
        replaceAll(text, std::string_view(&c, 1), std::string_view(escaped, 2));
    }
}

}  // namespace scoutwell
