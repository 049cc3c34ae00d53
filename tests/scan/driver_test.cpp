// The scan driver on a small fake machine: the observer's events in order
// (on a whole scan and on a cancel), the summary rows, cancel, and the
// mended behaviours (startup entries in Run itself, counts past 32767, no
// second scan while one runs).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/scan_driver.h"
#include "results/scan_report.h"
#include "scan/catalogue.h"
#include "scan/section_table.h"
#include "support/scan_fakes.h"
#include "support/temp_dir.h"

namespace vostrel {
namespace {

using testing::FakeMachine;
constexpr HKEY kHklm = HKEY_LOCAL_MACHINE;
const std::string kCv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::vector<std::string> Summaries(const FakeMachine& m) {
    std::vector<std::string> out;
    for (const auto& row : m.session.result.summary) out.push_back(row.text);
    return out;
}

void CheckOnly(FakeMachine& m, std::initializer_list<std::string_view> texts) {
    for (const auto& row : kSectionRows) m.settings.Save(row.text, "False");
    m.settings.Save("Window Shortcut C", "False");
    for (auto text : texts) m.settings.Save(text, "True");
    LoadCatalogue(m.session);
}

// One missing file in every checked section.
void PlantOnePerSection(FakeMachine& m) {
    // HKEY_CLASSES_ROOT shows HKEY_LOCAL_MACHINE\SOFTWARE\Classes: both sections see it.
    m.registry.SetString(HKEY_CLASSES_ROOT, "CLSID\\{1}\\InprocServer32", "", "C:\\gone\\a.dll");
    m.registry.SetString(kHklm, kCv + "\\App Paths\\c.exe", "", "C:\\gone\\c.exe");
    m.registry.SetString(kHklm, "SOFTWARE\\Microsoft\\Windows\\Help", "d.hlp", "C:\\gone");
    m.registry.SetString(kHklm, "SOFTWARE\\Microsoft\\Shared Tools\\E", "Path", "C:\\gone\\e.dll");
    m.registry.SetString(kHklm, kCv + "\\Run", "F", "C:\\gone\\f.exe");
    m.registry.SetString(kHklm, kCv + "\\Uninstall\\G", "UninstallString", "C:\\gone\\g.exe");
    m.registry.SetString(kHklm, "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers", "H",
                         "h.vxd");
    m.registry.SetString(kHklm, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "I",
                         "i.ttf");
}

TEST(Driver, ProgressSteps) {
    EXPECT_EQ(ProgressStep(11, 4275), 389);
    EXPECT_EQ(ProgressStep(12, 4275), 356);
    EXPECT_EQ(ProgressStep(18, 4275), 238);  // 237.5: the tie goes to the even step
    EXPECT_EQ(ProgressStep(14, 4275), 305);  // 305.36
    EXPECT_EQ(ProgressStep(0, 4275), 0);
}

TEST(Driver, NothingCheckedStillAdvancesAndReports) {
    FakeMachine m;
    testing::TempDir dir;
    m.files.SetDrives({});
    m.settings.Save("chkMakeLogFile", "1");
    m.settings.Save("txtLogFile", dir.path());
    PlantOnePerSection(m);
    CheckOnly(m, {});
    RunScan(m.session);
    std::vector<std::string> expected{"started"};
    const std::size_t rows = kSectionRows.size() - 1;  // no menu entries here
    for (std::size_t row = 1; row <= rows; ++row)
        expected.push_back("row " + std::to_string(row) + "/" + std::to_string(rows));
    expected.push_back("finished");
    EXPECT_EQ(m.observer.events, expected);
    EXPECT_TRUE(m.session.result.problems.Of<RegistryProblem>().empty());
    EXPECT_TRUE(m.session.result.summary.empty());
    EXPECT_TRUE(std::filesystem::exists(dir / "ScanReport.txt"));
    EXPECT_FALSE(m.session.scanning);
}

TEST(Driver, EverySectionFindsItsProblem) {
    FakeMachine m;
    PlantOnePerSection(m);
    m.registry.SetString(kHklm, "SOFTWARE\\Vendor", "Unchecked", "C:\\gone\\z.exe");
    LoadCatalogue(m.session);
    RunScan(m.session);
    EXPECT_EQ(Summaries(m), (std::vector<std::string>{
                                "Invalid Custom Controls ( 1 Problem(s) )",
                                "Invalid Sub Section Controls ( 1 Problem(s) )",
                                "Invalid Software Locations ( 1 Problem(s) )",
                                "Invalid Help Files ( 1 Problem(s) )",
                                "Invalid Shared Files ( 1 Problem(s) )",
                                "Invalid Windows Startup Files  ( 1 Problem(s) )",
                                "Invalid Uninstall Section File  ( 1 Problem(s) )",
                                "Invalid Virtual Devices ( 1 Problem(s) )",
                                "Invalid Windows Fonts (  1 Problem(s) )",
                            }));
    ASSERT_EQ(m.session.result.problems.Of<RegistryProblem>().size(), 9u);
    EXPECT_EQ(m.observer.found, 9u);
    EXPECT_FALSE(m.observer.cancelled);
    // The startup entry stored in Run itself, with Run as its key path.
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[(6) - 1].testedPath,
              "C:\\gone\\f.exe");
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[(6) - 1].keyPath, kCv + "\\Run");
    const auto& statuses = m.observer.statuses;
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), " Shortcuts C:\\..."), statuses.end());
    EXPECT_EQ(statuses.front(), "Registry Integrity");
}

TEST(Driver, FontsKeyFollowsThePlatform) {
    FakeMachine m;
    m.registry.SetString(kHklm, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "NT",
                         "nt.ttf");
    m.registry.SetString(kHklm, kCv + "\\Fonts", "Old", "old.ttf");
    CheckOnly(m, {"Windows Fonts"});
    m.registry.SetPlatformId(1);
    RunScan(m.session);
    ASSERT_EQ(m.session.result.problems.Of<RegistryProblem>().size(), 1u);
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[(1) - 1].testedPath,
              "C:\\windows\\Fonts\\old.ttf");
}

TEST(Driver, CancelWithNothingFoundStopsWithoutAQuestion) {
    FakeMachine m;
    PlantOnePerSection(m);
    m.registry.CreateKey(HKEY_CLASSES_ROOT, "CLSID\\{0}");
    LoadCatalogue(m.session);
    m.observer.onEvents = [&] {
        if (m.observer.status == "Registry Integrity" && !m.session.cancelRequested) {
            EXPECT_TRUE(CancelScan(m.session, m.observer.found));
        }
    };
    RunScan(m.session);
    EXPECT_TRUE(m.observer.questions.empty());
    EXPECT_TRUE(m.session.cancelRequested);
    EXPECT_TRUE(m.session.result.problems.Of<RegistryProblem>().empty());
    // Nothing is told after the cancel but that the scan ended cancelled.
    ASSERT_GE(m.observer.events.size(), 3u);
    EXPECT_EQ(m.observer.events.back(), "cancelled");
    EXPECT_EQ(m.observer.events[m.observer.events.size() - 2], "section:Registry Integrity");
}

TEST(Driver, CancelAnsweredNoGoesOn) {
    FakeMachine m;
    PlantOnePerSection(m);
    LoadCatalogue(m.session);
    m.observer.answer = Answer::No;
    bool asked = false;
    m.observer.onEvents = [&] {
        if (!asked && m.session.result.problems.Of<RegistryProblem>().size() == 1) {
            asked = true;
            const std::vector<SectionChoice> before = m.session.request.sections.rows();
            EXPECT_FALSE(CancelScan(m.session, m.observer.found));
            // The cancel (which may come from another thread) leaves the
            // catalogue to the scan.
            const auto& after = m.session.request.sections.rows();
            ASSERT_EQ(after.size(), before.size());
            for (std::size_t i = 0; i < after.size(); ++i)
                EXPECT_EQ(after[i].checked, before[i].checked) << after[i].text;
        }
    };
    RunScan(m.session);
    EXPECT_EQ(m.observer.questions, std::vector<Question>{Question::CancelScan});
    EXPECT_EQ(m.observer.events.back(), "finished");
    EXPECT_FALSE(m.session.cancelRequested);
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>().size(), 9u);
}

TEST(Driver, CancelInTheFirstWalkSkipsTheSecond) {
    for (const char* row : {"Help Files", "Windows Startup"}) {
        FakeMachine m;
        m.registry.SetString(kHklm, "SOFTWARE\\Microsoft\\Windows\\Help", "a.hlp", "C:\\gone");
        m.registry.SetString(kHklm, "SOFTWARE\\Microsoft\\Windows\\Help", "b.hlp", "C:\\gone");
        m.registry.SetString(kHklm, "SOFTWARE\\Microsoft\\Windows\\HTML Help", "c.chm", "C:\\gone");
        m.registry.SetString(kHklm, kCv + "\\Run", "A", "C:\\gone\\a.exe");
        m.registry.SetString(kHklm, kCv + "\\Run", "B", "C:\\gone\\b.exe");
        m.registry.SetString(HKEY_CURRENT_USER,
                             "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\St"
                             "art Menu\\Programs\\X",
                             "C", "C:\\gone\\c.exe");
        CheckOnly(m, {row});
        m.observer.answer = Answer::Yes;
        bool asked = false;
        m.observer.onEvents = [&] {
            if (asked || m.session.result.problems.Of<RegistryProblem>().size() != 1) return;
            asked = true;
            EXPECT_TRUE(CancelScan(m.session, m.observer.found));
        };
        RunScan(m.session);
        // The problem found before the cancel is kept; the events stop with
        // the question, and the last one says the scan was cancelled.
        EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>().size(), 1u) << row;
        // The summary (and so the report and the JSON) counts it too, though
        // its section never finished.
        ASSERT_EQ(m.session.result.summary.size(), 1u) << row;
        EXPECT_EQ(m.session.result.summary[0].count, 1) << row;
        EXPECT_EQ(m.session.result.summary[0].section,
                  m.session.result.problems.Of<RegistryProblem>()[0].scanner)
            << row;
        EXPECT_EQ(m.observer.questions.size(), 1u) << row;
        EXPECT_TRUE(m.observer.cancelled) << row;
        const auto& events = m.observer.events;
        ASSERT_GE(events.size(), 4u) << row;
        EXPECT_EQ(std::vector<std::string>(events.end() - 4, events.end()),
                  (std::vector<std::string>{"section:" +
                                                std::string(row == std::string("Help Files")
                                                                ? "Help Files"
                                                                : "Windows Startup"),
                                            "problem 1", "question", "cancelled"}))
            << row;
    }
}

// The desktop program scans on a worker thread and cancels from its own: the
// stop request set there ends the walk at its next check, the problems found
// before it stay, and the scan says it was cancelled.
TEST(Driver, CancelFromAnotherThreadStopsTheWalkAtItsNextCheck) {
    struct FirstProblemWaits : ScanObserver {
        std::atomic<std::size_t> found{0};
        std::atomic<bool> finished{false}, cancelled{false};
        const std::atomic<bool>* stop = nullptr;
        void ProblemFound(std::size_t total) override {
            found = total;
            // The scan goes on only once the other thread has asked it to stop.
            for (int waited = 0; total == 1 && !*stop && waited < 10000; ++waited)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        void ScanFinished(bool wasCancelled) override {
            cancelled = wasCancelled;
            finished = true;
        }
        Answer Confirm(Question) override { return Answer::Yes; }
    };
    FakeMachine m;
    for (int i = 0; i < 50; ++i)
        m.registry.AppendString(kHklm, "SOFTWARE\\Microsoft\\Windows\\Help",
                                "h" + std::to_string(i) + ".hlp", "C:\\gone");
    CheckOnly(m, {"Help Files"});
    FirstProblemWaits observer;
    ScanSession session(m.registry, m.files, m.settings, observer);
    observer.stop = &session.cancelRequested;
    LoadCatalogue(session);
    std::thread worker([&session] { RunScan(session); });
    for (int waited = 0; observer.found == 0 && waited < 10000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // Asked on this thread, with the count the scan told (the question is
    // answered Yes).
    const bool granted = CancelScan(session, observer.found);
    worker.join();
    EXPECT_TRUE(granted);
    EXPECT_TRUE(observer.finished);
    EXPECT_TRUE(observer.cancelled);
    EXPECT_TRUE(session.cancelRequested);
    ASSERT_EQ(session.result.problems.Of<RegistryProblem>().size(), 1u);
    ASSERT_EQ(session.result.summary.size(), 1u);
    EXPECT_EQ(session.result.summary[0].count, 1);
}

TEST(Driver, ShortcutSummaryAfterTheLastRow) {
    FakeMachine m;
    CheckOnly(m, {"Window Shortcut C"});
    m.observer.onEvents = [&] {
        if (m.observer.status == " Shortcuts C:\\..." &&
            m.session.result.problems.Of<ShortcutProblem>().empty())
            m.session.result.problems.AddOf<ShortcutProblem>(
                {"C:\\Users\\Public\\Desktop\\Gone.lnk", "C:\\gone.exe", ""});
    };
    RunScan(m.session);
    EXPECT_EQ(Summaries(m), std::vector<std::string>{"Invalid Windows Shortcut File (1 Problems)"});
    EXPECT_EQ(m.session.result.summary[0].section, kShortcutSection);
    EXPECT_EQ(m.session.result.summary[0].count, 1);
}

TEST(Driver, CountsPast32767) {
    FakeMachine m;
    for (int i = 0; i < 40000; ++i)
        m.registry.AppendString(kHklm, "SOFTWARE\\Microsoft\\Windows\\Help",
                                "h" + std::to_string(i) + ".hlp", "C:\\gone");
    CheckOnly(m, {"Help Files"});
    RunScan(m.session);
    EXPECT_EQ(Summaries(m), std::vector<std::string>{"Invalid Help Files ( 40000 Problem(s) )"});
    EXPECT_EQ(m.observer.found, 40000u);
}

TEST(Driver, ScanRequestDuringAScanIsIgnored) {
    FakeMachine m;
    PlantOnePerSection(m);
    LoadCatalogue(m.session);
    m.observer.onEvents = [&] { RunScan(m.session); };
    RunScan(m.session);
    EXPECT_EQ(std::count(m.observer.events.begin(), m.observer.events.end(), "started"), 1);
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>().size(), 9u);
    EXPECT_FALSE(m.session.scanning);
}

TEST(Driver, IntegrityAndConfigurationRowsRecordNothing) {
    FakeMachine m;
    PlantOnePerSection(m);
    CheckOnly(m, {"Registry Integrity", "Configuration files"});
    RunScan(m.session);
    EXPECT_TRUE(m.session.result.problems.Of<RegistryProblem>().empty());
    EXPECT_TRUE(m.session.result.summary.empty());
    const auto& keys = m.observer.keys;
    EXPECT_NE(std::find(keys.begin(), keys.end(), "{1}"), keys.end());
    const auto& shown = m.observer.values;
    EXPECT_NE(std::find(shown.begin(), shown.end(), "C:\\gone\\c.exe"), shown.end());
}

}  // namespace
}  // namespace vostrel
