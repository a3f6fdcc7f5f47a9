// Documents made by hand for tests: zip files with stored (or given deflated) entries,
// OOXML and ODF packages around given XML parts, and small PDF files whose pages show given
// lines of text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/ArchiveWriter.h"

namespace scoutwell::testing {

struct ZipEntry {
    std::string name;
    std::string data;  // stored as it is, unless deflated
    // When not empty, `data` is raw deflate data of this many bytes, with `crc`.
    std::uint64_t deflatedSize = 0;
    std::uint32_t crc = 0;
    bool encrypted = false;  // flagged as encrypted (its bytes are not)
};

// A zip holding `entries` in order, without extra fields (sizes below 4 GB).
inline std::string zipOf(const std::vector<ZipEntry>& entries) {
    std::vector<RawZipMember> members;
    members.reserve(entries.size());
    for (const ZipEntry& e : entries) {
        RawZipMember m;
        m.name = e.name;
        m.data = e.data;
        m.deflated = e.deflatedSize != 0;
        m.crc = e.crc;
        m.size = static_cast<std::uint32_t>(e.deflatedSize);
        m.encrypted = e.encrypted;
        members.push_back(std::move(m));
    }
    return rawZip(members);
}

inline const char* const kWordNamespaces =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"";

// A .docx whose body holds `bodyXml` (w:p elements), with `more` parts after it.
inline std::string docxOf(std::string_view bodyXml, std::vector<ZipEntry> more = {}) {
    std::vector<ZipEntry> parts = {
        {"[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>"},
        {"_rels/.rels", "<?xml version=\"1.0\"?><Relationships/>"},
        {"word/document.xml",
         std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document ") + kWordNamespaces +
             "><w:body>" + std::string(bodyXml) + "</w:body></w:document>"},
    };
    parts.insert(parts.end(), more.begin(), more.end());
    return zipOf(parts);
}

// A paragraph of a .docx holding `text` in one run.
inline std::string wordParagraph(std::string_view text) {
    return "<w:p><w:r><w:t xml:space=\"preserve\">" + std::string(text) + "</w:t></w:r></w:p>";
}

// An OpenDocument package of `type` ("text", "spreadsheet", "presentation") whose content
// holds `bodyXml` inside office:body; `more` parts follow.
inline std::string odfOf(std::string_view type, std::string_view bodyXml,
                         std::vector<ZipEntry> more = {}) {
    std::vector<ZipEntry> parts = {
        {"mimetype", "application/vnd.oasis.opendocument." + std::string(type)},
        {"content.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
         "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><office:body>" +
             std::string(bodyXml) + "</office:body></office:document-content>"},
    };
    parts.insert(parts.end(), more.begin(), more.end());
    return zipOf(parts);
}

// A PDF whose pages show the given lines, in Helvetica, a line under the other. With
// `locked`, it claims a user password it does not have: readers cannot open it.
inline std::string pdfOf(const std::vector<std::vector<std::string>>& pages, bool locked = false) {
    std::vector<std::string> objects;  // object n is objects[n - 1]
    const std::size_t count = pages.size();
    std::string kids;
    for (std::size_t i = 0; i < count; ++i)
        kids += std::to_string(4 + 2 * i) + " 0 R ";
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(count) +
                      " >>");
    objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    for (std::size_t i = 0; i < count; ++i) {
        std::string content = "BT /F1 12 Tf 72 720 Td 16 TL\n";
        for (const std::string& line : pages[i]) {
            content += '(';
            for (const char c : line) {
                if (c == '(' || c == ')' || c == '\\')
                    content += '\\';
                content += c;
            }
            content += ") Tj T*\n";
        }
        content += "ET";
        objects.push_back(
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources "
            "<< /Font << /F1 3 0 R >> >> /Contents " +
            std::to_string(5 + 2 * i) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" +
                          content + "\nendstream");
    }
    if (locked) {
        objects.push_back("<< /Filter /Standard /V 1 /R 2 /P -4 /O <" + std::string(64, 'A') +
                          "> /U <" + std::string(64, 'B') + "> >>");
    }
    std::string out = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t n = 0; n < objects.size(); ++n) {
        offsets.push_back(out.size());
        out += std::to_string(n + 1) + " 0 obj\n" + objects[n] + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets) {
        const std::string number = std::to_string(offset);
        out += std::string(10 - number.size(), '0') + number + " 00000 n \n";
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R";
    if (locked) {
        out += " /Encrypt " + std::to_string(objects.size()) + " 0 R /ID [<" +
               std::string(32, 'C') + "> <" + std::string(32, 'C') + ">]";
    }
    out += " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

}  // namespace scoutwell::testing
