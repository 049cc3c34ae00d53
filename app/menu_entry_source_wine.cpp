// The menu entries of a Wine prefix's user: found below the user's own
// folders, judged against the prefix (a link or program gone, or the whole
// prefix gone), each with the icons that would go with it. The entries of a
// prefix on a disk that is not there are left alone, and their icons with
// them, since every entry found keeps the icons it shows.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>

#include "app/menu_entry_source.h"
#include "menus/menu_check.h"
#include "menus/menu_entries.h"
#include "menus/menu_icons.h"
#include "shortcuts/lnk_file.h"
#include "system/posix/host_disk.h"

namespace vostrel {

namespace {

std::string ReasonText(menus::MenuEntryReason reason) {
    switch (reason) {
        case menus::MenuEntryReason::LinkMissing: return std::string(kMenuEntryLinkMissing);
        case menus::MenuEntryReason::ProgramMissing: return std::string(kMenuEntryProgramMissing);
        case menus::MenuEntryReason::PrefixMissing: return std::string(kMenuEntryPrefixMissing);
    }
    return {};
}

// A link or program of a menu entry that is missing from a disk that is not
// there: below a media folder with no disk, on an empty mount point, or on a
// drive of the prefix whose folder is missing or empty. (Whether a prefix
// folder that is missing lies on such a disk is the menus' own judgement.)
bool OnDiskThatIsNotThere(const std::string& hostPath) {
    if (OnAbsentDisk(hostPath, nullptr)) return true;
    constexpr std::string_view kDrives = "/dosdevices/";
    const auto at = hostPath.find(kDrives);
    if (at == std::string::npos) return false;
    const std::string drive = hostPath.substr(0, at + kDrives.size() + 2);
    struct stat st {};
    return ::stat(drive.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || IsEmptyHostFolder(drive);
}

// A judged entry as the results list it (without its icons).
MenuEntryProblem ProblemOf(const menus::MenuEntryProblem& judged) {
    MenuEntryProblem problem;
    problem.path = judged.desktopFile;
    problem.name = judged.name;
    problem.prefix = judged.winePrefix;
    problem.target = judged.linkTarget.empty() ? judged.target : judged.linkTarget;
    problem.reason = ReasonText(judged.reason);
    problem.orphan = judged.reason == menus::MenuEntryReason::PrefixMissing;
    return problem;
}

bool StartsWith(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

std::optional<std::string> LinkTarget(const std::string& hostPath) {
    const auto link = ReadLnkFile(hostPath);
    if (!link) return std::nullopt;
    return link->localPath;
}

class WineMenuEntrySource final : public MenuEntrySource {
public:
    WineMenuEntrySource(std::string prefix, menus::MenuPlaces places)
        : prefix_(std::move(prefix)), places_(std::move(places)) {}

    std::vector<MenuEntryProblem> FindStale() override {
        const menus::MenuEntryFind found = menus::FindWineMenuEntries(places_);
        const menus::PrefixUnderTest prefix{prefix_,
                                            menus::SamePrefix(prefix_, places_.DefaultPrefix())};
        const auto stale = menus::CheckMenuEntries(found.entries, prefix, places_, LinkTarget,
                                                   mounts_, &unavailable_, OnDiskThatIsNotThere);

        std::vector<const menus::WineMenuEntry*> entries;
        std::vector<menus::WineMenuEntry> removing;
        for (const auto& problem : stale) {
            const auto entry = std::find_if(found.entries.begin(), found.entries.end(),
                                            [&](const menus::WineMenuEntry& e) {
                                                return e.path == problem.desktopFile;
                                            });
            entries.push_back(entry == found.entries.end() ? nullptr : &*entry);
            if (entry != found.entries.end()) removing.push_back(*entry);
        }
        // The icons no entry outside the problems shows: each problem names
        // those of them it shows itself.
        const auto safe = menus::IconsSafeToRemove(removing, found.entries, places_);
        const std::set<std::string> safeSet(safe.begin(), safe.end());

        std::vector<MenuEntryProblem> problems;
        for (std::size_t i = 0; i < stale.size(); ++i) {
            MenuEntryProblem problem = ProblemOf(stale[i]);
            if (entries[i])
                for (const auto& icon : menus::IconFilesOf(*entries[i], places_))
                    if (safeSet.count(icon)) problem.icons.push_back(icon);
            problems.push_back(std::move(problem));
        }
        return problems;
    }

    std::size_t UnavailableCount() const override { return unavailable_; }

    // The entry file is read and judged again, as the scan judged it: it
    // may go only when it is still stale for the same reason, names the
    // same program and belongs to the same prefix.
    MenuEntryRecheck Recheck(const MenuEntryProblem& problem) override {
        using Verdict = MenuEntryRecheck::Verdict;
        std::string why;
        const menus::MenuEntryPlace place = PlaceOf(problem.path);
        const auto entry = menus::ReadWineMenuEntry(problem.path, place, &why);
        if (!entry) {
            std::error_code ec;
            if (!std::filesystem::exists(std::filesystem::symlink_status(problem.path, ec)) && !ec)
                return {Verdict::Gone, {}};
            return {Verdict::Changed, "it is no longer a Wine menu entry: " + why};
        }
        // The desktop folder's entries count only with their prefix named.
        if (place == menus::MenuEntryPlace::Desktop && !entry->launch.winePrefix)
            return {Verdict::Changed, "it no longer names a Wine prefix"};
        if (entry->name != problem.name || menus::EntryPrefix(*entry, places_) != problem.prefix)
            return {Verdict::Changed, "it now names another program or prefix"};
        const menus::PrefixUnderTest prefix{prefix_,
                                            menus::SamePrefix(prefix_, places_.DefaultPrefix())};
        std::size_t outOfReach = 0;
        const auto stale = menus::CheckMenuEntries({*entry}, prefix, places_, LinkTarget, mounts_,
                                                   &outOfReach, OnDiskThatIsNotThere);
        if (outOfReach > 0)
            return {Verdict::Unknown, "what it starts lies on a disk that is not there now"};
        if (stale.empty()) {
            if (ThereAgain(problem))
                return {Verdict::NowPresent, problem.target + " is there again"};
            return {Verdict::Unknown, "whether " + problem.target + " is there cannot be told now"};
        }
        const MenuEntryProblem now = ProblemOf(stale.front());
        if (now.reason != problem.reason || now.target != problem.target ||
            now.orphan != problem.orphan)
            return {Verdict::Changed, "it now starts " + now.target};
        return {Verdict::Stale, {}};
    }

private:
    menus::MenuEntryPlace PlaceOf(const std::string& path) const {
        const std::string applications = places_.ApplicationsDir();
        if (StartsWith(path, applications + "/wine/")) return menus::MenuEntryPlace::StartMenu;
        if (StartsWith(path, applications + "/wine-extension-"))
            return menus::MenuEntryPlace::Association;
        return menus::MenuEntryPlace::Desktop;
    }

    // True when what the scan found missing for `problem` is there now.
    bool ThereAgain(const MenuEntryProblem& problem) const {
        std::error_code ec;
        if (problem.orphan) return std::filesystem::exists(problem.prefix, ec);
        if (menus::IsWindowsDrivePath(problem.target))
            return menus::WindowsPathPresence(prefix_, problem.target) == menus::Presence::Present;
        return !problem.target.empty() && problem.target.front() == '/' &&
               std::filesystem::exists(problem.target, ec);
    }

    std::string prefix_;
    menus::MenuPlaces places_;
    menus::MountPlaces mounts_ = menus::MountPlaces::Host();
    std::size_t unavailable_ = 0;
};

}  // namespace

std::unique_ptr<MenuEntrySource> OpenMenuEntrySource(FileSystemApi& files) {
    const auto prefix = files.PrefixFolder();
    if (!prefix) return nullptr;
    auto places = menus::MenuPlaces::FromEnvironment();
    if (!places) return nullptr;
    return std::make_unique<WineMenuEntrySource>(*prefix, std::move(*places));
}

}  // namespace vostrel
