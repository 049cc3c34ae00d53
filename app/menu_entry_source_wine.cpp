// The menu entries of a Wine prefix's user: found below the user's own
// folders, judged against the prefix (a link or program gone, or the whole
// prefix gone), each with the icons that would go with it. The entries of a
// prefix on a disk that is not there are left alone, and their icons with
// them, since every entry found keeps the icons it shows.
#include <sys/stat.h>

#include <algorithm>
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

class WineMenuEntrySource final : public MenuEntrySource {
public:
    WineMenuEntrySource(std::string prefix, menus::MenuPlaces places)
        : prefix_(std::move(prefix)), places_(std::move(places)) {}

    std::vector<MenuEntryProblem> FindStale() override {
        const menus::MenuEntryFind found = menus::FindWineMenuEntries(places_);
        const menus::PrefixUnderTest prefix{prefix_,
                                            menus::SamePrefix(prefix_, places_.DefaultPrefix())};
        const auto readLink = [](const std::string& hostPath) -> std::optional<std::string> {
            const auto link = ReadLnkFile(hostPath);
            if (!link) return std::nullopt;
            return link->localPath;
        };
        const auto stale = menus::CheckMenuEntries(found.entries, prefix, places_, readLink,
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
            const auto& judged = stale[i];
            MenuEntryProblem problem;
            problem.path = judged.desktopFile;
            problem.name = judged.name;
            problem.prefix = judged.winePrefix;
            problem.target = judged.linkTarget.empty() ? judged.target : judged.linkTarget;
            problem.reason = ReasonText(judged.reason);
            problem.orphan = judged.reason == menus::MenuEntryReason::PrefixMissing;
            if (entries[i])
                for (const auto& icon : menus::IconFilesOf(*entries[i], places_))
                    if (safeSet.count(icon)) problem.icons.push_back(icon);
            problems.push_back(std::move(problem));
        }
        return problems;
    }

    std::size_t UnavailableCount() const override { return unavailable_; }

private:
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
