// The PDF reader's module (engine/PdfModule.h): poppler's C++ interface behind a table of
// C functions.
#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <climits>
#include <memory>
#include <string>

#include "engine/PdfModule.h"

namespace {

// poppler reports every oddity of a damaged file on standard error; the search notes a
// document it could not read instead.
void ignoreMessage(const std::string&, void*) {}

struct Silencer {
    Silencer() { poppler::set_debug_error_function(ignoreMessage, nullptr); }
} silencer;

poppler::document* documentOf(ScoutwellPdfDocument* document) {
    return reinterpret_cast<poppler::document*>(document);
}

ScoutwellPdfDocument* open(const char* data, std::size_t size, int* status) {
    *status = kScoutwellPdfMalformed;
    if (size > static_cast<std::size_t>(INT_MAX))
        return nullptr;
    try {
        std::unique_ptr<poppler::document> document(
            poppler::document::load_from_raw_data(data, static_cast<int>(size)));
        if (!document)
            return nullptr;
        if (document->is_locked()) {
            *status = kScoutwellPdfEncrypted;
            return nullptr;
        }
        *status = kScoutwellPdfOk;
        return reinterpret_cast<ScoutwellPdfDocument*>(document.release());
    } catch (...) {
        return nullptr;
    }
}

int pageCount(ScoutwellPdfDocument* document) {
    try {
        return documentOf(document)->pages();
    } catch (...) {
        return 0;
    }
}

int pageText(ScoutwellPdfDocument* document, int index, ScoutwellPdfAppend append, void* context) {
    try {
        std::unique_ptr<poppler::page> page(documentOf(document)->create_page(index));
        if (!page)
            return kScoutwellPdfMalformed;
        const poppler::byte_array text =
            page->text(poppler::rectf(), poppler::page::non_raw_non_physical_layout).to_utf8();
        std::string line;
        for (const char c : text) {
            if (c == '\n' || c == '\f') {
                if (!line.empty()) {
                    line += '\n';
                    append(context, line.data(), line.size());
                    line.clear();
                }
            } else if (c != '\r') {
                line += c;
            }
        }
        if (!line.empty()) {
            line += '\n';
            append(context, line.data(), line.size());
        }
        return kScoutwellPdfOk;
    } catch (...) {
        return kScoutwellPdfMalformed;
    }
}

void close(ScoutwellPdfDocument* document) {
    delete documentOf(document);
}

const ScoutwellPdfReader kReader = {scoutwell::kPdfModuleVersion, open, pageCount, pageText, close};

}  // namespace

extern "C" __attribute__((visibility("default"))) const ScoutwellPdfReader* scoutwellPdfReader() {
    return &kReader;
}
