// What the document readers share (DocumentFormats.h): a decoder that reads its whole
// input into memory first, since a document's index sits at its end, and then hands out
// the text its reader makes a piece at a time, as the scanner asks for it. The text is one
// line per paragraph, spreadsheet row or PDF text line, each ending with "\n".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Decoder.h"

namespace scoutwell {

class DocumentDecoder : public Decoder {
  public:
    // A larger document is passed over as cut off: it would be held whole in memory.
    static constexpr std::uint64_t kMaxInputBytes = std::uint64_t{256} << 20;

    explicit DocumentDecoder(ReadableFile& input) : input_(input) {}

    long read(char* buffer, std::size_t size) final;
    TextEnd textEnd() const final { return end_; }

  protected:
    // Called once with the whole input. Anything but kWhole stops the text before it began.
    virtual TextEnd start(std::string_view document) = 0;
    // Appends the next piece of text to `text` (which may stay empty). Returns false once
    // there is no more, with `end` saying why when the text did not end whole.
    virtual bool more(std::string& text, TextEnd& end) = 0;

  private:
    // Reads the whole input into document_; false when it failed or was too large.
    bool readInput();

    ReadableFile& input_;
    std::string document_;
    std::string pending_;  // text made and not yet handed out, from pendingAt_ on
    std::size_t pendingAt_ = 0;
    bool started_ = false;
    bool finished_ = false;
    TextEnd end_ = TextEnd::kWhole;
};

// Appends `text` to `line` with every CR and LF as a space, so that the line stays one
// line. With `collapse`, every run of white space becomes one space and none starts it.
void appendLineText(std::string& line, std::string_view text, bool collapse);

}  // namespace scoutwell
