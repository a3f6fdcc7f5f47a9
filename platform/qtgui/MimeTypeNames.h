// Type names of found files from the desktop's shared MIME database.
//
// A file's type name is the comment of the MIME type that its name alone matches (the
// contents are never read, so a name always gives the same answer). A name that matches
// no known type gives the empty text, so the found item's own default ("TXT File",
// "File") stands.
//
//   MimeTypeNames::install();   // once at start-up: typeText() then asks the database
#pragma once

#include <string>

namespace scoutwell {

class MimeTypeNames {
  public:
    // The comment of the MIME type matched by the file name of `path`, or empty.
    static std::string typeNameFor(const std::string& path);
    // Makes typeNameFor the provider behind every found file's typeText().
    static void install();
};

}  // namespace scoutwell
