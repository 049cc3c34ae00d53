// The repair looks at every registry value again right before it removes
// it. On a real Wine prefix, values planted with `wine reg add` are found by
// a scan; then, as a reinstall or the user would between the scan and the
// repair, a program comes back, a value is given other data and another is
// deleted. Those stay as they are, without a record in the backup, and the
// repair counts them as skipped and says why; what is still broken goes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "app/scan_driver.h"
#include "results/backup_codec.h"
#include "results/repair.h"
#include "scan/catalogue.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "system/machine.h"
#include "system/registry.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kAppPathKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\comeback.exe";

class RepairRecheckWine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!WineAvailable()) GTEST_SKIP() << "wine is not installed";
        prefix_ = temp_ / "prefix";
        CopyTemplatePrefix(prefix_);
        // Nothing of the real machine is within the prefix's reach.
        fs::create_directories(temp_ / "host");
        fs::remove(prefix_ + "/dosdevices/z:");
        fs::create_directory_symlink(temp_ / "host", prefix_ + "/dosdevices/z:");
        const std::string run = std::string("HKLM\\") + kRunKey;
        for (const char* name : {"Reinstalled", "Changed", "Deleted", "Ordinary"})
            ASSERT_EQ(RunWine(prefix_, {"reg", "add", run, "/v", name, "/d",
                                        std::string("C:\\Apps\\") + name + ".exe", "/f"}),
                      0);
        ASSERT_EQ(RunWine(prefix_, {"reg", "add", std::string("HKLM\\") + kAppPathKey, "/ve", "/d",
                                    "C:\\Apps\\comeback.exe", "/f"}),
                  0);
        WaitForWineserver(prefix_);
        settings_.Save("txtBackup", temp_ / "backups");
        opened_ = OpenWinePrefix(prefix_);
        ASSERT_TRUE(opened_.machine) << opened_.error;
        session_ = std::make_unique<ScanSession>(*opened_.machine->registry,
                                                 *opened_.machine->files, settings_, observer_);
        LoadCatalogue(*session_);
        for (std::size_t i = 1; i <= session_->request.sections.Count(); ++i) {
            const std::string row = session_->request.sections.Text(i);
            session_->request.sections.SetChecked(i, row == "Windows Startup" ||
                                                         row == "Software Locations");
        }
        RunScan(*session_);
        ASSERT_EQ(Found(), (std::set<std::string>{"(Default)", "Changed", "Deleted", "Ordinary",
                                                  "Reinstalled"}));
    }

    std::set<std::string> Found() const {
        std::set<std::string> names;
        for (const auto& problem : session_->result.problems.Of<RegistryProblem>())
            names.insert(problem.valueName);
        return names;
    }

    // The program a value names is installed again.
    void Install(const std::string& name) {
        fs::create_directories(prefix_ + "/drive_c/Apps");
        WriteTextFile(prefix_ + "/drive_c/Apps/" + name, "MZ");
    }

    std::optional<std::string> ValueNow(const std::string& key, const std::string& name) {
        ScopedKey open(*opened_.machine->registry);
        if (opened_.machine->registry->OpenKeyEx(HKEY_LOCAL_MACHINE, key, KEY_READ, open.out()) !=
            ERROR_SUCCESS)
            return std::nullopt;
        RegValue value;
        if (ReadValueFromKey(*opened_.machine->registry, open.get(), name, value) != ERROR_SUCCESS)
            return std::nullopt;
        return std::get<std::string>(value);
    }

    // The value names the backup holds records for, those of a key taken
    // out whole included.
    std::set<std::string> BackedUp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        const std::string contents((std::istreambuf_iterator<char>(in)), {});
        std::set<std::string> names;
        for (const auto& line : SplitBackupLines(contents)) {
            const auto fields = ParseBackupLine(line);
            if (fields && fields->size() > 4 && (*fields)[0] == "R") names.insert((*fields)[4]);
            if (fields && (*fields)[0] == "K")
                for (std::size_t at = 4; at + 2 < fields->size(); at += 3)
                    names.insert((*fields)[at].empty() ? "(Default)" : (*fields)[at]);
        }
        return names;
    }

    RepairOutcome Repair() {
        RepairOptions options;
        options.onEvent = [this](const RepairEvent& e) { events_.push_back(e); };
        return RepairAll(*session_, options);
    }

    const RepairEvent* EventOf(const std::string& name) const {
        for (const auto& event : events_)
            if (event.item.ends_with(" value " + name)) return &event;
        return nullptr;
    }

    TempDir temp_;
    ScopedEnv home_{"HOME", temp_ / "home"};
    std::string prefix_;
    IniSettingsStore settings_{temp_ / "settings.ini"};
    AnsweringObserver observer_;
    MachineResult opened_;
    std::unique_ptr<ScanSession> session_;
    std::vector<RepairEvent> events_;
};

TEST_F(RepairRecheckWine, WhatChangedSinceTheScanStaysAndWhatIsStillBrokenGoes) {
    Install("Reinstalled.exe");
    Install("comeback.exe");
    SetRegistryValue(session_->registry, HKEY_LOCAL_MACHINE, kRunKey, "Changed",
                     std::string("C:\\Apps\\Other.exe"));
    DeleteRegistryValue(session_->registry, HKEY_LOCAL_MACHINE, kRunKey, "Deleted");

    const RepairOutcome outcome = Repair();
    EXPECT_EQ(outcome.removed, 1);
    EXPECT_EQ(outcome.kept, 0);
    EXPECT_EQ(outcome.skipped.nowPresent, 2);
    EXPECT_EQ(outcome.skipped.changed, 1);
    EXPECT_EQ(outcome.skipped.gone, 1);
    EXPECT_EQ(RepairSkipsText(outcome.skipped),
              "4 were skipped: 2 now present, 1 changed since the scan, 1 gone already.");
    EXPECT_NE(RepairNoticeText(outcome).find(RepairSkipsText(outcome.skipped)), std::string::npos);

    // Only the entry that is still broken was backed up and removed.
    EXPECT_EQ(BackedUp(outcome.backupFilePath), std::set<std::string>{"Ordinary"});
    EXPECT_FALSE(ValueNow(kRunKey, "Ordinary"));
    EXPECT_EQ(ValueNow(kRunKey, "Reinstalled"), "C:\\Apps\\Reinstalled.exe");
    EXPECT_EQ(ValueNow(kRunKey, "Changed"), "C:\\Apps\\Other.exe");
    EXPECT_EQ(ValueNow(kAppPathKey, ""), "C:\\Apps\\comeback.exe");

    ASSERT_TRUE(EventOf("Reinstalled"));
    EXPECT_EQ(EventOf("Reinstalled")->what, RepairEvent::What::Skipped);
    EXPECT_EQ(EventOf("Reinstalled")->why, "now present: C:\\Apps\\Reinstalled.exe is there");
    ASSERT_TRUE(EventOf("(Default)"));
    EXPECT_EQ(EventOf("(Default)")->what, RepairEvent::What::Skipped);
    ASSERT_TRUE(EventOf("Changed"));
    EXPECT_EQ(EventOf("Changed")->what, RepairEvent::What::Skipped);
    EXPECT_TRUE(EventOf("Changed")->why.starts_with("changed since the scan"));
    ASSERT_TRUE(EventOf("Deleted"));
    EXPECT_EQ(EventOf("Deleted")->what, RepairEvent::What::Gone);
    ASSERT_TRUE(EventOf("Ordinary"));
    EXPECT_EQ(events_.back().what, RepairEvent::What::Removed);
    // A skipped entry is no failure: the closing notice is the good one.
    EXPECT_EQ(observer_.questions.back(), Question::FilesRepaired);

    // What the repair wrote is in the prefix's own files.
    opened_ = OpenWinePrefix(prefix_);
    ASSERT_TRUE(opened_.machine) << opened_.error;
    EXPECT_FALSE(ValueNow(kRunKey, "Ordinary"));
    EXPECT_EQ(ValueNow(kRunKey, "Reinstalled"), "C:\\Apps\\Reinstalled.exe");
}

TEST_F(RepairRecheckWine, DataRewrittenTheSameWayIsStillTheScansValue) {
    // An installer that writes the very same data again changes nothing:
    // the program is still gone, so the value still goes.
    SetRegistryValue(session_->registry, HKEY_LOCAL_MACHINE, kRunKey, "Ordinary",
                     std::string("C:\\Apps\\Ordinary.exe"));
    const RepairOutcome outcome = Repair();
    EXPECT_EQ(outcome.removed, 5);
    EXPECT_EQ(outcome.skipped.Total(), 0);
    EXPECT_EQ(RepairNoticeText(outcome), " All Problems were repaired sucessfully !");
    EXPECT_EQ(BackedUp(outcome.backupFilePath),
              (std::set<std::string>{"(Default)", "Changed", "Deleted", "Ordinary",
                                     "Reinstalled"}));
    EXPECT_FALSE(ValueNow(kRunKey, "Ordinary"));
    EXPECT_FALSE(ValueNow(kRunKey, "Reinstalled"));
}

TEST_F(RepairRecheckWine, AValueNamingADriveUnmountedSinceTheScanIsKeptNotRemoved) {
    // The scan saw the drive and no file; then its disk is unmounted (its
    // folder is empty): whether the file is there cannot be told, so the
    // value stays, and is kept with the reason.
    fs::create_directories(temp_ / "d-drive/Other");
    fs::create_directory_symlink(temp_ / "d-drive", prefix_ + "/dosdevices/d:");
    ASSERT_EQ(RunWine(prefix_, {"reg", "add", std::string("HKLM\\") + kRunKey, "/v", "OnD", "/d",
                                "D:\\Tools\\ond.exe", "/f"}),
              0);
    WaitForWineserver(prefix_);
    opened_ = OpenWinePrefix(prefix_);
    ASSERT_TRUE(opened_.machine) << opened_.error;
    session_ = std::make_unique<ScanSession>(*opened_.machine->registry, *opened_.machine->files,
                                             settings_, observer_);
    LoadCatalogue(*session_);
    for (std::size_t i = 1; i <= session_->request.sections.Count(); ++i)
        session_->request.sections.SetChecked(i, session_->request.sections.Text(i) ==
                                                     "Windows Startup");
    RunScan(*session_);
    ASSERT_TRUE(Found().count("OnD"));
    for (auto& problem : session_->result.problems.Of<RegistryProblem>())
        problem.selected = problem.valueName == "OnD";
    fs::remove_all(temp_ / "d-drive/Other");

    const RepairOutcome outcome = Repair();
    EXPECT_EQ(outcome.removed, 0);
    EXPECT_EQ(outcome.kept, 1);
    EXPECT_EQ(outcome.skipped.Total(), 0);
    ASSERT_TRUE(EventOf("OnD"));
    EXPECT_EQ(EventOf("OnD")->what, RepairEvent::What::Kept);
    EXPECT_TRUE(
        EventOf("OnD")->why.starts_with("whether D:\\Tools\\ond.exe is there cannot be told"))
        << EventOf("OnD")->why;
    EXPECT_EQ(ValueNow(kRunKey, "OnD"), "D:\\Tools\\ond.exe");
    EXPECT_TRUE(BackedUp(outcome.backupFilePath).empty());
}

TEST_F(RepairRecheckWine, FoldersAndExpandableValuesAreLookedAtAgainAsTheScanLookedAtThem) {
    // An App Paths folder list is looked for again as a folder, and an
    // expandable value is compared as it is stored and tested expanded.
    const std::string appPaths = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    ASSERT_EQ(RunWine(prefix_, {"reg", "add", std::string("HKLM\\") + kAppPathKey, "/v", "Path",
                                "/d", "C:\\Apps\\Back", "/f"}),
              0);
    ASSERT_EQ(RunWine(prefix_, {"reg", "add", appPaths + "gonefolder.exe", "/v", "Path", "/d",
                                "C:\\Apps\\GoneFolder", "/f"}),
              0);
    ASSERT_EQ(RunWine(prefix_,
                      {"reg", "add", std::string("HKLM\\") + kRunKey, "/v", "Expanded", "/t",
                       "REG_EXPAND_SZ", "/d", "%SystemRoot%\\goneexpanded.exe", "/f"}),
              0);
    WaitForWineserver(prefix_);
    opened_ = OpenWinePrefix(prefix_);
    ASSERT_TRUE(opened_.machine) << opened_.error;
    session_ = std::make_unique<ScanSession>(*opened_.machine->registry, *opened_.machine->files,
                                             settings_, observer_);
    LoadCatalogue(*session_);
    for (std::size_t i = 1; i <= session_->request.sections.Count(); ++i) {
        const std::string row = session_->request.sections.Text(i);
        session_->request.sections.SetChecked(i, row == "Windows Startup" ||
                                                     row == "Software Locations");
    }
    RunScan(*session_);
    std::size_t picked = 0;
    std::string seen;
    for (auto& problem : session_->result.problems.Of<RegistryProblem>()) {
        problem.selected = problem.valueName == "Path" || problem.valueName == "Expanded";
        seen += problem.keyPath + " " + problem.valueName + " " + problem.testedPath + "\n";
        if (!problem.selected) continue;
        ++picked;
        if (problem.valueName == "Expanded") {
            EXPECT_EQ(problem.dataAsRead, "%SystemRoot%\\goneexpanded.exe");
            EXPECT_EQ(problem.testedPath, "C:\\windows\\goneexpanded.exe");
        } else {
            EXPECT_TRUE(problem.testedFolder) << problem.testedPath;
        }
    }
    ASSERT_EQ(picked, 3u) << seen;
    fs::create_directories(prefix_ + "/drive_c/Apps/Back");

    const RepairOutcome outcome = Repair();
    EXPECT_EQ(outcome.removed, 2);
    EXPECT_EQ(outcome.skipped.nowPresent, 1);
    EXPECT_EQ(outcome.skipped.changed, 0);
    EXPECT_EQ(BackedUp(outcome.backupFilePath), (std::set<std::string>{"Path", "Expanded"}));
    EXPECT_EQ(ValueNow(kAppPathKey, "Path"), "C:\\Apps\\Back");
    EXPECT_FALSE(ValueNow("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gonefolder.exe",
                          "Path"));
    EXPECT_FALSE(ValueNow(kRunKey, "Expanded"));
}

}  // namespace
