// Runs one command several times and reports its median wall time and its largest peak
// resident set size, as the benchmarks need them: the child's standard output goes to
// /dev/null (or a file), its own resource usage comes from wait4.
//
//   runstat [-n runs] [-w warm-ups] [-o output] -- program args...
//
// Prints one line: "<median seconds> <peak RSS KB> <exit status of the last run>".
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: runstat [-n runs] [-w warm-ups] [-o output] -- program args...\n";

struct RunResult {
    double seconds = 0;
    long peakKb = 0;
    int status = -1;
};

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

bool runOnce(char** argv, const std::string& output, RunResult& result) {
    const double start = now();
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0)
            _exit(126);
        execvp(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return false;
    result.seconds = now() - start;
    result.peakKb = usage.ru_maxrss;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    int warmups = 1;
    std::string output = "/dev/null";
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (i + 1 >= argc) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        if (arg == "-n")
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "-w")
            warmups = std::max(0, std::atoi(argv[++i]));
        else if (arg == "-o")
            output = argv[++i];
        else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (i >= argc) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    char** command = argv + i;

    RunResult r;
    for (int w = 0; w < warmups; ++w) {
        if (!runOnce(command, output, r)) {
            std::perror("runstat");
            return 1;
        }
    }
    std::vector<double> times;
    long peakKb = 0;
    for (int n = 0; n < runs; ++n) {
        if (!runOnce(command, output, r)) {
            std::perror("runstat");
            return 1;
        }
        times.push_back(r.seconds);
        peakKb = std::max(peakKb, r.peakKb);
    }
    std::sort(times.begin(), times.end());
    const std::size_t mid = times.size() / 2;
    const double median = times.size() % 2 == 1 ? times[mid] : (times[mid - 1] + times[mid]) / 2;
    std::printf("%.4f %ld %d\n", median, peakKb, r.status);
    return 0;
}
