// Writes the benchmarks' generated tree: the same bytes on every machine and every run.
//
//   make-corpus <folder> [scale]
//   make-corpus --small <folder> <folders> <files per folder>
//
// About 40,000 files and 200 MB at scale 1.0: source-like text with LF and CR LF line
// ends, a few very long lines, a few binary files, a wide folder and a deep chain of
// folders. The folder must not exist yet. --small writes a tree of many tiny files instead,
// each holding "hello 7" and a line end, as source trees, mail folders and caches have.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: make-corpus <folder> [scale]\n"
    "       make-corpus --small <folder> <folders> <files per folder>\n";
constexpr int kModules = 100;
constexpr int kFilesPerModule = 300;
constexpr int kWideFiles = 5000;
constexpr int kDeepLevels = 40;
constexpr int kFilesPerDeepLevel = 8;
constexpr int kBinaryFiles = 24;
constexpr int kLongLineFiles = 6;

const char* const kWords[] = {
    "buffer", "count", "device", "entry", "file",  "index", "inode", "lock",   "node",
    "offset", "page",  "queue",  "read",  "state", "table", "write", "config", "driver",
    "list",   "map",   "mount",  "path",  "size",  "time",  "value", "handle", "flags",
};
const char* const kExtensions[] = {".c", ".h", ".cpp", ".txt", ".py", ".md", ".h", ".c"};

// xorshift64*: small, fast and identical everywhere.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed ? seed : 1) {}
    std::uint64_t next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 2685821657736338717ULL;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

  private:
    std::uint64_t state_;
};

const char* word(Random& r) {
    return kWords[r.below(static_cast<int>(sizeof kWords / sizeof kWords[0]))];
}

void appendLine(Random& r, std::string& out) {
    char line[256];
    const int kind = r.below(100);
    if (kind < 1) {
        std::snprintf(line, sizeof line, "struct %s_%s_ops {", word(r), word(r));
    } else if (kind < 4) {
        std::snprintf(line, sizeof line, "    if (%s < 0) return -%s_ERROR;", word(r), word(r));
    } else if (kind < 6) {
        std::snprintf(line, sizeof line, "// Error while %s the %s at %02d:%02d", word(r), word(r),
                      r.below(24), r.below(60));
    } else if (kind < 20) {
        std::snprintf(line, sizeof line, "    %s_%s(%s, %d);", word(r), word(r), word(r),
                      r.below(100000));
    } else if (kind < 30) {
        std::snprintf(line, sizeof line, "static int %s_%s(struct %s *%s)", word(r), word(r),
                      word(r), word(r));
    } else if (kind < 40) {
        line[0] = 0;
    } else if (kind < 50) {
        std::snprintf(line, sizeof line, "}");
    } else {
        std::snprintf(line, sizeof line, "        %s->%s = %s_%s + %d;", word(r), word(r), word(r),
                      word(r), r.below(1000));
    }
    out += line;
}

std::string textFile(Random& r, std::size_t targetBytes, bool crLf) {
    std::string out;
    out.reserve(targetBytes + 256);
    while (out.size() < targetBytes) {
        appendLine(r, out);
        out += crLf ? "\r\n" : "\n";
    }
    return out;
}

std::string longLineFile(Random& r, std::size_t lineBytes, int lines) {
    std::string out;
    for (int i = 0; i < lines; ++i) {
        const std::size_t start = out.size();
        while (out.size() - start < lineBytes) {
            appendLine(r, out);
            out += ' ';
        }
        out += '\n';
        out += textFile(r, 2000, false);
    }
    return out;
}

std::string binaryFile(Random& r, std::size_t bytes) {
    std::string out(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i) {
        const std::uint64_t v = r.next();
        out[i] = (v & 7) == 0 ? '\0' : static_cast<char>(v >> 40);
    }
    return out;
}

bool makeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0755) == 0;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Mostly small files, a few large ones, as in a source tree.
std::size_t sourceFileSize(Random& r) {
    const int k = r.below(100);
    if (k < 60)
        return 1000 + static_cast<std::size_t>(r.below(4000));
    if (k < 95)
        return 5000 + static_cast<std::size_t>(r.below(10000));
    return 20000 + static_cast<std::size_t>(r.below(60000));
}

}  // namespace

int smallFiles(const std::string& folder, int folders, int files) {
    const std::string root = folder + "/";
    if (folders < 1 || files < 1 || !makeFolder(root)) {
        std::fputs(kUsage, stderr);
        return 1;
    }
    char name[64];
    for (int d = 0; d < folders; ++d) {
        std::snprintf(name, sizeof name, "d%05d/", d);
        const std::string sub = root + name;
        if (!makeFolder(sub))
            return 1;
        for (int f = 0; f < files; ++f) {
            std::snprintf(name, sizeof name, "f%05d.txt", f);
            if (!writeFile(sub + name, "hello 7\n"))
                return 1;
        }
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--small")
        return smallFiles(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc < 2 || argc > 3) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string root = std::string(argv[1]) + "/";
    const double scale = argc == 3 ? std::atof(argv[2]) : 1.0;
    auto scaled = [scale](int n) { return std::max(1, static_cast<int>(n * scale)); };
    if (!makeFolder(root)) {
        std::perror(argv[1]);
        return 1;
    }
    Random r(20240601);
    bool ok = true;
    char name[128];

    ok = ok && makeFolder(root + "src");
    for (int m = 0; m < scaled(kModules) && ok; ++m) {
        std::snprintf(name, sizeof name, "src/%s%03d/", word(r), m);
        const std::string module = root + name;
        ok = makeFolder(module) && makeFolder(module + "include");
        for (int f = 0; f < kFilesPerModule && ok; ++f) {
            const char* ext = kExtensions[r.below(8)];
            std::snprintf(name, sizeof name, "%s%s_%s_%d%s", f % 4 == 0 ? "include/" : "", word(r),
                          word(r), f, ext);
            const bool crLf = r.below(5) == 0;
            ok = writeFile(module + name, textFile(r, sourceFileSize(r), crLf));
        }
    }

    ok = ok && makeFolder(root + "wide");
    for (int f = 0; f < scaled(kWideFiles) && ok; ++f) {
        std::snprintf(name, sizeof name, "wide/%s_%05d%s", word(r), f, kExtensions[r.below(8)]);
        ok = writeFile(root + name, textFile(r, 500 + r.below(3000), r.below(3) == 0));
    }

    std::string deep = root + "deep/";
    ok = ok && makeFolder(deep);
    for (int level = 0; level < kDeepLevels && ok; ++level) {
        for (int f = 0; f < kFilesPerDeepLevel && ok; ++f) {
            std::snprintf(name, sizeof name, "%s_%d%s", word(r), f, kExtensions[r.below(8)]);
            ok = writeFile(deep + name, textFile(r, 3000, false));
        }
        std::snprintf(name, sizeof name, "level%02d/", level);
        deep += name;
        ok = ok && makeFolder(deep);
    }

    ok = ok && makeFolder(root + "data");
    for (int f = 0; f < kBinaryFiles && ok; ++f) {
        std::snprintf(name, sizeof name, "data/blob%02d.bin", f);
        ok = writeFile(root + name, binaryFile(r, 100000 + r.below(300000)));
    }
    for (int f = 0; f < kLongLineFiles && ok; ++f) {
        std::snprintf(name, sizeof name, "data/long%02d.txt", f);
        ok = writeFile(root + name, longLineFile(r, 20000 + r.below(200000), 4));
    }
    if (!ok) {
        std::perror("make-corpus");
        return 1;
    }
    return 0;
}
