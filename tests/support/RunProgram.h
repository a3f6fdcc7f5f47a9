// Runs one of our programs with an argument vector (never through a shell), with a chosen
// environment, and collects its exit status and output.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace scoutwell::testing {

struct ProgramResult {
    int status = -1;  // the exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

// The folder of our programs: SCOUTWELL_BIN, else the folder of the running test program.
inline std::string programPath(const std::string& name) {
    if (const char* bin = std::getenv("SCOUTWELL_BIN"))
        return std::string(bin) + "/" + name;
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
}

// `environment` replaces the whole environment; HOME and XDG_CONFIG_HOME should be set by
// the caller so that no real user's settings are touched.
inline ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args,
                                const std::map<std::string, std::string>& environment) {
    char outName[] = "/tmp/scoutwell-out-XXXXXX";
    char errName[] = "/tmp/scoutwell-err-XXXXXX";
    const int outFd = mkstemp(outName);
    const int errFd = mkstemp(errName);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    // The program starts with the three standard streams only, whatever the test runner
    // left open: tests that count descriptors depend on it.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argStrings)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (const auto& [k, v] : environment)
        envStrings.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (std::string& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    ProgramResult result;
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        int wstatus = 0;
        waitpid(pid, &wstatus, 0);
        if (WIFEXITED(wstatus))
            result.status = WEXITSTATUS(wstatus);
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(outFd);
    ::close(errFd);
    auto slurp = [](const char* name) {
        std::ifstream in(name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        std::filesystem::remove(name);
        return s.str();
    };
    result.out = slurp(outName);
    result.err = slurp(errName);
    return result;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace scoutwell::testing
