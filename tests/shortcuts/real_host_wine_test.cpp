// The shortcut walk on a prefix laid out as wineboot lays it out on a real
// machine: z: is the host's root, the user's Desktop, Documents and
// Templates are links into the home folder, and the home holds another
// prefix. A test folder stands in for "/": in it a home folder, this prefix
// (~/.wine) and a second one (~/Games/other), and a folder of the host's own.
// Every shortcut is made by Wine's shell.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "results/repair.h"
#include "scan/catalogue.h"
#include "session/scan_session.h"
#include "shortcuts/drive_walk.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "system/settings.h"
#include "system/text.h"
#include "system/wine/wine_drives.h"
#include "system/wine/wine_files.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

struct RealHost {
    TempDir root;
    std::string host, home, prefix, other, user;
    bool made = false;

    std::string C(const std::string& rel) const { return prefix + "/drive_c/" + rel; }
};

RealHost& Host() {
    static RealHost h;
    return h;
}

std::string ShellFolderLinks(RealHost& h) {
    for (const auto& entry : fs::directory_iterator(h.prefix + "/drive_c/users"))
        if (entry.path().filename() != "Public") h.user = entry.path().filename().string();
    for (const char* name : {"Desktop", "Documents", "Templates"}) {
        const fs::path link = h.C("users/" + h.user + "/" + name);
        fs::remove_all(link);
        fs::create_directory_symlink(h.home + "/" + name, link);
    }
    return "C:\\users\\" + h.user;
}

bool MakeRealHost() {
    RealHost& h = Host();
    h.host = h.root / "host";
    h.home = h.host + "/home/ann";
    h.prefix = h.home + "/.wine";
    h.other = h.home + "/Games/other";
    for (const char* folder : {"Desktop/Deep", "Documents", "Templates", "Games"})
        fs::create_directories(h.home + "/" + folder);
    fs::create_directories(h.host + "/data");
    fs::create_directories(h.host + "/outside");
    fs::create_directories(h.host + "/outside2");
    CopyTemplatePrefix(h.prefix);
    CopyTemplatePrefix(h.other);
    fs::remove(h.prefix + "/dosdevices/z:");
    fs::create_directory_symlink(h.host, h.prefix + "/dosdevices/z:");
    const std::string profile = ShellFolderLinks(h);
    for (const char* folder : {"mine", "swap", "swap2"}) fs::create_directories(h.C(folder));

    std::string script;
    auto link = [&script](const std::string& at, const std::string& target) {
        script += ShortcutScript(at, target);
    };
    link(profile + "\\Desktop\\Broken Desktop.lnk", "C:\\gone\\desk.exe");
    link(profile + "\\Desktop\\Good Desktop.lnk", "C:\\windows\\notepad.exe");
    link(profile + "\\Desktop\\Deep\\Deep Broken.lnk", "C:\\gone\\deep.exe");
    link(profile + "\\Documents\\Broken Doc.lnk", "C:\\gone\\doc.exe");
    link(profile + "\\Documents\\Good Doc.lnk", "C:\\windows\\notepad.exe");
    link(profile + "\\Templates\\Broken Template.lnk", "C:\\gone\\template.exe");
    link("Z:\\home\\ann\\Games\\other\\drive_c\\users\\Public\\Desktop\\Other Broken.lnk",
         "C:\\gone\\other.exe");
    link("Z:\\data\\Broken Host.lnk", "C:\\gone\\host.exe");
    link("Z:\\data\\Good Host.lnk", "C:\\windows\\notepad.exe");
    link("C:\\users\\Public\\Desktop\\Planted Public.lnk", "C:\\gone\\public.exe");
    link("C:\\mine\\Planted Own.lnk", "C:\\gone\\own.exe");
    link("C:\\swap\\Swapped.lnk", "C:\\gone\\swap.exe");
    link("C:\\swap2\\Swapped.lnk", "C:\\gone\\swap.exe");
    link("Z:\\outside\\Swapped.lnk", "C:\\gone\\swap.exe");
    link("Z:\\outside2\\Swapped.lnk", "C:\\gone\\swap.exe");
    {
        std::ofstream out(h.C("make-links.vbs"), std::ios::binary);
        out << script;
    }
    const int status = RunWine(h.prefix, {"wscript", "C:\\make-links.vbs"});
    WaitForWineserver(h.prefix);
    fs::remove(h.C("make-links.vbs"));
    if (status != 0 || !fs::exists(h.host + "/outside2/Swapped.lnk")) return false;

    // A FIFO named like a link, in the prefix and on the host: opening it
    // for reading would block.
    if (::mkfifo(h.C("mine/x.lnk").c_str(), 0600) != 0) return false;
    if (::mkfifo((h.host + "/data/x.lnk").c_str(), 0600) != 0) return false;
    // A folder link from the prefix out to the host.
    fs::create_directory_symlink(h.host + "/data", h.C("mine/to-host-data"));
    return true;
}

class RealHostWalk : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!WineAvailable()) return;
        Host().made = MakeRealHost();
    }
    static void TearDownTestSuite() {
        if (WineAvailable() && !Host().prefix.empty()) {
            KillWineserver(Host().prefix);
            KillWineserver(Host().other);
        }
    }

    void SetUp() override {
        if (!WineAvailable()) GTEST_SKIP() << "wine is not installed";
        ASSERT_TRUE(Host().made) << "the test host could not be made";
        settings_.Save("txtBackup", backups_.path());
    }

    std::set<std::string> Rows() const {
        std::set<std::string> rows;
        for (const auto& row : session_.result.problems.Of<ShortcutProblem>())
            rows.insert(row.path);
        return rows;
    }

    // The drive rows of the catalogue that are checked, walked as a scan does.
    void ScanCheckedDrives() {
        LoadCatalogue(session_);
        const auto& list = session_.request.sections;
        for (std::size_t i = 1; i <= list.Count(); ++i)
            if (const auto drive = DriveOfCatalogueRow(list.Text(i)); drive && list.Checked(i))
                ScanDriveForShortcuts(session_, *drive);
    }

    const RealHost& h_ = Host();
    WineFileSystem files_{Host().prefix, {}};
    EmptyRegistry registry_;
    AnsweringObserver observer_;
    TempDir settingsDir_;
    TempDir backups_;
    IniSettingsStore settings_{settingsDir_ / "settings.ini"};
    ScanSession session_{registry_, files_, settings_, observer_};
};

}  // namespace

TEST_F(RealHostWalk, ZIsTheHostsDriveUncheckedUntilChosenAndSaysWhereItLeads) {
    EXPECT_TRUE(files_.OwnerOfDrive('C').machineOwn);
    const DriveOwner z = files_.OwnerOfDrive('z');
    EXPECT_FALSE(z.machineOwn);
    EXPECT_EQ(z.hostFolder, RealHostPath(h_.host).value_or("?"));

    LoadCatalogue(session_);
    std::map<std::string, bool> checked;
    const auto& list = session_.request.sections;
    for (std::size_t i = 1; i <= list.Count(); ++i) checked[list.Text(i)] = list.Checked(i);
    ASSERT_TRUE(checked.count("Window Shortcut C") && checked.count("Window Shortcut Z"));
    EXPECT_TRUE(checked["Window Shortcut C"]);
    EXPECT_FALSE(checked["Window Shortcut Z"]);
    EXPECT_TRUE(checked["Registry Integrity"]);
    EXPECT_EQ(CatalogueRowNote(session_, "Window Shortcut C"), "");
    EXPECT_NE(CatalogueRowNote(session_, "Window Shortcut Z").find(z.hostFolder),
              std::string::npos);

    // A choice the user made is kept under the same key.
    settings_.Save("Window Shortcut Z", "True");
    LoadCatalogue(session_);
    for (std::size_t i = 1; i <= list.Count(); ++i)
        if (list.Text(i) == "Window Shortcut Z") {
            EXPECT_TRUE(list.Checked(i));
        }
}

TEST_F(RealHostWalk, DefaultDriveRowsFindOnlyWhatIsBrokenInsideThePrefix) {
    ScanCheckedDrives();
    const std::string profile = "C:\\users\\" + h_.user;
    // Documents, Templates, the Desktop's sub-folder, the other prefix and
    // the host folder behind C:\mine\to-host-data are all outside; the
    // FIFOs did not stop the walk.
    EXPECT_EQ(Rows(), (std::set<std::string>{profile + "\\Desktop\\Broken Desktop.lnk",
                                             "C:\\users\\Public\\Desktop\\Planted Public.lnk",
                                             "C:\\mine\\Planted Own.lnk", "C:\\swap\\Swapped.lnk",
                                             "C:\\swap2\\Swapped.lnk"}));
    EXPECT_TRUE(session_.result.unreadable.Empty());
}

TEST_F(RealHostWalk, ZCheckedOnPurposeFindsHostShortcutsButNoPrefix) {
    ScanDriveForShortcuts(session_, "Z:\\");
    const auto rows = Rows();
    EXPECT_TRUE(rows.count("Z:\\data\\Broken Host.lnk"));
    EXPECT_TRUE(rows.count("Z:\\home\\ann\\Documents\\Broken Doc.lnk"));
    EXPECT_TRUE(rows.count("Z:\\home\\ann\\Desktop\\Deep\\Deep Broken.lnk"));
    EXPECT_FALSE(rows.count("Z:\\data\\Good Host.lnk"));
    for (const auto& row : rows) {
        EXPECT_FALSE(ContainsNoCase(row, "\\.wine\\")) << row;
        EXPECT_FALSE(ContainsNoCase(row, "\\Games\\")) << row;
    }
}

TEST_F(RealHostWalk, AFolderSwappedForALinkDuringTheRepairSendsNoDeletionOutside) {
    ScanFolderForShortcuts(session_, "C:\\swap\\");
    ASSERT_EQ(Rows(), std::set<std::string>{"C:\\swap\\Swapped.lnk"});
    const std::string victim = h_.host + "/outside/Swapped.lnk";
    bool swapped = false;
    RepairOptions options;
    // The first step is the shortcut's backup record: the file has been
    // checked, and now its folder becomes a link to the host.
    options.afterStep = [&] {
        if (swapped) return;
        swapped = true;
        fs::rename(h_.C("swap"), h_.C("swap.old"));
        fs::create_directory_symlink(h_.host + "/outside", h_.C("swap"));
    };
    const RepairOutcome outcome = RepairAll(session_, options);
    ASSERT_TRUE(swapped);
    EXPECT_TRUE(fs::exists(victim));
    // The file is looked at again right before its removal: its folder is a
    // link out of the prefix now, so nothing is removed and it is kept.
    EXPECT_TRUE(fs::exists(h_.C("swap.old/Swapped.lnk")));
    EXPECT_EQ(outcome.removed, 0);
    EXPECT_EQ(outcome.kept, 1);
}

TEST_F(RealHostWalk, AFolderSwappedBetweenScanAndRepairKeepsTheShortcutAndSaysWhy) {
    ScanFolderForShortcuts(session_, "C:\\swap2\\");
    ASSERT_EQ(Rows(), std::set<std::string>{"C:\\swap2\\Swapped.lnk"});
    fs::rename(h_.C("swap2"), h_.C("swap2.old"));
    fs::create_directory_symlink(h_.host + "/outside2", h_.C("swap2"));
    std::vector<RepairEvent> events;
    RepairOptions options;
    options.onEvent = [&](const RepairEvent& e) { events.push_back(e); };
    const RepairOutcome outcome = RepairAll(session_, options);
    EXPECT_TRUE(fs::exists(h_.host + "/outside2/Swapped.lnk"));
    EXPECT_TRUE(fs::exists(h_.C("swap2.old/Swapped.lnk")));
    EXPECT_EQ(outcome.removed, 0);
    EXPECT_EQ(outcome.kept, 1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].what, RepairEvent::What::Kept);
    EXPECT_EQ(events[0].item, "C:\\swap2\\Swapped.lnk");
    EXPECT_EQ(events[0].why, "its folder now leads out of the prefix");
}

TEST_F(RealHostWalk, AShortcutMendedOrReplacedSinceTheScanIsKept) {
    ScanFolderForShortcuts(session_, "C:\\mine\\");
    ASSERT_EQ(Rows(), std::set<std::string>{"C:\\mine\\Planted Own.lnk"});
    // The target came back: the shortcut is no longer broken.
    fs::create_directories(h_.C("gone"));
    WriteTextFile(h_.C("gone/own.exe"), "MZ");
    std::vector<RepairEvent> events;
    RepairOptions options;
    options.onEvent = [&](const RepairEvent& e) { events.push_back(e); };
    RepairAll(session_, options);
    fs::remove_all(h_.C("gone"));
    EXPECT_TRUE(fs::exists(h_.C("mine/Planted Own.lnk")));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].why, "its target exists again");
}
