#include "engine/Messages.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace scoutwell {
namespace {

StderrMessageSink stderrSink;
std::atomic<MessageSink*> installedSink{nullptr};
std::mutex stderrLock;

}  // namespace

void setMessageSink(MessageSink* sink) {
    installedSink.store(sink);
}

MessageSink* messageSink() {
    MessageSink* sink = installedSink.load();
    return sink ? sink : &stderrSink;
}

void showMessage(const std::string& text) {
    messageSink()->showMessage(text);
}

void StderrMessageSink::showMessage(const std::string& text) {
    std::string line = "scoutwell: " + text;
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    line += '\n';
    std::lock_guard<std::mutex> guard(stderrLock);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace scoutwell
