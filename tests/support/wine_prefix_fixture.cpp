#include "support/wine_prefix_fixture.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <thread>

#include "system/wine/wineserver_lock.h"

extern char** environ;

namespace fs = std::filesystem;

namespace vostrel::testing {

namespace {

constexpr std::uintmax_t kLinkAtLeast = 64 * 1024;  // bigger files are hard-linked

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const auto colon = dirs.find(':', start);
        const std::string dir =
            dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return false;
}

std::string TempRoot() { return fs::temp_directory_path().string(); }

std::string HomeFor(const std::string& template_) { return template_ + ".home"; }

// Runs a program with the prefix's environment; stdout to *output.
int Run(const std::vector<std::string>& argv, const std::string& prefix, const std::string& home,
        std::string* output) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto eq = entry.find('=');
        const std::string name = entry.substr(0, eq);
        if (name == "WINEPREFIX" || name == "WINEDEBUG" || name == "WINEDLLOVERRIDES" ||
            name == "HOME" || name == "DISPLAY" || name == "WAYLAND_DISPLAY")
            continue;
        env.push_back(entry);
    }
    env.push_back("WINEPREFIX=" + prefix);
    env.push_back("WINEDEBUG=-all");
    // No menu builder: a link saved on a desktop or in the Start Menu would
    // make Wine write .desktop files and icons into the template's home and
    // into $XDG_DATA_HOME, which is the user's own when a test is run by hand.
    env.push_back("WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d");
    env.push_back("HOME=" + home);
    std::vector<char*> envp, args;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> argCopy = argv;
    for (auto& a : argCopy) args.push_back(a.data());
    args.push_back(nullptr);

    int pipeFds[2] = {-1, -1};
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return -1;
    }
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string WineVersion() {
    std::string version;
    Run({"wine", "--version"}, "/nonexistent", "/nonexistent", &version);
    std::string clean;
    for (char c : version)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-') clean.push_back(c);
    return clean.empty() ? "unknown" : clean;
}

std::string TemplatePath() {
    if (const char* given = std::getenv("VOSTREL_WINE_TEMPLATE"); given && *given) return given;
    return TempRoot() + "/vostrel-wine-prefix-" + std::to_string(::getuid()) + "-" + WineVersion();
}

// Makes the template once; other processes wait on the lock meanwhile.
const std::string& Template() {
    static const std::string path = [] {
        const std::string target = TemplatePath();
        const int lockFd = ::open((target + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lockFd < 0) throw std::runtime_error("cannot create " + target + ".lock");
        ::flock(lockFd, LOCK_EX);
        std::error_code ec;
        if (!fs::exists(target + "/system.reg", ec)) {
            const std::string partial = target + ".partial";
            fs::remove_all(partial, ec);
            fs::create_directories(HomeFor(target), ec);
            Run({"wineboot", "-i"}, partial, HomeFor(target), nullptr);
            Run({"wineserver", "-w"}, partial, HomeFor(target), nullptr);
            if (!fs::exists(partial + "/system.reg", ec)) {
                ::close(lockFd);
                throw std::runtime_error("wineboot -i did not make a prefix in " + partial);
            }
            fs::remove(partial + "/wineserver", ec);  // its private server folder name
            fs::rename(partial, target, ec);
        }
        ::close(lockFd);
        return target;
    }();
    return path;
}

void CopyTree(const fs::path& from, const fs::path& to, bool linkBigFiles) {
    fs::create_directory(to);
    for (const auto& entry : fs::directory_iterator(from)) {
        const fs::path target = to / entry.path().filename();
        if (entry.is_symlink()) {
            fs::copy_symlink(entry.path(), target);
        } else if (entry.is_directory()) {
            CopyTree(entry.path(), target, true);
        } else if (linkBigFiles && entry.file_size() >= kLinkAtLeast) {
            std::error_code ec;
            fs::create_hard_link(entry.path(), target, ec);
            if (ec) fs::copy_file(entry.path(), target);
        } else {
            fs::copy_file(entry.path(), target);
        }
    }
}

struct ProcessPrefix {
    std::string root;
    std::string prefix;
    ProcessPrefix() {
        std::string pattern = TempRoot() + "/vostrel-wine-XXXXXX";
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root = pattern;
        prefix = root + "/prefix";
        CopyTemplatePrefix(prefix);
    }
    ~ProcessPrefix() {
        KillWineserver(prefix);
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

}  // namespace

bool WineAvailable() { return OnPath("wine") && OnPath("wineboot") && OnPath("wineserver"); }

const std::string& SharedWinePrefix() {
    static const ProcessPrefix prefix;
    return prefix.prefix;
}

void CopyTemplatePrefix(const std::string& folder) { CopyTree(Template(), folder, false); }

int RunWine(const std::string& prefix, const std::vector<std::string>& args, std::string* output) {
    std::vector<std::string> argv{"wine"};
    argv.insert(argv.end(), args.begin(), args.end());
    return Run(argv, prefix, HomeFor(Template()), output);
}

int RunWineserver(const std::string& prefix, const std::vector<std::string>& args) {
    std::vector<std::string> argv{"wineserver"};
    argv.insert(argv.end(), args.begin(), args.end());
    return Run(argv, prefix, HomeFor(Template()), nullptr);
}

void WaitForWineserver(const std::string& prefix) { RunWineserver(prefix, {"-w"}); }

void KillWineserver(const std::string& prefix) {
    RunWineserver(prefix, {"-k"});
    for (int i = 0; i < 100 && RunningWineserver(prefix) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

void StartPersistentWineserver(const std::string& prefix) {
    RunWineserver(prefix, {"-p"});
    for (int i = 0; i < 100 && RunningWineserver(prefix) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

}  // namespace vostrel::testing
