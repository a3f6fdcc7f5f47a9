// PDF files, read through the PDF module (PdfModule.h) a page at a time.
#include <dlfcn.h>

#include <memory>
#include <string>

#include "engine/DocumentDecoder.h"
#include "engine/DocumentFormats.h"
#include "engine/PdfModule.h"
#include "engine/ProgramModules.h"

namespace scoutwell {
namespace {

// The module beside the build's programs, else where the installation puts it (as the
// window module is found); null when neither loads. Loaded once, and never unloaded.
const ScoutwellPdfReader* loadReader() {
    for (const std::string& candidate : programModuleCandidates(kPdfModuleName)) {
        void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr)
            continue;
        const auto entry = reinterpret_cast<ScoutwellPdfEntry>(::dlsym(module, kPdfModuleEntry));
        const ScoutwellPdfReader* reader = entry != nullptr ? entry() : nullptr;
        if (reader != nullptr && reader->version == kPdfModuleVersion)
            return reader;
        ::dlclose(module);
    }
    return nullptr;
}

const ScoutwellPdfReader* pdfReader() {
    static const ScoutwellPdfReader* const reader = loadReader();
    return reader;
}

class PdfDecoder : public DocumentDecoder {
  public:
    PdfDecoder(ReadableFile& input, const ScoutwellPdfReader& reader)
        : DocumentDecoder(input), reader_(reader) {}
    ~PdfDecoder() override {
        if (document_ != nullptr)
            reader_.close(document_);
    }
    PdfDecoder(const PdfDecoder&) = delete;
    PdfDecoder& operator=(const PdfDecoder&) = delete;

  protected:
    TextEnd start(std::string_view document) override {
        int status = kScoutwellPdfMalformed;
        document_ = reader_.open(document.data(), document.size(), &status);
        if (document_ == nullptr)
            return status == kScoutwellPdfEncrypted ? TextEnd::kEncrypted : TextEnd::kMalformed;
        pages_ = reader_.pageCount(document_);
        return TextEnd::kWhole;
    }

    bool more(std::string& text, TextEnd& end) override {
        if (page_ >= pages_)
            return false;
        if (reader_.pageText(document_, page_++, append, &text) != kScoutwellPdfOk) {
            end = TextEnd::kMalformed;
            return false;
        }
        return true;
    }

  private:
    static void append(void* context, const char* text, std::size_t size) {
        static_cast<std::string*>(context)->append(text, size);
    }

    const ScoutwellPdfReader& reader_;
    ScoutwellPdfDocument* document_ = nullptr;
    int pages_ = 0;
    int page_ = 0;
};

class PdfFormat : public DecoderFormat {
  public:
    std::string_view name() const override { return "PDF"; }
    bool enabled(const DecodeOptions& options) const override { return options.insideCompressed; }
    // Without the module a PDF is searched as the bytes it is.
    bool recognises(std::string_view head, bool) const override {
        return head.starts_with("%PDF-") && pdfReader() != nullptr;
    }
    bool yieldsText() const override { return true; }
    std::unique_ptr<Decoder> open(ReadableFile& input) const override {
        return std::make_unique<PdfDecoder>(input, *pdfReader());
    }
};

}  // namespace

const DecoderFormat& pdfFormat() {
    static const PdfFormat format;
    return format;
}

}  // namespace scoutwell
