// The lists the shell's completion offers, and the bash completion itself:
// "backups --names" prints the backups "restore" takes, one a line, and the
// bash completion offers the program's own section rows after --sections
// (each after the rows already typed) and the backups' names after
// "restore", quoted for the shell.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "results/backup_file.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"

namespace fs = std::filesystem;

namespace vostrel {
namespace {

using testing::CliRun;
using Lines = std::vector<std::string>;

Lines LinesOf(const std::string& text) {
    Lines lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

// A backup file as a repair leaves it: its records, and beside it the
// machine it was taken from (none for a backup of an older version).
void PlantBackup(const std::string& folder, const std::string& name, const std::string& machine) {
    const std::string path = folder + "/" + name;
    testing::WriteTextFile(path, "R|HKEY_LOCAL_MACHINE|Software\\Gone|C:\\gone.exe|Path|0\n");
    if (machine.empty()) return;
    fs::create_directories(ShortcutCopiesFolder(path));
    testing::WriteTextFile(ShortcutCopiesFolder(path) + "/" + std::string(kBackupMachineFileName),
                           machine + "\n");
}

class CliCompletion : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
        prefix_ = home_ / "prefix";
        testing::CopyTemplatePrefix(prefix_);
        backups_ = home_ / "backups";
        fs::create_directories(backups_);
        const std::string machine = MachineIdentityOf(prefix_);
        PlantBackup(backups_, "BackUp 02-01-26 09-15-00", machine);
        PlantBackup(backups_, "BackUp 01-02-26 10-00-00", machine);
        PlantBackup(backups_, "BackUp 03-03-26 11-30-00", "");  // prefix unknown: listed
        PlantBackup(backups_, "BackUp 04-04-26 12-00-00", home_ / "another prefix");
        testing::WriteTextFile(backups_ + "/notes.txt", "not a backup\n");
    }

    CliRun Cli(const Lines& args) { return testing::RunCliPrivately(home_.path(), args); }

    // What the bash completion offers for the command line `words` with the
    // cursor at the end of its last word, one offer a line.
    Lines Complete(const Lines& words) {
        std::string script = "source /usr/share/bash-completion/bash_completion\nsource '" +
                             std::string(VOSTREL_SOURCE_DIR) +
                             "/resources/completions/vostrel-cli.bash'\nCOMP_WORDS=(";
        std::string line;
        for (const auto& word : words) {
            script += testing::ShellQuote(word) + " ";
            line += (line.empty() ? "" : " ") + word;
        }
        script += ")\nCOMP_CWORD=" + std::to_string(words.size() - 1) +
                  "\nCOMP_LINE=" + testing::ShellQuote(line) +
                  "\nCOMP_POINT=${#COMP_LINE}\n_vostrel_cli vostrel-cli " +
                  testing::ShellQuote(words.back()) + " " +
                  testing::ShellQuote(words[words.size() - 2]) +
                  "\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n";
        const std::string file = home_ / "complete.sh";
        testing::WriteTextFile(file, script);
        const std::string program = VOSTREL_CLI;
        const std::string command =
            "cd " + testing::ShellQuote(home_.path()) +
            " && HOME=" + testing::ShellQuote(home_ / "home") +
            " XDG_CONFIG_HOME=" + testing::ShellQuote(home_ / "config") +
            " XDG_DATA_HOME=" + testing::ShellQuote(home_ / "data") +
            " PATH=" + testing::ShellQuote(fs::path(program).parent_path().string()) +
            ":\"$PATH\" bash " + testing::ShellQuote(file) + " 2>&1";
        std::string out;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
                out.append(buffer, n);
            EXPECT_EQ(pclose(pipe), 0) << out;
        }
        Lines offers = LinesOf(out);
        if (offers == Lines{""}) offers.clear();
        return offers;
    }

    testing::TempDir home_;
    std::string prefix_, backups_;
};

TEST_F(CliCompletion, BackupNamesAreTheOnesOfThePrefixOneALine) {
    const CliRun run = Cli({"backups", "--prefix", prefix_, "--backup-dir", backups_, "--names"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(LinesOf(run.out), (Lines{"BackUp 01-02-26 10-00-00", "BackUp 02-01-26 09-15-00",
                                       "BackUp 03-03-26 11-30-00"}));
    // The same backups the table lists.
    const CliRun table = Cli({"backups", "--prefix", prefix_, "--backup-dir", backups_});
    for (const auto& name : LinesOf(run.out))
        EXPECT_NE(table.out.find("\n" + name + " "), std::string::npos) << table.out;
    EXPECT_EQ(table.out.find("04-04-26"), std::string::npos) << table.out;
    // Nothing else, not even a heading, when there are none.
    const CliRun none =
        Cli({"backups", "--prefix", prefix_, "--backup-dir", home_ / "empty", "--names"});
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(Cli({"backups", "--names", "--json"}).status, 2);
}

TEST_F(CliCompletion, BashOffersTheProgramsSectionRows) {
    if (!fs::exists("/usr/share/bash-completion/bash_completion"))
        GTEST_SKIP() << "bash-completion is not installed";
    const CliRun listed = Cli({"scan", "--prefix", prefix_, "--list-sections"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    Lines quoted;
    for (const auto& row : LinesOf(listed.out)) {
        std::string escaped;
        for (const char c : row) escaped += c == ' ' ? std::string("\\ ") : std::string(1, c);
        quoted.push_back(escaped);
    }
    ASSERT_GT(quoted.size(), 11u);
    EXPECT_EQ(Complete({"vostrel-cli", "scan", "--prefix", prefix_, "--sections", ""}), quoted);
    // After the rows already typed, in any letter case.
    EXPECT_EQ(Complete({"vostrel-cli", "repair", "--prefix", prefix_, "--sections",
                        "Help\\ Files\\;vir"}),
              Lines{"Help\\ Files\\;Virtual\\ Devices"});
    EXPECT_EQ(Complete({"vostrel-cli", "ignore", "add", "--prefix", prefix_, "--sections",
                        "Custom\\ Controls\\;\\ Window\\ Shortcut\\ C"}),
              Lines{"Custom\\ Controls\\;Window\\ Shortcut\\ C"});
    EXPECT_EQ(Complete({"vostrel-cli", "scan", "--prefix", prefix_, "--sections", "Registry\\ D"}),
              Lines{});
    // No prefix to ask about: no rows, and no error on the line.
    EXPECT_EQ(Complete({"vostrel-cli", "scan", "--prefix", home_ / "none", "--sections", ""}),
              Lines{});
}

TEST_F(CliCompletion, BashOffersTheBackupsRestoreTakes) {
    if (!fs::exists("/usr/share/bash-completion/bash_completion"))
        GTEST_SKIP() << "bash-completion is not installed";
    EXPECT_EQ(Complete(
                  {"vostrel-cli", "restore", "--prefix", prefix_, "--backup-dir", backups_, ""}),
              (Lines{"BackUp\\ 01-02-26\\ 10-00-00", "BackUp\\ 02-01-26\\ 09-15-00",
                     "BackUp\\ 03-03-26\\ 11-30-00"}));
    EXPECT_EQ(Complete({"vostrel-cli", "restore", "--prefix", prefix_, "--backup-dir", backups_,
                        "backup\\ 02"}),
              Lines{"BackUp\\ 02-01-26\\ 09-15-00"});
    // A path is completed as a file's.
    const Lines files = Complete({"vostrel-cli", "restore", backups_ + "/no"});
    EXPECT_EQ(files, Lines{backups_ + "/notes.txt"});
    // The options after a dash.
    const Lines options = Complete({"vostrel-cli", "backups", "--n"});
    EXPECT_EQ(options, Lines{"--names"});
}

}  // namespace
}  // namespace vostrel
