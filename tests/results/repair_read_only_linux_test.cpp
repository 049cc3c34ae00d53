// A repair of a prefix whose registry files cannot be saved, by a user who
// may not write them: no value is reported removed, and no shortcut of the
// same repair is deleted. Root may write anything, so the repair runs in a
// child that has become the unprivileged user "nobody".
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "results/backup_file.h"
#include "results/repair.h"
#include "session/scan_session.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "system/registry.h"
#include "system/wine/wine_files.h"
#include "system/wine/wine_registry.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

constexpr uid_t kNobody = 65534;
const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

void Own(const std::string& path, uid_t user) {
    for (const auto& entry : fs::recursive_directory_iterator(path))
        ::lchown(entry.path().c_str(), user, user);
    ::lchown(path.c_str(), user, user);
}

TEST(RepairReadOnlyTest, AFailedRegistrySaveKeepsEverythingOnTheMachine) {
    if (!WineAvailable()) GTEST_SKIP() << "wine is not installed";
    TempDir work, full;
    fs::permissions(work.path(), fs::perms(0755));
    const std::string prefix = work.path() + "/prefix";
    CopyTemplatePrefix(full.path() + "/prefix");
    fs::create_directories(prefix + "/dosdevices");
    fs::create_directories(prefix + "/drive_c/users/Public/Desktop");
    fs::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
    for (const char* hive : {"system.reg", "user.reg", "userdef.reg"})
        fs::copy_file(full.path() + "/prefix/" + hive, prefix + "/" + hive);
    {
        std::string error;
        auto registry = OpenWineRegistry(prefix, &error);
        ASSERT_TRUE(registry) << error;
        registry->BeginBatch();
        for (int i = 1; i <= 3; ++i)
            CreateKeyAndSetValue(*registry, HKEY_LOCAL_MACHINE, kRun, "Gone" + std::to_string(i),
                                 "C:\\gone\\" + std::to_string(i) + ".exe", REG_SZ);
        ASSERT_TRUE(registry->EndBatch(&error)) << error;
    }
    WriteTextFile(prefix + "/drive_c/users/Public/Desktop/One.lnk", "one");
    WriteTextFile(prefix + "/drive_c/users/Public/Desktop/Two.lnk", "two");
    const std::string systemBefore = ReadTextFile(prefix + "/system.reg");
    fs::create_directories(work.path() + "/backups");
    fs::create_directories(work.path() + "/out");
    // The user owns the drive, its backups and its output; the prefix's own
    // folder and registry files are read-only to everyone.
    const bool root = ::geteuid() == 0;
    if (root) {
        Own(prefix + "/drive_c", kNobody);
        Own(work.path() + "/backups", kNobody);
        Own(work.path() + "/out", kNobody);
    }
    for (const char* hive : {"system.reg", "user.reg", "userdef.reg"})
        fs::permissions(prefix + "/" + hive, fs::perms(0444));
    fs::permissions(prefix, fs::perms(0555));

    const std::string out = work.path() + "/out/events";
    const pid_t child = fork();
    if (child == 0) {
        if (root && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) _exit(5);
        std::string error;
        auto registry = OpenWineRegistry(prefix, &error);
        if (!registry) _exit(3);
        WineFileSystem files(prefix, {});
        IniSettingsStore settings(work.path() + "/out/settings.ini");
        settings.Save("txtBackup", work.path() + "/backups");
        AnsweringObserver observer;
        ScanSession session(*registry, files, settings, observer);
        session.result.summary.push_back({"", "summary", 0});
        for (int i = 1; i <= 3; ++i) {
            RegistryProblem problem;
            problem.root = HKEY_LOCAL_MACHINE;
            problem.valueName = "Gone" + std::to_string(i);
            problem.testedPath = "C:\\gone\\" + std::to_string(i) + ".exe";
            problem.keyPath = kRun;
            problem.rootName = "HKEY_LOCAL_MACHINE";
            session.result.problems.AddOf<RegistryProblem>(problem);
        }
        session.result.problems.AddOf<ShortcutProblem>(
            {"C:\\users\\Public\\Desktop\\One.lnk", "", ""});
        session.result.problems.AddOf<ShortcutProblem>(
            {"C:\\users\\Public\\Desktop\\Two.lnk", "", ""});
        std::ofstream events(out);
        RepairOptions options;
        options.onEvent = [&](const RepairEvent& e) {
            events << static_cast<int>(e.what) << "|" << e.item << "|" << e.why << "\n";
        };
        const RepairOutcome outcome = RepairAll(session, options);
        events << "removed=" << outcome.removed << " kept=" << outcome.kept
               << " saveError=" << outcome.saveError.has_value() << "\n"
               << "notice=" << RepairNoticeText(outcome) << "\n";
        events.close();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    fs::permissions(prefix, fs::perms(0755));
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 5) GTEST_SKIP() << "cannot become an unprivileged user here";
    ASSERT_EQ(WEXITSTATUS(status), 0);

    std::ifstream in(out);
    std::string line, all;
    int removed = 0, kept = 0;
    while (std::getline(in, line)) {
        all += line + "\n";
        if (line.starts_with(std::to_string(static_cast<int>(RepairEvent::What::Removed)) + "|"))
            ++removed;
        if (line.starts_with(std::to_string(static_cast<int>(RepairEvent::What::Kept)) + "|"))
            ++kept;
    }
    EXPECT_EQ(removed, 0) << all;
    EXPECT_EQ(kept, 5) << all;
    EXPECT_NE(all.find("removed=0 kept=5 saveError=1"), std::string::npos) << all;
    EXPECT_NE(all.find("could not be saved"), std::string::npos) << all;
    EXPECT_NE(all.find("Nothing on " + fs::weakly_canonical(prefix).string() + " was changed"),
              std::string::npos)
        << all;
    // The machine is as it was: registry and shortcuts.
    EXPECT_EQ(ReadTextFile(prefix + "/system.reg"), systemBefore);
    EXPECT_EQ(ReadTextFile(prefix + "/drive_c/users/Public/Desktop/One.lnk"), "one");
    EXPECT_EQ(ReadTextFile(prefix + "/drive_c/users/Public/Desktop/Two.lnk"), "two");
}

}  // namespace
