#include "engine/NameMatcher.h"

#include <cstring>

#include "engine/Text.h"

namespace scoutwell {
namespace {

// Bytes with a meaning of their own to the regular-expression compiler.
constexpr std::string_view kSpecialBytes = "\\^$.[()]|?+*";

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool NameMatcher::set(std::string_view pattern, bool matchCase) {
    alternatives_.clear();
    usable_ = false;
    matchCase_ = matchCase;
    asciiOnly_ = true;
    if (pattern.empty() || pattern.find('\0') != std::string_view::npos)
        return false;

    Alternative alternative(1);
    bool hasTokens = false;
    auto literal = [&](char c, bool any) {
        Segment& s = alternative.back();
        s.bytes += c;
        s.any.push_back(any);
        s.hasAny = s.hasAny || any;
        hasTokens = true;
        if (static_cast<unsigned char>(c) > 0x7F)
            asciiOnly_ = false;
    };
    // An empty alternative is left to the compiler, whatever it makes of it.
    auto finishAlternative = [&] {
        if (!hasTokens)
            return false;
        alternatives_.push_back(std::move(alternative));
        alternative.assign(1, Segment{});
        hasTokens = false;
        return true;
    };
    auto quantifierAt = [&](std::size_t i) {
        return i < pattern.size() && (pattern[i] == '*' || pattern[i] == '+' || pattern[i] == '?');
    };

    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\') {
            if (i + 1 >= pattern.size() || quantifierAt(i + 2))
                return false;
            ++i;
            literal(pattern[i], false);
        } else if (c == '.' && i + 1 < pattern.size() && pattern[i + 1] == '*') {
            ++i;
            if (quantifierAt(i + 1))
                return false;  // `.**`, `.*+`, `.*?`
            alternative.emplace_back();
            hasTokens = true;
        } else if (c == '.') {
            if (quantifierAt(i + 1))
                return false;
            literal('\0', true);
        } else if (c == '|') {
            if (!finishAlternative())
                return false;
        } else if (kSpecialBytes.find(c) != std::string_view::npos || quantifierAt(i + 1)) {
            return false;
        } else {
            literal(c, false);
        }
    }
    if (!finishAlternative())
        return false;
    usable_ = true;
    return true;
}

std::size_t NameMatcher::findSegment(const Segment& segment, std::string_view subject,
                                     std::size_t from) {
    const std::size_t length = segment.bytes.size();
    if (!segment.hasAny)
        return subject.find(segment.bytes, from);
    if (subject.size() < length)
        return std::string_view::npos;
    for (std::size_t at = from; at + length <= subject.size(); ++at) {
        std::size_t k = 0;
        while (k < length && (segment.any[k] || subject[at + k] == segment.bytes[k]))
            ++k;
        if (k == length)
            return at;
    }
    return std::string_view::npos;
}

bool NameMatcher::contains(std::string_view name) {
    // The matcher stops at a NUL byte; directory entry names never hold one.
    if (const void* nul = std::memchr(name.data(), 0, name.size()))
        name =
            name.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - name.data()));
    std::string_view subject = name;
    if (!matchCase_) {
        folded_.assign(name);
        if (asciiOnly_) {
            // Lower-casing changes a multi-byte letter into bytes above 0x7F only, which
            // no byte of an ASCII pattern equals: folding ASCII letters is enough.
            for (char& c : folded_)
                c = asciiLower(c);
        } else {
            text::toLowerInPlace(folded_);
        }
        subject = folded_;
    }
    for (const Alternative& alternative : alternatives_) {
        std::size_t at = 0;
        bool found = true;
        for (const Segment& segment : alternative) {
            const std::size_t hit = findSegment(segment, subject, at);
            if (hit == std::string_view::npos) {
                found = false;
                break;
            }
            at = hit + segment.bytes.size();
        }
        if (found)
            return true;
    }
    return false;
}

}  // namespace scoutwell
