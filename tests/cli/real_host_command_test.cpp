// vostrel-cli scan and repair with default settings, run as programs on a
// prefix laid out as wineboot lays it out on a real machine: z: is the
// host's root and the user's Desktop, Documents and Templates are links into
// the home folder. A test folder stands in for "/": it holds the home, this
// prefix (~/.wine), a second prefix (~/Games/other) and a folder of the
// host's own, with shortcuts made by Wine's shell to present and missing
// programs everywhere outside this prefix. Nothing of it is this prefix's
// problem, so the scan lists nothing and the repair changes no file outside
// the prefix.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "support/cli_runner.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"

namespace vostrel {
namespace {

namespace fs = std::filesystem;

// Every entry below `root` except the folder `skip`: its kind, mode, and
// its contents or where it links to.
std::map<std::string, std::string> Snapshot(const fs::path& root, const fs::path& skip) {
    std::map<std::string, std::string> seen;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const fs::path& path = it->path();
        if (path == skip) {
            it.disable_recursion_pending();
            continue;
        }
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) continue;
        std::string what = std::to_string(st.st_mode) + " ";
        if (S_ISLNK(st.st_mode)) {
            what += "-> " + fs::read_symlink(path).string();
        } else if (S_ISREG(st.st_mode)) {
            std::ifstream in(path, std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            what += bytes.str();
        }
        seen[path.string()] = what;
    }
    return seen;
}

class RealHostCommand : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
        host_ = root_ / "host";
        home_ = host_ + "/home/ann";
        prefix_ = home_ + "/.wine";
        for (const char* folder : {"Desktop/Deep", "Documents", "Templates", "Games"})
            fs::create_directories(home_ + "/" + folder);
        fs::create_directories(host_ + "/data");
        testing::CopyTemplatePrefix(prefix_);
        testing::CopyTemplatePrefix(home_ + "/Games/other");
        fs::remove(prefix_ + "/dosdevices/z:");
        fs::create_directory_symlink(host_, prefix_ + "/dosdevices/z:");
        std::string user;
        for (const auto& entry : fs::directory_iterator(prefix_ + "/drive_c/users"))
            if (entry.path().filename() != "Public") user = entry.path().filename().string();
        ASSERT_FALSE(user.empty());
        for (const char* name : {"Desktop", "Documents", "Templates"}) {
            const fs::path link = prefix_ + "/drive_c/users/" + user + "/" + name;
            fs::remove_all(link);
            fs::create_directory_symlink(home_ + "/" + name, link);
        }
        const std::string profile = "C:\\users\\" + user;
        std::string script;
        auto link = [&script](const std::string& at, const std::string& target) {
            script += testing::ShortcutScript(at, target);
        };
        // Directly on the linked Desktop only shortcuts whose programs exist:
        // that folder's own files are checked.
        link(profile + "\\Desktop\\Notepad.lnk", "C:\\windows\\notepad.exe");
        link(profile + "\\Desktop\\Deep\\Broken Deep.lnk", "C:\\gone\\deep.exe");
        link(profile + "\\Documents\\Broken Doc.lnk", "C:\\gone\\doc.exe");
        link(profile + "\\Documents\\Notepad.lnk", "C:\\windows\\notepad.exe");
        link(profile + "\\Templates\\Broken Template.lnk", "C:\\gone\\template.exe");
        link("Z:\\home\\ann\\Games\\other\\drive_c\\users\\Public\\Desktop\\Other Broken.lnk",
             "C:\\gone\\other.exe");
        link("Z:\\data\\Broken Host.lnk", "C:\\gone\\host.exe");
        testing::WriteTextFile(prefix_ + "/drive_c/make-links.vbs", script);
        int status = testing::RunWine(prefix_, {"wscript", "C:\\make-links.vbs"});
        testing::WaitForWineserver(prefix_);
        // Wine under load sometimes fails to start the script host; writing
        // the same links again is harmless.
        if (status != 0) {
            status = testing::RunWine(prefix_, {"wscript", "C:\\make-links.vbs"});
            testing::WaitForWineserver(prefix_);
        }
        fs::remove(prefix_ + "/drive_c/make-links.vbs");
        ASSERT_EQ(status, 0);
        ASSERT_TRUE(fs::exists(host_ + "/data/Broken Host.lnk"));
        ASSERT_TRUE(fs::exists(home_ + "/Documents/Broken Doc.lnk"));
    }
    void TearDown() override {
        if (!prefix_.empty()) testing::KillWineserver(prefix_);
    }

    // Runs vostrel-cli with private settings, data and backup folders.
    int Cli(const std::vector<std::string>& args, std::string* out) {
        const testing::CliRun run = testing::RunCliPrivately(data_.path(), args);
        *out = run.out + run.err;
        return run.status;
    }

    testing::TempDir root_, data_;
    std::string host_, home_, prefix_;
};

TEST_F(RealHostCommand, DefaultScanFindsNothingAndRepairChangesNothingOutsideThePrefix) {
    const auto before = Snapshot(root_.path(), prefix_);
    std::string out;
    ASSERT_EQ(Cli({"scan", "--prefix", prefix_, "--json", "--quiet"}, &out), 0) << out;
    const auto json = nlohmann::json::parse(out.substr(0, out.rfind('}') + 1));
    EXPECT_TRUE(json.at("registry").empty()) << json.at("registry").dump(1);
    EXPECT_TRUE(json.at("shortcuts").empty()) << json.at("shortcuts").dump(1);

    // The shortcuts outside are real and broken: Z:, chosen on purpose,
    // finds those of the host's own folders, and none of either prefix.
    ASSERT_EQ(Cli({"scan", "--prefix", prefix_, "--sections", "Window Shortcut Z", "--json",
                   "--quiet"},
                  &out),
              0)
        << out;
    std::set<std::string> onZ;
    const auto zJson = nlohmann::json::parse(out.substr(0, out.rfind('}') + 1));
    for (const auto& entry : zJson.at("shortcuts")) onZ.insert(entry.at("path").get<std::string>());
    EXPECT_TRUE(onZ.count("Z:\\data\\Broken Host.lnk")) << out;
    EXPECT_TRUE(onZ.count("Z:\\home\\ann\\Documents\\Broken Doc.lnk")) << out;
    EXPECT_TRUE(onZ.count("Z:\\home\\ann\\Desktop\\Deep\\Broken Deep.lnk")) << out;
    for (const auto& path : onZ) EXPECT_EQ(path.find("\\Games\\"), std::string::npos) << path;

    EXPECT_EQ(
        Cli({"repair", "--prefix", prefix_, "--yes", "--backup-dir", data_ / "backups"}, &out), 0)
        << out;
    testing::KillWineserver(prefix_);
    EXPECT_EQ(Snapshot(root_.path(), prefix_), before);
}

}  // namespace
}  // namespace vostrel
