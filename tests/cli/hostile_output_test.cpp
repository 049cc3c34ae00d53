// vostrel-cli against names and files that are not what they seem, run as a
// program on a real Wine prefix: control characters in a value's name reach
// the terminal escaped (the JSON carries them as JSON escapes), a name
// holding a line break goes onto the ignore list and off it again without
// damaging the list, a line the list cannot understand is a warning, and a
// restore from another user's backup folder is refused.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>

#include "support/cli_runner.h"
#include "support/special_files.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"

namespace fs = std::filesystem;

namespace vostrel {
namespace {

using testing::CliRun;
using Strings = std::vector<std::string>;

constexpr const char* kStartup = "Windows Startup";
constexpr const char* kRunKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// ESC ] 0 ; ... BEL retitles a terminal window; CSI 2 J clears it.
const std::string kHostileName =
    "Evil\x1b]0;owned\x07Tool\x1b[2J\x7f\xc2\x9b"
    "1m";
const std::string kBrokenName = "line one\nline two";

bool HasRawControl(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7f) return true;
        if (c == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(text[i + 1]) <= 0x9f)
            return true;
    }
    return false;
}

class CliHostile : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
        prefix_ = home_ / "prefix";
        testing::CopyTemplatePrefix(prefix_);
        for (const std::string& name : {kHostileName, kBrokenName, std::string("Plain Tool")})
            EXPECT_EQ(testing::RunWine(prefix_, {"reg", "add", kRunKey, "/v", name, "/d",
                                                 "C:\\Program Files\\Gone\\gone.exe", "/f"}),
                      0);
        testing::WaitForWineserver(prefix_);
    }

    CliRun Cli(const Strings& args) { return testing::RunCliPrivately(home_.path(), args); }

    nlohmann::json Scan() {
        const CliRun run = Cli({"scan", "--prefix", prefix_, "--sections", kStartup, "--json"});
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::json::parse(run.out);
    }

    std::string IdOf(const nlohmann::json& scan, const std::string& value) {
        for (const auto& p : scan.at("registry"))
            if (p.at("value") == value) return p.at("id");
        ADD_FAILURE() << value << " not found";
        return {};
    }

    testing::TempDir home_;
    std::string prefix_;
};

TEST_F(CliHostile, ControlCharactersInNamesReachTheTerminalEscaped) {
    const nlohmann::json scan = Scan();
    // The JSON keeps the names whole, its own escapes standing for controls.
    ASSERT_FALSE(IdOf(scan, kHostileName).empty());
    for (const Strings& args :
         {Strings{"scan", "--prefix", prefix_, "--sections", kStartup},
          Strings{"repair", "--prefix", prefix_, "--sections", kStartup, "--dry-run"}}) {
        SCOPED_TRACE(args.at(0) + " " + args.back());
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_FALSE(HasRawControl(run.out)) << run.out;
        EXPECT_FALSE(HasRawControl(run.err)) << run.err;
        if (args.at(0) != "repair") continue;
        // The dry run names the values it would remove.
        EXPECT_NE(run.out.find("Evil\\x1B]0;owned\\x07Tool\\x1B[2J\\x7F\\u009B1m"),
                  std::string::npos)
            << run.out;
        EXPECT_NE(run.out.find("value Plain Tool\n"), std::string::npos) << run.out;
    }
}

// The scan's JSON goes out problem by problem; whatever the names hold it is
// the text the JSON library writes for the same document, and the same
// document the repair reports as found.
TEST_F(CliHostile, TheJsonIsTheLibrarysTextWhateverTheNamesHold) {
    const std::string quoted = "Say \"hi\" \\ there";
    EXPECT_EQ(testing::RunWine(prefix_, {"reg", "add", kRunKey, "/v", quoted, "/d",
                                         "C:\\Gone Too\\q.exe", "/f"}),
              0);
    testing::WaitForWineserver(prefix_);
    // A name Wine's file spells with a lone surrogate: read as WTF-8, which
    // the JSON library writes as a replacement character.
    {
        std::string reg = testing::ReadTextFile(prefix_ + "/system.reg");
        const std::string header = "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run]";
        const std::size_t at = reg.find(header);
        ASSERT_NE(at, std::string::npos);
        const std::size_t time = reg.find("\n#time=", at);
        ASSERT_NE(time, std::string::npos);
        const std::size_t lineEnd = reg.find('\n', time + 1);
        reg.insert(lineEnd + 1, "\"Lone\\xd800Half\"=\"C:\\\\Gone\\\\half.exe\"\n");
        testing::WriteTextFile(prefix_ + "/system.reg", reg);
    }
    const CliRun run = Cli({"scan", "--prefix", prefix_, "--sections", kStartup, "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto scan = nlohmann::json::parse(run.out);
    EXPECT_EQ(run.out, scan.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
    std::set<std::string> names;
    for (const auto& p : scan.at("registry")) names.insert(p.at("value"));
    for (const std::string& name : {kHostileName, kBrokenName, quoted, std::string("Plain Tool")})
        EXPECT_EQ(names.count(name), 1u) << name;
    // The surrogate's three bytes each stand as a replacement character.
    EXPECT_EQ(names.count("Lone\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDHalf"), 1u) << run.out;

    const CliRun dry =
        Cli({"repair", "--prefix", prefix_, "--sections", kStartup, "--dry-run", "--json"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    auto found = nlohmann::json::parse(dry.out).at("found");
    auto scanned = scan;
    for (auto* doc : {&found, &scanned}) {
        doc->erase("started");
        doc->erase("finished");
    }
    EXPECT_EQ(scanned, found);
}

TEST_F(CliHostile, ANameWithALineBreakGoesOnTheIgnoreListAndOffAgain) {
    const nlohmann::json scan = Scan();
    CliRun run = Cli(
        {"ignore", "add", IdOf(scan, kBrokenName), "--prefix", prefix_, "--sections", kStartup});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(HasRawControl(run.out)) << run.out;
    // Every later command still reads the list, and the entry applies.
    const nlohmann::json after = Scan();
    EXPECT_EQ(after.at("ignored"), 1);
    for (const auto& p : after.at("registry")) EXPECT_NE(p.at("value"), kBrokenName);
    run = Cli({"ignore", "list", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto entries = nlohmann::json::parse(run.out).at("entries");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].at("value"), kBrokenName);
    run = Cli({"ignore", "remove", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Scan().at("ignored"), 0);
}

}  // namespace
}  // namespace vostrel
