#include "engine/DocumentDecoder.h"

#include <algorithm>
#include <cstring>

namespace scoutwell {
namespace {

constexpr std::size_t kInputBlock = 256 * 1024;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

bool DocumentDecoder::readInput() {
    for (;;) {
        const std::size_t at = document_.size();
        if (at >= kMaxInputBytes) {
            end_ = TextEnd::kCutOff;
            return false;
        }
        const std::size_t wanted = std::min<std::size_t>(kInputBlock, kMaxInputBytes + 1 - at);
        document_.resize(at + wanted);
        const long got = input_.read(document_.data() + at, wanted);
        if (got < 0) {
            end_ = TextEnd::kWhole;  // the file failed to read: a later scan may not
            return false;
        }
        document_.resize(at + static_cast<std::size_t>(got));
        if (static_cast<std::size_t>(got) < wanted) {
            if (document_.size() > kMaxInputBytes) {
                end_ = TextEnd::kCutOff;
                return false;
            }
            return true;
        }
    }
}

long DocumentDecoder::read(char* buffer, std::size_t size) {
    if (!started_) {
        started_ = true;
        if (!readInput()) {
            finished_ = true;
            document_.clear();
            document_.shrink_to_fit();
            return -1;
        }
        end_ = start(document_);
        finished_ = end_ != TextEnd::kWhole;
        if (finished_)
            return -1;
    }
    while (!finished_ && pending_.size() - pendingAt_ < size) {
        if (pendingAt_ > 0) {
            pending_.erase(0, pendingAt_);
            pendingAt_ = 0;
        }
        TextEnd end = TextEnd::kWhole;
        if (!more(pending_, end)) {
            finished_ = true;
            end_ = end;
        }
    }
    const std::size_t given = std::min(size, pending_.size() - pendingAt_);
    if (given == 0 && finished_ && end_ != TextEnd::kWhole)
        return -1;
    std::memcpy(buffer, pending_.data() + pendingAt_, given);
    pendingAt_ += given;
    return static_cast<long>(given);
}

void appendLineText(std::string& line, std::string_view text, bool collapse) {
    for (const char c : text) {
        if (collapse && isSpace(c)) {
            if (!line.empty() && line.back() != ' ')
                line += ' ';
        } else if (c == '\n' || c == '\r') {
            line += ' ';
        } else {
            line += c;
        }
    }
}

}  // namespace scoutwell
