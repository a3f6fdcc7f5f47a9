// Criteria files (.srf): the stored form of a search's criteria, without any header.
//
// Integers and booleans are 32-bit little-endian, dates are OLE dates as binary64, sizes
// are 64-bit (low word first), and texts are a length and that many bytes. Files of every
// older layout can be read; the current layout is always written.
//
//   std::string error;
//   if (!CriteriaFile::load(path, criteria, error)) showMessage(error);
//
// Reading changes the criteria only when the whole file was understood; the fields an
// older file lacks, and the options that no file stores (one-phase search, line ends),
// keep their values. Applying command-line values over a loaded file is the caller's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scoutwell {

class SearchCriteria;

inline constexpr const char* kUnexpectedFileFormat = "Unexpected file format.";
inline constexpr const char* kFailedToOpenDocument = "Failed to open document.";
inline constexpr const char* kFailedToSaveDocument = "Failed to save document.";

class CriteriaFile {
  public:
    static constexpr std::uint32_t kSchema = 336;

    // The bytes of a file holding `criteria`.
    static std::string serialize(const SearchCriteria& criteria);
    // Reads `bytes` into `criteria`; on false, `errorOut` says why and nothing changed.
    static bool deserialize(std::string_view bytes, SearchCriteria& criteria,
                            std::string& errorOut);

    // Replaces the file at `path` as a whole: an interrupted or failed save leaves the old
    // file as it was. A new file beside the old one is renamed over it where that keeps
    // the file's links, owner and group; otherwise (other links, a folder that only lets
    // the file itself be written, another owner) the file is rewritten in place, and its
    // old bytes are written back when the new ones do not fit.
    static bool save(const std::string& path, const SearchCriteria& criteria,
                     std::string& errorOut);
    static bool load(const std::string& path, SearchCriteria& criteria, std::string& errorOut);
};

}  // namespace scoutwell
