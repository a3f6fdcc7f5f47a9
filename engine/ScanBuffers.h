// The two buffers a contents scan works in: the raw bytes of a chunk are read into one
// while the normalised text is assembled in the other, and they swap roles after every
// chunk. A scanning thread keeps one pair for every file it scans.
//
//   ScanBuffers buffers(FoundFile::kBufferSize);
//   file.scanContents(expression, buffers, criteria, /*stopAtFirstChunkWithHit=*/true);
//
// Exercised by tests/engine/ArchiveTest.cpp, tests/engine/ContentsScanPropertyTest.cpp,
//  tests/engine/ContentsScanTest.cpp, tests/engine/DecodingTest.cpp,
//  tests/engine/DocumentsTest.cpp, tests/engine/FastScanDifferentialTest.cpp and others.
#pragma once

#include <cstddef>
#include <memory>

namespace scoutwell {

struct ScanBuffers {
    // Two buffers of `bytes` bytes each, exactly: a scan that overran one would show under
    // AddressSanitizer.
    explicit ScanBuffers(std::size_t bytes)
        : a(std::make_unique_for_overwrite<char[]>(bytes)),
          b(std::make_unique_for_overwrite<char[]>(bytes)),
          size(bytes) {}

    std::unique_ptr<char[]> a;
    std::unique_ptr<char[]> b;
    std::size_t size;
};

}  // namespace scoutwell
