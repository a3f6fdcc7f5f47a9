// The table of formats the decoding stage tries, in order. A new format is a file of its
// own and one line here.
#include "engine/CompressedFormats.h"
#include "engine/Decoder.h"
#include "engine/DocumentFormats.h"
#include "engine/TextEncodings.h"

namespace scoutwell {

const std::vector<const DecoderFormat*>& decoderFormats() {
    static const std::vector<const DecoderFormat*> formats = {
        &ooxmlFormat(),
        &odfFormat(),
        &encryptedOfficeFormat(),
        &pdfFormat(),
        &gzipFormat(),
        &bzip2Format(),
        &xzFormat(),
        &lzmaFormat(),
        &zstdFormat(),
        &lz4Format(),
        &utf8BomFormat(),
        &utf16BomFormat(/*bigEndian=*/false),
        &utf16BomFormat(/*bigEndian=*/true),
        &utf16GuessedFormat(/*bigEndian=*/false),
        &utf16GuessedFormat(/*bigEndian=*/true),
    };
    return formats;
}

}  // namespace scoutwell
