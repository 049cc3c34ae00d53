// The Wine backend against Wine itself: a Windows program built with
// mingw-w64 lists, looks up and shortens names under wine in a fresh
// prefix, and the backend must answer the same for the same prefix.
// Skipped when wine or the mingw-w64 compiler is not installed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>

#include "support/temp_dir.h"
#include "system/text.h"
#include "system/wine/wine_files.h"
#include "system/wine/wine_shortname.h"

namespace vostrel {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteTextFile;

constexpr const char* kCompiler = "x86_64-w64-mingw32-gcc";

bool OnPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string RunAndRead(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    while (std::size_t got = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, got);
    pclose(pipe);
    return output;
}

// Names a Windows program could create, with blanks, dots, characters 8.3
// names forbid and a few outside ASCII, from a fixed seed.
std::vector<std::string> GeneratedNames(std::size_t count) {
    static const std::vector<std::string> pieces = {"a",
                                                    "b",
                                                    "c",
                                                    "X",
                                                    "Y",
                                                    "Z",
                                                    "0",
                                                    "1",
                                                    "9",
                                                    " ",
                                                    ".",
                                                    "+",
                                                    ",",
                                                    ";",
                                                    "=",
                                                    "[",
                                                    "]",
                                                    "_",
                                                    "-",
                                                    "~",
                                                    "'",
                                                    "!",
                                                    "#",
                                                    "$",
                                                    "%",
                                                    "&",
                                                    "(",
                                                    ")",
                                                    "@",
                                                    "^",
                                                    "`",
                                                    "{",
                                                    "}",
                                                    "\xC3\xA9",
                                                    "\xC3\x84",
                                                    "\xC3\x9F",
                                                    "\xE6\x97\xA5",
                                                    "long",
                                                    "Name",
                                                    "txt"};
    std::mt19937 random(2006);
    std::vector<std::string> names;
    std::set<std::u16string> seen;
    while (names.size() < count) {
        std::string name;
        const std::size_t length = 1 + random() % 12;
        for (std::size_t i = 0; i < length; ++i) name += pieces[random() % pieces.size()];
        std::u16string key = Utf8ToUtf16(name);
        for (auto& c : key) c = UpcaseUnit(c);
        if (name == "." || name == ".." || !seen.insert(key).second) continue;
        names.push_back(name);
    }
    return names;
}

struct Answer {
    std::string head;                  // the command line as echoed, status included
    std::vector<std::string> entries;  // "0xATTR<TAB>name<TAB>short"
    bool operator==(const Answer&) const = default;
};

std::vector<Answer> ParseAnswers(const std::string& output) {
    std::vector<Answer> answers;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line[0] == '\t' && !answers.empty())
            answers.back().entries.push_back(line.substr(1));
        else
            answers.push_back(Answer{line, {}});
    }
    return answers;
}

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

// The same answers from the backend.
Answer Ask(WineFileSystem& files, const std::string& command, const std::string& argument) {
    if (command == "find") {
        std::vector<FindData> found;
        const LONG status = files.FindFiles(argument, &found);
        if (status != ERROR_SUCCESS)
            return {"find\t" + argument + "\terror " + std::to_string(status), {}};
        Answer answer{"find\t" + argument, {}};
        for (const auto& entry : found)
            answer.entries.push_back(Hex(entry.attributes) + "\t" + entry.name + "\t" +
                                     entry.shortName);
        return answer;
    }
    if (command == "short") {
        const std::string shortPath = files.GetShortPathName(argument);
        return {"short\t" + argument + "\t" + shortPath + "\terror " +
                    (shortPath.empty() ? "?" : "0"),
                {}};
    }
    const DWORD attributes = files.GetFileAttributes(argument);
    return {"attr\t" + argument + "\t" + Hex(attributes) + "\terror " +
                (attributes == INVALID_FILE_ATTRIBUTES ? "?" : "0"),
            {}};
}

// Wine's error numbers for a failed short path or attribute query are not
// part of the backend's answer; only that it failed.
Answer WithoutErrorNumber(Answer answer) {
    if (answer.head.starts_with("find")) return answer;
    const auto at = answer.head.rfind("\terror ");
    if (at != std::string::npos && answer.head.substr(at) != "\terror 0")
        answer.head = answer.head.substr(0, at) + "\terror ?";
    return answer;
}

TEST(WineFilesLive, AnswersAsWineDoesOnTheSamePrefix) {
    if (!OnPath("wine")) GTEST_SKIP() << "wine is not installed";
    if (!OnPath(kCompiler)) GTEST_SKIP() << kCompiler << " is not installed";

    TempDir dir;
    const std::string prefix = dir / "prefix";
    const std::string probe = dir / "probe.exe";
    const std::string source = std::string(VOSTREL_SOURCE_DIR) + "/tests/system/wine_files_probe.c";
    ASSERT_EQ(std::system((std::string(kCompiler) + " -O1 -o " + Quote(probe) + " " +
                           Quote(source) + " -lshell32")
                              .c_str()),
              0);
    const std::string environment =
        "WINEPREFIX=" + Quote(prefix) + " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' " +
        "LC_ALL=C.UTF-8 HOME=" + Quote(dir.path()) + " XDG_CONFIG_HOME=" + Quote(dir / "config") +
        " XDG_DATA_HOME=" + Quote(dir / "data") + " XDG_CACHE_HOME=" + Quote(dir / "cache") + " ";
    ASSERT_EQ(std::system((environment + "wineboot -i >/dev/null 2>&1").c_str()), 0);

    // The tree both sides look at.
    const std::string t = prefix + "/drive_c/t";
    std::vector<std::string> names = GeneratedNames(150);
    for (const char* fixed : {"Program Files", "Common Files", "a.b.c", "readme", "ABC.TXT",
                              "file.", ".hidden", "a..b", "x.y z", "12345678.123", "1234567.1234"})
        names.push_back(fixed);
    for (const auto& name : names) WriteTextFile(t + "/" + name, "x");
    fs::create_directories(t + "/Sub Dir/Deeper Folder");
    WriteTextFile(t + "/Sub Dir/Deeper Folder/Some File.html", "x");
    chmod((t + "/readme").c_str(), 0444);
    setxattr((t + "/a.b.c").c_str(), "user.DOSATTRIB", "0x6", 3, 0);
    setxattr((t + "/ABC.TXT").c_str(), "user.DOSATTRIB", "0x2", 3, 0);

    std::vector<std::pair<std::string, std::string>> commands;
    for (const char* pattern :
         {"C:\\t\\*", "C:\\t\\*.*", "C:\\t\\??", "C:\\t\\*.txt", "C:\\t\\a*", "C:\\t\\*~*",
          "C:\\t\\?.*", "C:\\t\\Sub Dir\\*", "C:\\*", "C:\\t\\nothere", "C:\\nodir\\x.exe",
          "Q:\\x.exe", "C:\\", "C:\\t\\", "C:", "C:\\t\\readme\\x", "C:\\t\\*\\x",
          "C:\\t\\sub dir\\..\\readme", "c:/t/SUB DIR/deeper folder/*"})
        commands.emplace_back("find", pattern);
    for (const char* path : {"C:\\t\\Sub Dir\\Deeper Folder\\Some File.html", "c:/t/sub dir/",
                             "C:\\t\\.\\Sub Dir\\..\\readme", "C:\\", "C:\\t\\nothere"})
        commands.emplace_back("short", path);
    std::map<std::string, int> shortNameUses;
    for (const auto& name : names) shortNameUses[WineShortName(name)]++;
    for (const auto& name : names) {
        const std::string path = "C:\\t\\" + name;
        commands.emplace_back("find", path);
        commands.emplace_back("find", "C:\\T\\" + UpperAscii(name));
        commands.emplace_back("short", path);
        commands.emplace_back("attr", path);
        const std::string shortName = WineShortName(name);
        if (!shortName.empty() && shortNameUses[shortName] == 1)
            commands.emplace_back("find", "c:\\t\\" + LowerAscii(shortName));
    }
    std::string script;
    for (const auto& [command, argument] : commands) script += command + "\t" + argument + "\n";
    WriteTextFile(prefix + "/drive_c/commands.txt", script);

    const std::string output =
        RunAndRead(environment + "wine " + Quote(probe) + " 'C:\\commands.txt' 2>/dev/null");
    std::system((environment + "wineserver -k >/dev/null 2>&1").c_str());
    const std::vector<Answer> wine = ParseAnswers(output);
    ASSERT_EQ(wine.size(), commands.size()) << output.substr(0, 2000);

    WineFileSystem files(prefix, {});
    int mismatches = 0;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const Answer ours = Ask(files, commands[i].first, commands[i].second);
        const Answer theirs = WithoutErrorNumber(wine[i]);
        if (ours == theirs || ++mismatches > 20) continue;
        std::string text = "wine: " + theirs.head + "\n";
        for (const auto& e : theirs.entries) text += "    " + e + "\n";
        text += "ours: " + ours.head + "\n";
        for (const auto& e : ours.entries) text += "    " + e + "\n";
        ADD_FAILURE() << text;
    }
    EXPECT_EQ(mismatches, 0) << "of " << commands.size() << " commands";
}

}  // namespace
}  // namespace vostrel
