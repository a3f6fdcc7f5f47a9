// A failed platform call raised as an exception: the 32-bit result code it returned and a
// step text naming what was being done. Thrown by value, caught by reference.
//
//   checkResult(code, "Creating stream for saving data");   // throws when code < 0
//   ...
//   catch (const CCP_Exception& e) { showMessage(e.messageWithCode()); }
//   // "Creating stream for saving data failed. 8007000e"
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace scoutwell {

// Follows the step text in the exception's message.
inline constexpr const char* kStepFailedSuffix = " failed.";
// How catchers show the message and the code: lower-case hexadecimal, no leading zeros.
inline constexpr const char* kCcpMessageWithCode = "%s %x";
// The result code of a call that ran out of memory.
inline constexpr std::int32_t kResultOutOfMemory = static_cast<std::int32_t>(0x8007000EU);

class CCP_Exception : public std::exception {
  public:
    CCP_Exception(std::int32_t code, std::string stepText);

    std::int32_t code() const { return code_; }
    const std::string& stepText() const { return stepText_; }
    // The step text followed by " failed.".
    const std::string& message() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }
    // The message, a space and the code in hexadecimal.
    std::string messageWithCode() const;

  private:
    std::int32_t code_;
    std::string stepText_;
    std::string message_;
};

// Raises a CCP_Exception when `code` is negative; does nothing otherwise.
void checkResult(std::int32_t code, std::string_view stepText);

}  // namespace scoutwell
