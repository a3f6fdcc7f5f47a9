// Stands in for the program: writes the arguments it got, each ended by a NUL byte, to the file
// that SCOUTWELL_RECORD names.
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    const char* record = std::getenv("SCOUTWELL_RECORD");
    if (!record)
        return 2;
    FILE* out = std::fopen(record, "wb");
    if (!out)
        return 2;
    for (int i = 1; i < argc; ++i)
        std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, out);
    return std::fclose(out) == 0 ? 0 : 2;
}
