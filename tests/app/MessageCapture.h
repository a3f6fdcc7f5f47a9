// Collects the messages shown while it is alive, instead of printing them.
#pragma once

#include <string>
#include <vector>

#include "engine/Messages.h"

namespace scoutwell::testing {

class MessageCapture : public MessageSink {
  public:
    MessageCapture() : previous_(messageSink()) { setMessageSink(this); }
    ~MessageCapture() override { setMessageSink(previous_); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    void showMessage(const std::string& text) override { messages.push_back(text); }

    std::vector<std::string> messages;

  private:
    MessageSink* previous_;
};

}  // namespace scoutwell::testing
