#include "engine/DecodingStage.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace scoutwell {
namespace {

// What a decoder may read past the bytes in hand before it has decoded anything and still
// be refused as "not this format": the bytes are then searched as they are, so they must
// have been kept. A decoder that fails later than this is a damaged file of its format.
constexpr std::size_t kRefusalRecordLimit = std::size_t{4} << 20;

const DecoderFormat* formatOf(std::string_view head, bool atEnd, const DecodeOptions& options) {
    for (const DecoderFormat* format : decoderFormats()) {
        if (format->enabled(options) && format->recognises(head, atEnd))
            return format;
    }
    return nullptr;
}

}  // namespace

// Gives the bytes already taken from `input` (the head) and then reads on from it, unless
// the input had ended with the head. While recording, it keeps what it reads from the
// input, so that a refused decoder's input can be given again from its start.
class DecodingStage::Replay : public ReadableFile {
  public:
    Replay(std::string head, ReadableFile& input, bool inputEnded, bool recording)
        : head_(std::move(head)), input_(input), inputEnded_(inputEnded), recording_(recording) {}

    long read(char* buffer, std::size_t size) override {
        std::size_t got = 0;
        if (at_ < head_.size()) {
            got = std::min(size, head_.size() - at_);
            std::memcpy(buffer, head_.data() + at_, got);
            at_ += got;
        }
        if (got < size && !inputEnded_) {
            const long more = input_.read(buffer + got, size - got);
            if (more < 0)
                return -1;
            const auto added = static_cast<std::size_t>(more);
            if (added < size - got)
                inputEnded_ = true;
            fromInput_ += added;
            if (recording_) {
                if (recorded_.size() + added <= kRefusalRecordLimit)
                    recorded_.append(buffer + got, added);
                else
                    recordOverflowed_ = true;
            }
            got += added;
        }
        return static_cast<long>(got);
    }

    void stopRecording() {
        recording_ = false;
        recorded_.clear();
        recorded_.shrink_to_fit();
    }
    // Whether the input can be given again from its start: all that was read is kept.
    bool rewindable() const { return !recordOverflowed_; }
    // The head and what was read after it: the input's bytes from its start so far.
    std::string takeAll() {
        head_ += recorded_;
        return std::move(head_);
    }
    bool readPastHead() const { return fromInput_ > 0; }
    std::uint64_t bytesTaken() const { return head_.size() + fromInput_; }

  private:
    std::string head_;
    ReadableFile& input_;
    std::size_t at_ = 0;
    bool inputEnded_;
    std::uint64_t fromInput_ = 0;
    bool recording_;
    bool recordOverflowed_ = false;
    std::string recorded_;
};

// The reader the scanner gets: the text of the top layer, cut off at the stage's limit,
// and -1 for good once it could not go on.
class DecodingStage::Limit : public ReadableFile {
  public:
    Limit(ReadableFile& text, const Replay& file, const std::vector<Decoder*>& decoders)
        : text_(text), file_(file), decoders_(decoders) {}

    long read(char* buffer, std::size_t size) override {
        if (stopped_)
            return -1;
        if (produced_ > kCutOffFloor && produced_ / kCutOffRatio > file_.bytesTaken()) {
            end_ = TextEnd::kCutOff;
            stopped_ = true;
            return -1;
        }
        const long got = text_.read(buffer, size);
        if (got < 0) {
            stopped_ = true;
            end_ = decodersEnd();
            return -1;
        }
        produced_ += static_cast<std::uint64_t>(got);
        if (static_cast<std::size_t>(got) < size) {
            end_ = decodersEnd();
            stopped_ = end_ != TextEnd::kWhole;
        }
        return got;
    }

    TextEnd textEnd() const { return end_; }

  private:
    // Why the text stopped, by the decoder nearest the file that knows: damage deep down
    // shows as a short text higher up.
    TextEnd decodersEnd() const {
        for (const Decoder* decoder : decoders_) {
            if (decoder->textEnd() != TextEnd::kWhole)
                return decoder->textEnd();
        }
        return TextEnd::kWhole;
    }

    ReadableFile& text_;
    const Replay& file_;
    const std::vector<Decoder*>& decoders_;
    std::uint64_t produced_ = 0;
    bool stopped_ = false;
    TextEnd end_ = TextEnd::kWhole;
};

DecodingStage::DecodingStage(DecodeOptions options) : options_(options) {}

DecodingStage::~DecodingStage() = default;

ReadableFile* DecodingStage::open(ReadableFile& file, const char* head, std::size_t size,
                                  std::size_t chunkSize) {
    bool atEnd = size < chunkSize;
    const DecoderFormat* format = formatOf(std::string_view(head, size), atEnd, options_);
    if (format == nullptr)
        return nullptr;

    ReadableFile* input = &file;
    std::string current(head, size);  // the first bytes of `input`, which is past them
    while (format != nullptr && static_cast<int>(layers_.size()) < kMaxLayers) {
        auto replay =
            std::make_unique<Replay>(std::move(current), *input, atEnd, /*recording=*/true);
        std::unique_ptr<Decoder> decoder = format->open(*replay);
        std::string decoded(chunkSize, '\0');
        const long got = decoder->read(decoded.data(), chunkSize);
        if (got < 0 && decoder->textEnd() == TextEnd::kDamaged && replay->rewindable()) {
            // Not this format after all: its bytes are the text.
            if (layers_.empty() && !replay->readPastHead())
                return nullptr;
            // The rewound bytes come first; the replay below them reads on.
            current = replay->takeAll();
            replay->stopRecording();
            readers_.push_back(std::move(replay));
            input = readers_.back().get();
            atEnd = false;
            break;
        }
        replay->stopRecording();
        if (bottom_ == nullptr)
            bottom_ = replay.get();
        layers_.push_back(format->name());
        decoders_.push_back(decoder.get());
        readers_.push_back(std::move(replay));
        readers_.push_back(std::move(decoder));
        input = readers_.back().get();
        if (got < 0) {
            // The input failed to read, or nothing decodable came: the text is empty and
            // stops at once, for the reason the decoder gives.
            current.clear();
            break;
        }
        decoded.resize(static_cast<std::size_t>(got));
        current = std::move(decoded);
        atEnd = static_cast<std::size_t>(got) < chunkSize;
        if (format->yieldsText() || (atEnd && decoders_.back()->textEnd() != TextEnd::kWhole))
            break;
        format = formatOf(current, atEnd, options_);
    }
    auto top = std::make_unique<Replay>(std::move(current), *input, atEnd, /*recording=*/false);
    if (bottom_ == nullptr)
        bottom_ = top.get();
    ReadableFile& text = *top;
    readers_.push_back(std::move(top));
    auto limit = std::make_unique<Limit>(text, *bottom_, decoders_);
    limit_ = limit.get();
    readers_.push_back(std::move(limit));
    return limit_;
}

TextEnd DecodingStage::textEnd() const {
    return limit_ != nullptr ? limit_->textEnd() : TextEnd::kWhole;
}

}  // namespace scoutwell
