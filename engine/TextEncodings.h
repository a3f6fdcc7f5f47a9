// The text encodings decoded to UTF-8 before the line scan, whatever the options: UTF-8
// with a byte-order mark (the mark is dropped), UTF-16 in either byte order with its mark,
// and UTF-16 without one where the evidence is strong (guessUtf16 says the rule). Units
// that are not valid UTF-16 (a lone surrogate, an odd last byte) each become U+FFFD.
//
// Exercised by tests/engine/DecodingTest.cpp.
#pragma once

#include <string_view>

#include "engine/Decoder.h"

namespace scoutwell {

const DecoderFormat& utf8BomFormat();
const DecoderFormat& utf16BomFormat(bool bigEndian);
const DecoderFormat& utf16GuessedFormat(bool bigEndian);

enum class Utf16Guess { kNone, kLittleEndian, kBigEndian };

// UTF-16 without a byte-order mark, on strong evidence only. Over the first kGuessWindow
// bytes (all of them in a shorter text, an even count, at least kGuessMinimum): at least
// three units in four have a NUL high byte, and no unit has a NUL low byte. Text of Latin
// letters written as UTF-16 looks so; text in any 8-bit encoding has no NULs, and binary
// data has NULs in both places.
inline constexpr std::size_t kGuessWindow = 4096;
inline constexpr std::size_t kGuessMinimum = 8;
Utf16Guess guessUtf16(std::string_view head);

}  // namespace scoutwell
