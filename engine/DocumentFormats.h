// Documents, searched in their text when compressed files and archives are searched: office
// documents (.docx, .xlsx, .pptx and .odt, .ods, .odp) and PDF. Each is recognised by its
// first bytes, never by its name, and yields UTF-8 text of one line per paragraph (a
// spreadsheet row with its cells separated by TAB, a slide's paragraphs in slide order, a
// PDF text line).
//
// - OOXML: a zip holding "[Content_Types].xml" and a part under word/, xl/ or ppt/, both
//   named in the local headers of the first chunk (Office and LibreOffice write them first).
//   A plain zip, or one holding only the content types (NuGet, XPS, 3MF), is no document.
// - ODF: a zip whose first entry is "mimetype" naming an OpenDocument type.
// - An encrypted Office document: a compound file holding an "EncryptedPackage" stream.
// - PDF: a file starting with "%PDF-", read by poppler in a module of its own loaded when
//   the first PDF is met (PdfModule.h), so that poppler costs nothing to the searches that
//   meet none; without the module a PDF is searched as its bytes.
//
// The parts are unzipped with libarchive and parsed with libxml2's SAX parser as they are
// read, never held whole, with no entity expansion, no network and no DTD: a part with a
// document type declaration is malformed, so neither an entity bomb nor an external entity
// can get in. An encrypted document ends its text at once with TextEnd::kEncrypted; a
// malformed one ends it where its reader failed with TextEnd::kMalformed.
#pragma once

#include "engine/Decoder.h"

namespace scoutwell {

const DecoderFormat& ooxmlFormat();
const DecoderFormat& odfFormat();
const DecoderFormat& encryptedOfficeFormat();
const DecoderFormat& pdfFormat();

}  // namespace scoutwell
