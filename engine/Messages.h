// The one way the engine, and code built on it, shows a message to the user.
//
// The program installs a sink that shows modal message boxes on the GUI thread; without
// one (the unattended mode, tests, no display) every message is one line on standard
// error, prefixed "scoutwell: ". Messages may be raised on any thread; the engine holds no
// lock of its own while a message is being shown.
//
// Exercised by tests/criteria/ExpressionModelTest.cpp, tests/engine/ContentsScanTest.cpp,
//  tests/engine/DescriptorLimitTest.cpp, tests/engine/FastScanDifferentialTest.cpp,
//  tests/engine/FaultConcurrencyTest.cpp, tests/engine/FaultWalkTest.cpp and others.
#pragma once

#include <string>

namespace scoutwell {

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void showMessage(const std::string& text) = 0;
};

// Installs `sink` (not owned) for the whole process; nullptr restores standard error.
void setMessageSink(MessageSink* sink);
MessageSink* messageSink();

// Shows `text` through the installed sink.
void showMessage(const std::string& text);

// Standard error, one line a message (a trailing newline of the text is not doubled).
class StderrMessageSink : public MessageSink {
  public:
    void showMessage(const std::string& text) override;
};

}  // namespace scoutwell
