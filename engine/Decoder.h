// Decoders: what turns the bytes of a file into the text the line scanner searches.
//
// A file whose first bytes say it is encoded (a byte-order mark, UTF-16 without one, the
// magic bytes of a compressed format when compressed files are searched) is read through
// one or more decoders, stacked by DecodingStage (DecodingStage.h) between the file and the
// scanner: a gzip file holding UTF-16 text is read as file -> gzip -> UTF-16 -> scanner.
// Every decoder has this one interface; adding a format adds a file with its
// DecoderFormat and one line in the table of decoderFormats(), never a branch in the
// scanner.
//
// The contract:
// - A Decoder is a ReadableFile over another ReadableFile, its input, which it does not
//   own: the file itself, another decoder's output, or any byte stream that a caller
//   hands to FoundFile::scanFile (an archive member's bytes).
// - read() fills the whole buffer unless the text stops first, so that chunk boundaries,
//   and with them the pieces of overlong lines, never depend on how a decoder happens to
//   work. A shorter count means the text stopped there: at its end when textEnd() says
//   kWhole, else at damaged data or a limit, and what came before stands. Once nothing
//   more can be read, read() returns -1 (at once, when the input itself failed to read).
// - It reads its input sequentially and only as far as it needs: files of pseudo file
//   systems stay bounded by their ReadableFile as plain files are.
// - Its first read() decides whether the input is of its format at all: -1 with kDamaged
//   before a single byte was decoded means "not this format", and the stage searches the
//   bytes as they are (a file that starts like gzip but is not one).
// - The output of a decoder that yieldsText() is UTF-8 text, decoded no further. Other
//   decoders' output (decompressed bytes) goes through the formats once more.
// - A format that needs the whole input (a document whose index sits at its end) reads it
//   from the input into memory; the stage's limits bound the text it may produce.
// - Text that comes through decoders is the text of the file everywhere: hit lines, line
//   numbers, the contents view, printing and saved results. A later re-read of the file
//   (the window completing a file's hit lines) goes through FoundFile::scanFile and so
//   through the same decoders, chosen again from the same first bytes and options.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/FileSystem.h"

namespace scoutwell {

// The options that choose which formats are decoded.
struct DecodeOptions {
    // "Search inside compressed files and archives": compressed formats (and archives and
    // documents) are decoded only then; text encodings always are.
    bool insideCompressed = false;
};

// How the decoded text of a file ended, when not at its end.
enum class TextEnd : std::uint8_t {
    kWhole = 0,  // at the end, or not decoded, or stopped by a read error of the file
    kDamaged,    // the encoded data is damaged or truncated: what came before it stands
    kCutOff,     // the text passed the stage's limit (a decompression bomb, most likely)
    kEncrypted,  // the data is encrypted: nothing of it was searched
};

class Decoder : public ReadableFile {
  public:
    // After a short read: kWhole when the text ended, else why it stopped. After -1:
    // kWhole when the input failed to read (a read error of the file, which a later scan
    // may not meet again).
    virtual TextEnd textEnd() const = 0;
};

// One format: how to recognise its input and how to decode it.
class DecoderFormat {
  public:
    virtual ~DecoderFormat() = default;
    // A short name for notes and tests ("gzip", "UTF-16LE").
    virtual std::string_view name() const = 0;
    // Whether the format is decoded at all under these options.
    virtual bool enabled(const DecodeOptions& options) const = 0;
    // Whether `head`, the first bytes of the input (all of it when `atEnd`), are of this
    // format. Cheap: it runs on the first chunk of every file scanned.
    virtual bool recognises(std::string_view head, bool atEnd) const = 0;
    // Whether the decoded output is the final UTF-8 text (see the contract above).
    virtual bool yieldsText() const = 0;
    // A decoder of `input`, which is at its start. Never null.
    virtual std::unique_ptr<Decoder> open(ReadableFile& input) const = 0;
};

// Every format, in the order they are tried: compressed formats first, then byte-order
// marks, then UTF-16 without one.
const std::vector<const DecoderFormat*>& decoderFormats();

}  // namespace scoutwell
