#include "menus/wine_launch.h"

#include <cctype>
#include <string_view>

namespace vostrel::menus {

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool EndsWithLnk(const std::string& path) {
    return path.size() > 4 && Lower(std::string_view(path).substr(path.size() - 4)) == ".lnk";
}

// start.exe, written as "start", "start.exe" or with its Windows folder.
bool IsStart(const std::string& word) {
    std::string name = Lower(word);
    if (const auto sep = name.find_last_of("\\/"); sep != std::string::npos)
        name = name.substr(sep + 1);
    return name == "start" || name == "start.exe";
}

// start.exe's own switches that take a value of their own.
bool StartSwitchTakesValue(const std::string& lower) {
    return lower == "/d" || lower == "/node" || lower == "/affinity" || lower == "/machine";
}

void SetPathTarget(WineLaunch& launch, const std::string& word, bool hostPath) {
    launch.target = word;
    if (hostPath)
        launch.kind = EndsWithLnk(word) ? LaunchKind::HostLink : LaunchKind::HostProgram;
    else if (IsWindowsDrivePath(word))
        launch.kind = EndsWithLnk(word) ? LaunchKind::WindowsLink : LaunchKind::WindowsProgram;
    else if (!word.empty() && word.front() == '/')
        launch.kind = EndsWithLnk(word) ? LaunchKind::HostLink : LaunchKind::HostProgram;
    else
        launch.kind = LaunchKind::Other;
}

}  // namespace

bool IsWineProgram(const std::string& word) {
    const std::string name = BaseName(word);
    std::string_view rest = name;
    if (rest.substr(0, 4) != "wine") return false;
    rest.remove_prefix(4);
    if (rest.substr(0, 2) == "64") rest.remove_prefix(2);
    if (rest.empty()) return true;
    // "-stable", "-development", "-staging": a dash and a lower-case word.
    if (rest.front() != '-' || rest.size() < 2) return false;
    for (const char c : rest.substr(1))
        if (!std::islower(static_cast<unsigned char>(c))) return false;
    return true;
}

bool IsWindowsDrivePath(const std::string& path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

std::optional<WineLaunch> ReadWineLaunch(const std::vector<std::string>& words) {
    WineLaunch launch;
    std::size_t i = 0;
    if (i < words.size() && BaseName(words[i]) == "env") {
        ++i;
        while (i < words.size()) {
            const std::string& word = words[i];
            if (word == "-i" || word == "--ignore-environment" || word == "-") {
                ++i;
            } else if (word == "-u" || word == "--unset") {
                i += 2;
            } else if (word.rfind("--unset=", 0) == 0) {
                ++i;
            } else if (const auto eq = word.find('=');
                       eq != std::string::npos && eq > 0 && word[0] != '-') {
                if (word.compare(0, eq, "WINEPREFIX") == 0) launch.winePrefix = word.substr(eq + 1);
                ++i;
            } else {
                break;
            }
        }
    }
    if (i >= words.size() || !IsWineProgram(words[i])) return std::nullopt;
    launch.wineProgram = words[i++];
    if (i >= words.size()) return launch;  // wine alone: nothing to check

    if (!IsStart(words[i])) {
        SetPathTarget(launch, words[i], false);
        return launch;
    }
    // start.exe and its switches, then what it opens.
    ++i;
    while (i < words.size()) {
        const std::string lower = Lower(words[i]);
        if (lower == "/unix") {
            if (i + 1 < words.size()) SetPathTarget(launch, words[i + 1], true);
            return launch;
        }
        if (lower == "/progidopen") {
            if (i + 1 < words.size()) {
                launch.kind = LaunchKind::ProgId;
                launch.target = words[i + 1];
            }
            return launch;
        }
        if (lower.size() > 1 && lower.front() == '/' && lower.find('/', 1) == std::string::npos &&
            lower.find('\\') == std::string::npos && lower.find('.') == std::string::npos) {
            // a switch (/wait, /min, /d folder...), not a host path
            i += StartSwitchTakesValue(lower) ? 2 : 1;
            continue;
        }
        if (words[i].find("://") != std::string::npos) {
            launch.kind = LaunchKind::Other;
            launch.target = words[i];
            return launch;
        }
        SetPathTarget(launch, words[i], false);
        return launch;
    }
    return launch;
}

}  // namespace vostrel::menus
