// The decoding stage of one scan: looks at the first chunk read from a file and, when a
// format of decoderFormats() recognises it, stacks decoders over the file (Decoder.h says
// how decoders behave) and hands the scanner the decoded text instead.
//
//   DecodingStage stage(options);
//   long got = file.read(chunk, chunkSize);
//   if (ReadableFile* text = stage.open(file, chunk, got, chunkSize))
//       got = text->read(chunk, chunkSize);  // the text from its start, read from `text`
//   ...
//   stage.textEnd();  // after a read returned -1: why the text stopped there
//
// A plain file costs one look at its first bytes and nothing else. The stage bounds what
// it decodes: at most kMaxLayers decoders on one file, and the text is cut off once it
// passes kCutOffFloor bytes and kCutOffRatio times the bytes read from the file (a gzip
// file of zeros expands a thousand times; logs expand ten to twenty times).
//
// Exercised by tests/engine/DecodingTest.cpp, tests/engine/DocumentsTest.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/Decoder.h"

namespace scoutwell {

class DecodingStage {
  public:
    static constexpr int kMaxLayers = 4;
    static constexpr std::uint64_t kCutOffFloor = std::uint64_t{256} << 20;
    static constexpr std::uint64_t kCutOffRatio = 100;

    explicit DecodingStage(DecodeOptions options);
    ~DecodingStage();
    DecodingStage(const DecodingStage&) = delete;
    DecodingStage& operator=(const DecodingStage&) = delete;

    // `head` holds the first `size` bytes read from `file` in one read of `chunkSize`
    // bytes (fewer only at its end). Returns null when the file is searched as it is:
    // `file` then has read nothing beyond `head`. Otherwise returns the reader of the text
    // from its start, which lives as long as the stage.
    ReadableFile* open(ReadableFile& file, const char* head, std::size_t size,
                       std::size_t chunkSize);

    // The names of the formats decoded, outermost first; empty for a plain file.
    const std::vector<std::string_view>& layers() const { return layers_; }
    // After the text's reader returned -1: why.
    TextEnd textEnd() const;

  private:
    class Layer;
    class Replay;
    class Limit;

    DecodeOptions options_;
    std::vector<std::string_view> layers_;
    std::vector<std::unique_ptr<ReadableFile>> readers_;  // innermost first
    Replay* bottom_ = nullptr;                            // reads the file itself
    std::vector<Decoder*> decoders_;
    Limit* limit_ = nullptr;
};

}  // namespace scoutwell
