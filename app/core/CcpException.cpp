#include "app/core/CcpException.h"

#include <utility>

#include "engine/Text.h"

namespace scoutwell {

CCP_Exception::CCP_Exception(std::int32_t code, std::string stepText)
    : code_(code), stepText_(std::move(stepText)), message_(stepText_ + kStepFailedSuffix) {}

std::string CCP_Exception::messageWithCode() const {
    return text::format(kCcpMessageWithCode, message_.c_str(), static_cast<unsigned>(code_));
}

void checkResult(std::int32_t code, std::string_view stepText) {
    if (code < 0)
        throw CCP_Exception(code, std::string(stepText));
}

}  // namespace scoutwell
