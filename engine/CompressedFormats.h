// Compressed files, decoded when compressed files are searched: gzip, bzip2, xz, lzma,
// zstd and lz4, each recognised by its magic bytes, never by the file's name.
//
// They are decompressed by libarchive (its raw format with the five filters, each built
// on the format's own library), the library the archive readers use too: one stream
// interface for every format, and measured as fast as zlib's own inflate on gzip logs.
// The decoder pulls the compressed bytes from its input through libarchive's read
// callback, so pseudo files stay bounded as plain ones are and nothing is read twice.
#pragma once

#include "engine/Decoder.h"

namespace scoutwell {

const DecoderFormat& gzipFormat();
const DecoderFormat& bzip2Format();
const DecoderFormat& xzFormat();
const DecoderFormat& lzmaFormat();
const DecoderFormat& zstdFormat();
const DecoderFormat& lz4Format();

}  // namespace scoutwell
