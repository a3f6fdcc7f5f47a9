// Writes the documents benchmark's files: the same bytes on every machine and every run.
//
//   make-documents <folder> <documents> <pages>
//
// <folder>/docx/report-NN.docx and <folder>/pdf/report-NN.pdf, each of <pages> pages of 45
// lines of words (a .docx paragraph per line), deflated as Word and PDF writers do, with
// "timeout" on one line in 500. The folder must not exist yet.
#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: make-documents <folder> <documents> <pages>\n";
constexpr int kLinesPerPage = 45;
constexpr int kWordsPerLine = 11;
constexpr int kHitEvery = 500;

const char* const kWords[] = {
    "quarterly", "report",  "revenue", "customer", "service", "network", "storage",
    "backup",    "upgrade", "server",  "outage",   "budget",  "review",  "planning",
    "the",       "and",     "of",      "for",      "with",    "after",   "before",
};

// xorshift64*: small, fast and identical everywhere.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed | 1) {}
    std::uint64_t next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1DULL;
    }

  private:
    std::uint64_t state_;
};

std::string deflated(const std::string& data, bool raw) {
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, raw ? -15 : 15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

void putLittle(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A zip of deflated entries.
std::string zipOf(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string out;
    std::string directory;
    for (const auto& [name, data] : entries) {
        const std::string packed = deflated(data, /*raw=*/true);
        const auto crc =
            crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
        const auto header = [&](std::string& to, bool central) {
            putLittle(to, central ? 0x02014B50 : 0x04034B50, 4);
            if (central)
                putLittle(to, 20, 2);
            putLittle(to, 20, 2);
            putLittle(to, 0, 2);
            putLittle(to, 8, 2);
            putLittle(to, 0, 4);
            putLittle(to, crc, 4);
            putLittle(to, packed.size(), 4);
            putLittle(to, data.size(), 4);
            putLittle(to, name.size(), 2);
            putLittle(to, 0, 2);
            if (central) {
                putLittle(to, 0, 6);  // comment, disk, internal attributes
                putLittle(to, 0, 4);
                putLittle(to, out.size(), 4);
            }
            to += name;
        };
        header(directory, true);
        header(out, false);
        out += packed;
    }
    const std::size_t at = out.size();
    out += directory;
    putLittle(out, 0x06054B50, 4);
    putLittle(out, 0, 4);
    putLittle(out, entries.size(), 2);
    putLittle(out, entries.size(), 2);
    putLittle(out, directory.size(), 4);
    putLittle(out, at, 4);
    putLittle(out, 0, 2);
    return out;
}

std::string docxOf(const std::vector<std::string>& lines) {
    std::string body =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>";
    for (const std::string& line : lines) {
        body +=
            "<w:p><w:pPr><w:spacing w:after=\"0\"/></w:pPr><w:r><w:rPr><w:lang "
            "w:val=\"en-GB\"/></w:rPr><w:t xml:space=\"preserve\">" +
            line + "</w:t></w:r></w:p>";
    }
    body += "<w:sectPr/></w:body></w:document>";
    return zipOf({{"[Content_Types].xml",
                   "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/"
                   "package/2006/content-types\"/>"},
                  {"_rels/.rels", "<?xml version=\"1.0\"?><Relationships/>"},
                  {"word/document.xml", body}});
}

std::string pdfOf(const std::vector<std::string>& lines, int pages) {
    std::vector<std::string> objects;
    std::string kids;
    for (int i = 0; i < pages; ++i)
        kids += std::to_string(4 + 2 * i) + " 0 R ";
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) +
                      " >>");
    objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    for (int page = 0; page < pages; ++page) {
        std::string content = "BT /F1 10 Tf 50 750 Td 15 TL\n";
        for (int i = 0; i < kLinesPerPage; ++i)
            content +=
                "(" + lines[static_cast<std::size_t>(page * kLinesPerPage + i)] + ") Tj T*\n";
        content += "ET";
        const std::string packed = deflated(content, /*raw=*/false);
        objects.push_back(
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources "
            "<< /Font << /F1 3 0 R >> >> /Contents " +
            std::to_string(5 + 2 * page) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(packed.size()) +
                          " /Filter /FlateDecode >>\nstream\n" + packed + "\nendstream");
    }
    std::string out = "%PDF-1.5\n";
    std::vector<std::size_t> offsets;
    for (std::size_t n = 0; n < objects.size(); ++n) {
        offsets.push_back(out.size());
        out += std::to_string(n + 1) + " 0 obj\n" + objects[n] + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        out += entry;
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

bool writeFile(const std::string& path, const std::string& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string folder = argv[1];
    const int documents = std::atoi(argv[2]);
    const int pages = std::atoi(argv[3]);
    if (documents <= 0 || pages <= 0 || ::mkdir(folder.c_str(), 0755) != 0 ||
        ::mkdir((folder + "/docx").c_str(), 0755) != 0 ||
        ::mkdir((folder + "/pdf").c_str(), 0755) != 0) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    Random random(29);
    for (int d = 0; d < documents; ++d) {
        std::vector<std::string> lines;
        for (int i = 0; i < pages * kLinesPerPage; ++i) {
            std::string line;
            for (int w = 0; w < kWordsPerLine; ++w) {
                if (w > 0)
                    line += ' ';
                line += kWords[random.next() % (sizeof kWords / sizeof kWords[0])];
            }
            if (random.next() % kHitEvery == 0)
                line += " timeout";
            lines.push_back(line);
        }
        char name[32];
        std::snprintf(name, sizeof name, "report-%02d", d);
        if (!writeFile(folder + "/docx/" + name + ".docx", docxOf(lines)) ||
            !writeFile(folder + "/pdf/" + name + ".pdf", pdfOf(lines, pages))) {
            std::perror(folder.c_str());
            return 1;
        }
    }
    return 0;
}
