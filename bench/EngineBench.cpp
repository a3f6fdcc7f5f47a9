// Benchmark driver that runs the search engine directly, for what the command line cannot
// ask for: a two-phase contents search (the unattended mode always scans in one phase) and
// the memory a results store needs per found item.
//
//   engine-bench search <folder> <name expression> [<contents> [case] [one-phase]]
//   engine-bench memory [items]
//
// `search` prints the number of found items and hit lines; `memory` prints the heap bytes
// per item beyond the names' own bytes.
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/FileSystem.h"
#include "engine/FoundItem.h"
#include "engine/ResultsStore.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchEngine.h"
#include "platform/posix/PosixFileSystem.h"

namespace {

constexpr const char* kUsage =
    "usage: engine-bench search <folder> <name> [<contents> [case] [one-phase]]\n"
    "       engine-bench memory [items]\n";
constexpr long kDefaultItems = 1000000;
constexpr int kItemsPerFolder = 200;

// Counts what arrives instead of keeping it, so the figure is the engine's alone.
class CountingSink : public scoutwell::FoundItemSink {
  public:
    void add(const scoutwell::FoundItem& item) override {
        ++items;
        hitLines += static_cast<long>(item.hits.size());
    }
    long items = 0;
    long hitLines = 0;
};

// A window that reads nothing: the posts still cost what they cost a real document.
class DiscardingNotifier : public scoutwell::SearchNotifier {
  public:
    void post(int, std::unique_ptr<scoutwell::SearchProgressNote>) override { ++posts; }
    long posts = 0;
};

int search(int argc, char** argv) {
    if (argc < 4) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    scoutwell::PosixFileSystem fileSystem;
    scoutwell::setFileSystem(&fileSystem);
    scoutwell::SearchCriteria criteria;
    criteria.lookIn = {argv[2]};
    criteria.fileName = argv[3];
    if (argc > 4) {
        criteria.searchContents = true;
        criteria.containingText = argv[4];
    }
    for (int i = 5; i < argc; ++i) {
        if (std::strcmp(argv[i], "case") == 0)
            criteria.matchContentsCase = true;
        else if (std::strcmp(argv[i], "one-phase") == 0)
            criteria.onePhaseSearch = true;
    }
    std::string error;
    if (!criteria.prepare(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    CountingSink sink;
    DiscardingNotifier notifier;
    criteria.sink = &sink;
    scoutwell::SearchEngine engine(&criteria, &notifier);
    engine.start();
    engine.join();
    std::printf("items %ld hit-lines %ld\n", sink.items, sink.hitLines);
    return 0;
}

std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

int memory(int argc, char** argv) {
    const long count = argc > 2 ? std::atol(argv[2]) : kDefaultItems;
    // Names as long as real ones (most longer than a string's in-place capacity), of
    // folders holding a few hundred items each, as a search delivers them.
    std::vector<std::string> folders;
    for (long f = 0; f <= count / kItemsPerFolder; ++f)
        folders.push_back("/usr/share/bench/folder" + std::to_string(f) + "/");

    const std::size_t before = heapInUse();
    std::size_t nameBytes = 0;
    {
        scoutwell::ResultsStore store;
        scoutwell::SharedText location;
        char name[64];
        for (long i = 0; i < count; ++i) {
            if (i % kItemsPerFolder == 0)
                location = scoutwell::makeSharedText(folders[i / kItemsPerFolder]);
            std::snprintf(name, sizeof name, "%s_%ld.%s", i % 3 == 0 ? "libentry" : "file", i,
                          i % 2 == 0 ? "h" : "txt");
            scoutwell::FoundFile file(location, name, i, 0);
            nameBytes += file.name.size();
            store.add(file);
        }
        location.reset();
        const std::size_t after = heapInUse();
        const double perItem = (static_cast<double>(after) - static_cast<double>(before) -
                                static_cast<double>(nameBytes)) /
                               static_cast<double>(count);
        std::printf("items %ld name-bytes %zu heap-bytes %zu bytes-per-item %.1f\n", count,
                    nameBytes, after - before, perItem);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "search") == 0)
        return search(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "memory") == 0)
        return memory(argc, argv);
    std::fputs(kUsage, stderr);
    return 2;
}
