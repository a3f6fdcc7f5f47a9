#include "platform/posix/FileUrl.h"

namespace scoutwell {

namespace {

// What a URL's path may hold as it is: unreserved characters, sub-delimiters, ':', '@'
// and '/'.
bool isPlainPathByte(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    return c != 0 && std::string_view("-._~!$&'()*+,;=:@/").find(static_cast<char>(c)) !=
                         std::string_view::npos;
}

}  // namespace

std::string percentEncodePath(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(path.size());
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (isPlainPathByte(c)) {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0xF];
        }
    }
    return encoded;
}

std::string fileUrlFromPath(std::string_view path) {
    return "file://" + percentEncodePath(path);
}

std::string folderOfPath(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return "/";
    return std::string(path.substr(0, slash + 1));
}

}  // namespace scoutwell
