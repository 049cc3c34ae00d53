#include "system/prefix_programs.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "system/wine/wineserver_lock.h"

extern char** environ;

namespace vostrel {

namespace {

namespace fs = std::filesystem;

// The program a process runs, when it may be read.
std::string ProgramOf(long pid) {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
    return ec ? std::string() : exe.string();
}

// Runs `program` with the arguments and WINEPREFIX set; its exit status, or
// -1 when it could not be run.
int Run(const std::string& program, const std::vector<std::string>& args,
        const std::string& prefixPath) {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e)
        if (std::string_view(*e).rfind("WINEPREFIX=", 0) != 0) env.emplace_back(*e);
    env.push_back("WINEPREFIX=" + prefixPath);
    std::vector<char*> envp;
    envp.reserve(env.size() + 1);
    for (auto& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    argv.reserve(all.size() + 1);
    for (auto& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

bool PrefixProgramsRunning(const std::string& prefixPath) {
    return RunningWineserver(prefixPath) != 0;
}

ProgramsClosed ClosePrefixPrograms(const std::string& prefixPath, int waitSeconds) {
    const long pid = RunningWineserver(prefixPath);
    if (pid == 0) return {true, {}};
    if (pid < 0)
        return {false, "whether Wine runs on " + prefixPath +
                           " cannot be told, so its programs cannot be closed from here"};
    // The server's own program: a Proton prefix's server is Proton's.
    const std::string program = ProgramOf(pid);
    const std::string name = fs::path(program).filename().string();
    if (program.empty() || name.rfind("wineserver", 0) != 0)
        return {false, "the wineserver of " + prefixPath + " (process " + std::to_string(pid) +
                           ") cannot be told which Wine it belongs to"};
    if (Run(program, {"-k"}, prefixPath) < 0) return {false, program + " could not be run"};
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(waitSeconds);
    while (RunningWineserver(prefixPath) != 0) {
        if (std::chrono::steady_clock::now() > until)
            return {false, "Wine's programs on " + prefixPath + " did not end within " +
                               std::to_string(waitSeconds) + " seconds"};
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return {true, {}};
}

}  // namespace vostrel
