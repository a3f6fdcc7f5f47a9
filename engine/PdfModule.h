// The interface of the PDF reader's module, scoutwell-pdf.so (built from engine/pdf/):
// poppler and the dozen libraries it brings (fonts, colour management, image codecs,
// cryptography) would cost every start of the program some milliseconds, so they come in
// only with the first PDF a search meets (PdfDocuments.cpp loads the module). The module
// exports one C function, kPdfModuleEntry, which returns its table of operations; no C++
// exception crosses it.
#pragma once

#include <cstddef>

extern "C" {

struct ScoutwellPdfDocument;

enum ScoutwellPdfStatus {
    kScoutwellPdfOk = 0,
    kScoutwellPdfEncrypted = 1,  // it needs a password
    kScoutwellPdfMalformed = 2,  // poppler could not read it, or not this page
};

// Receives a piece of text.
typedef void (*ScoutwellPdfAppend)(void* context, const char* text, std::size_t size);

struct ScoutwellPdfReader {
    int version;
    // The document held in `data` (which outlives it), or null with `status` saying why.
    ScoutwellPdfDocument* (*open)(const char* data, std::size_t size, int* status);
    int (*pageCount)(ScoutwellPdfDocument* document);
    // Appends the text of page `page` (from 0) in reading order, a UTF-8 line at a time,
    // each ending with "\n" (empty lines left out). Returns a ScoutwellPdfStatus.
    int (*pageText)(ScoutwellPdfDocument* document, int page, ScoutwellPdfAppend append,
                    void* context);
    void (*close)(ScoutwellPdfDocument* document);
};

typedef const ScoutwellPdfReader* (*ScoutwellPdfEntry)();
}

namespace scoutwell {

inline constexpr const char* kPdfModuleName = "scoutwell-pdf.so";
inline constexpr const char* kPdfModuleEntry = "scoutwellPdfReader";
inline constexpr int kPdfModuleVersion = 1;

}  // namespace scoutwell
