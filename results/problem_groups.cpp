#include "results/problem_groups.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <variant>

#include "results/problem_details.h"
#include "results/problem_id.h"
#include "scan/folder_variables.h"
#include "session/sections.h"
#include "system/paths.h"
#include "system/registry_api.h"
#include "system/text.h"

namespace vostrel {

namespace {

constexpr std::string_view kUninstallMarker = "\\CURRENTVERSION\\UNINSTALL\\";
constexpr std::string_view kAppPathsMarker = "\\CURRENTVERSION\\APP PATHS\\";

// The text with its letters folded, so that two spellings of one path or key
// that Windows takes for the same give the same text.
std::string Folded(std::string_view text) {
    std::u16string wide = Utf8ToUtf16(text);
    for (char16_t& c : wide) c = FoldCase(c);
    return Utf16ToUtf8(wide);
}

// A full path ("C:\..."), trimmed, with '\' for '/', single separators and
// no separator at its end (but for a drive's root, "C:\"); nothing for
// anything else.
std::optional<std::string> NormalPath(std::string_view text) {
    std::string path = TrimQuotes(Trim(text));
    std::replace(path.begin(), path.end(), '/', '\\');
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return std::nullopt;
    const auto letter = static_cast<unsigned char>(path[0]);
    if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')))
        return std::nullopt;
    std::string out;
    for (const char c : path)
        if (c != '\\' || out.empty() || out.back() != '\\') out += c;
    while (out.size() > 3 && out.back() == '\\') out.pop_back();
    return out;
}

// IsAtOrBeneath for paths already in normal form and folded.
bool FoldedAtOrBeneath(std::string_view path, std::string_view folder) {
    if (path.size() < folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
    return path.size() == folder.size() || folder.back() == '\\' || path[folder.size()] == '\\';
}

std::string FolderOfPath(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos) return {};
    return std::string(path.substr(0, std::max<std::size_t>(slash, 3)));
}

std::string LastPart(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The key up to and with the part that follows `marker` ("...\Uninstall\Deep"
// of "...\Uninstall\Deep\Sub"), or nothing when the marker is not in it.
std::optional<std::string> EntryKey(std::string_view keyPath, std::string_view marker) {
    const std::string upper = UpperAscii("\\" + std::string(keyPath));
    const std::size_t at = upper.find(marker);
    if (at == std::string::npos) return std::nullopt;
    const std::size_t nameStart = at + marker.size() - 1;  // in keyPath, past the leading '\'
    if (nameStart >= keyPath.size()) return std::nullopt;
    const std::size_t nameEnd = keyPath.find('\\', nameStart);
    return std::string(keyPath.substr(0, nameEnd));
}

// A text value (REG_SZ or REG_EXPAND_SZ, expanded), trimmed; nothing when it
// cannot be read, is empty or names a variable this machine does not set.
std::optional<std::string> ReadText(ScanSession& session, HKEY root, std::string_view keyPath,
                                    std::string_view valueName) {
    auto text = RootText(session.registry, root, keyPath, valueName);
    if (!text || !HoldsFolderVariable(*text)) return text;
    auto expanded = ExpandEnvironmentText(session, *text);
    if (!expanded) return std::nullopt;
    *expanded = TrimCopy(*expanded);
    if (expanded->empty()) return std::nullopt;
    return expanded;
}

// The machine's folders that are nobody's install folder: the Windows
// folder and everything in it, a drive's root, and every folder a variable
// names (Program Files, Common Files, the profiles) and those above them.
class FolderGuard {
public:
    explicit FolderGuard(ScanSession& session) {
        for (const auto& [name, value] : EnvironmentVariables(session)) {
            const auto folder = NormalPath(value);
            if (!folder) continue;
            (name == "WINDIR" || name == "SYSTEMROOT" ? below_ : shared_)
                .push_back(Folded(*folder));
        }
    }

    bool MayBeProgramFolder(std::string_view folder) const {
        if (folder.size() <= 3) return false;
        const std::string folded = Folded(folder);
        for (const std::string& windows : below_)
            if (FoldedAtOrBeneath(folded, windows)) return false;
        for (const std::string& shared : shared_)
            if (FoldedAtOrBeneath(shared, folded)) return false;
        return true;
    }

private:
    std::vector<std::string> below_;
    std::vector<std::string> shared_;
};

// A program found while grouping: by its folder, or by its uninstall entry
// when it has no folder.
struct Program {
    std::string folder;        // normal form; empty when none
    std::string uninstallKey;  // root and path, or empty
    std::string displayName;
    std::vector<std::size_t> problems;
};

class Grouper {
public:
    explicit Grouper(ScanSession& session) : session_(session), guard_(session) {}

    ProblemGroups Run();

private:
    std::optional<std::string> ProgramFolder(std::string_view text) const {
        auto folder = NormalPath(text);
        if (!folder || !guard_.MayBeProgramFolder(*folder)) return std::nullopt;
        return folder;
    }
    std::optional<std::string> FolderOfProgram(std::string_view command) const {
        const auto program = ProgramOfCommand(command);
        if (!program) return std::nullopt;
        return ProgramFolder(FolderOfPath(*program));
    }
    std::optional<std::string> UninstallFolder(HKEY root, const std::string& key);
    std::optional<std::string> AppPathsFolder(HKEY root, const std::string& key);
    std::size_t ProgramOfFolder(const std::string& folder);
    std::size_t ProgramOfEntry(const RegistryProblem& problem);
    std::size_t InnermostProgram(std::string_view path) const;
    std::optional<std::string> ProgramFilesFolder(std::string_view path, bool isFolder) const;

    ScanSession& session_;
    FolderGuard guard_;
    std::vector<Program> programs_;
    std::map<std::string, std::size_t, std::less<>> byFolder_;  // folded folder -> program
    std::map<std::string, std::size_t> byEntry_;  // folded root\key -> program, or kNoGroup
};

std::optional<std::string> Grouper::UninstallFolder(HKEY root, const std::string& key) {
    if (const auto location = ReadText(session_, root, key, "InstallLocation"))
        if (auto folder = ProgramFolder(*location)) return folder;
    for (const std::string_view name : {"UninstallString", "DisplayIcon"})
        if (const auto command = ReadText(session_, root, key, name))
            if (auto folder = FolderOfProgram(*command)) return folder;
    return std::nullopt;
}

std::optional<std::string> Grouper::AppPathsFolder(HKEY root, const std::string& key) {
    if (const auto path = ReadText(session_, root, key, "Path")) {
        std::size_t start = 0;
        while (start <= path->size()) {
            std::size_t end = path->find(';', start);
            if (end == std::string::npos) end = path->size();
            if (auto folder = ProgramFolder(std::string_view(*path).substr(start, end - start)))
                return folder;
            start = end + 1;
        }
    }
    if (const auto program = ReadText(session_, root, key, "")) return FolderOfProgram(*program);
    return std::nullopt;
}

std::size_t Grouper::ProgramOfFolder(const std::string& folder) {
    const std::string folded = Folded(folder);
    if (const auto it = byFolder_.find(folded); it != byFolder_.end()) return it->second;
    programs_.push_back({folder, {}, {}, {}});
    byFolder_.emplace(folded, programs_.size() - 1);
    return programs_.size() - 1;
}

// The program of the uninstall or App Paths entry that holds the problem, or
// kNoGroup when it is in neither.
std::size_t Grouper::ProgramOfEntry(const RegistryProblem& problem) {
    const auto uninstall = EntryKey(problem.keyPath, kUninstallMarker);
    const auto appPaths = uninstall ? std::nullopt : EntryKey(problem.keyPath, kAppPathsMarker);
    if (!uninstall && !appPaths) return ProblemGroups::kNoGroup;
    const std::string& key = uninstall ? *uninstall : *appPaths;
    const std::string fullKey = problem.rootName + "\\" + key;
    const std::string folded = Folded(fullKey);
    if (const auto it = byEntry_.find(folded); it != byEntry_.end()) return it->second;

    std::size_t program = ProblemGroups::kNoGroup;
    const auto folder =
        uninstall ? UninstallFolder(problem.root, key) : AppPathsFolder(problem.root, key);
    if (folder) {
        program = ProgramOfFolder(*folder);
    } else if (uninstall) {
        programs_.push_back({{}, fullKey, {}, {}});
        program = programs_.size() - 1;
    }
    if (uninstall && program != ProblemGroups::kNoGroup) {
        Program& found = programs_[program];
        if (found.uninstallKey.empty()) found.uninstallKey = fullKey;
        if (found.displayName.empty())
            found.displayName = ReadText(session_, problem.root, key, "DisplayName").value_or("");
    }
    byEntry_.emplace(folded, program);
    return program;
}

// The program with the innermost folder that holds the path (normal form):
// the path itself, then each folder above it, looked up by name.
std::size_t Grouper::InnermostProgram(std::string_view path) const {
    const std::string folded = Folded(path);
    std::string_view folder = folded;
    while (folder.size() > 3) {
        if (const auto it = byFolder_.find(folder); it != byFolder_.end()) return it->second;
        const std::size_t slash = folder.rfind('\\');
        if (slash == std::string_view::npos) break;
        folder = folder.substr(0, slash);
    }
    return ProblemGroups::kNoGroup;
}

// The folder directly below Program Files (either of them) that the path
// lies in, or is.
std::optional<std::string> Grouper::ProgramFilesFolder(std::string_view path, bool isFolder) const {
    const auto& variables = FolderVariables(session_);
    for (const std::string_view name : {"PROGRAMFILES", "PROGRAMFILES(X86)"}) {
        const auto it = variables.find(std::string(name));
        if (it == variables.end()) continue;
        const auto programFiles = NormalPath(it->second);
        if (!programFiles || programFiles->size() <= 3 || !IsAtOrBeneath(path, *programFiles))
            continue;
        if (path.size() <= programFiles->size() + 1) continue;
        const std::string_view rest = path.substr(programFiles->size() + 1);
        const std::size_t slash = rest.find('\\');
        if (slash == std::string_view::npos && !isFolder) continue;  // a file of Program Files
        return ProgramFolder(*programFiles + "\\" + std::string(rest.substr(0, slash)));
    }
    return std::nullopt;
}

// The path a problem looked for, in normal form: a registry value's tested
// path, a shortcut's or menu entry's target. Whether it is a folder.
std::optional<std::string> LookedFor(const Problem& problem, bool* isFolder) {
    *isFolder = false;
    if (const auto* value = std::get_if<RegistryProblem>(&problem)) {
        *isFolder = value->testedFolder;
        return NormalPath(value->testedPath);
    }
    if (const auto* shortcut = std::get_if<ShortcutProblem>(&problem))
        return NormalPath(shortcut->target);
    return NormalPath(std::get<MenuEntryProblem>(problem).target);
}

// Where a problem lies: its registry key, or its file. A key seen through
// HKEY_CLASSES_ROOT is the same place as the machine's class key it shows.
std::string PlaceOf(const Problem& problem) {
    if (const auto* value = std::get_if<RegistryProblem>(&problem)) {
        const std::string root = value->rootName == "HKEY_CLASSES_ROOT"
                                     ? "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes"
                                     : value->rootName;
        return "R\n" + Folded(root + "\\" + value->keyPath);
    }
    if (const auto* shortcut = std::get_if<ShortcutProblem>(&problem))
        return "F\n" + Folded(shortcut->path);
    return "H\n" + std::get<MenuEntryProblem>(problem).path;
}

ProblemGroups Grouper::Run() {
    const ProblemList& problems = session_.result.problems;
    std::vector<std::size_t> owner(problems.size(), ProblemGroups::kNoGroup);

    // First the programs the uninstall and App Paths entries name.
    for (std::size_t i = 0; i < problems.size(); ++i)
        if (const auto* value = std::get_if<RegistryProblem>(&problems[i]))
            owner[i] = ProgramOfEntry(*value);
    // Then the folders below Program Files that problems of no such program
    // lie in.
    for (std::size_t i = 0; i < problems.size(); ++i) {
        if (owner[i] != ProblemGroups::kNoGroup) continue;
        bool isFolder = false;
        const auto path = LookedFor(problems[i], &isFolder);
        if (!path || InnermostProgram(*path) != ProblemGroups::kNoGroup) continue;
        if (const auto folder = ProgramFilesFolder(*path, isFolder)) ProgramOfFolder(*folder);
    }
    // Every other problem goes with the innermost folder that holds its path.
    for (std::size_t i = 0; i < problems.size(); ++i) {
        if (owner[i] != ProblemGroups::kNoGroup) continue;
        bool isFolder = false;
        if (const auto path = LookedFor(problems[i], &isFolder)) owner[i] = InnermostProgram(*path);
    }
    for (std::size_t i = 0; i < problems.size(); ++i)
        if (owner[i] != ProblemGroups::kNoGroup) programs_[owner[i]].problems.push_back(i);

    // A program with two problems or more is a group, in the order of its
    // first problem.
    std::vector<std::size_t> order;
    for (std::size_t p = 0; p < programs_.size(); ++p)
        if (programs_[p].problems.size() >= 2) order.push_back(p);
    std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        return programs_[a].problems.front() < programs_[b].problems.front();
    });

    ProblemGroups result;
    result.groupOf.assign(problems.size(), ProblemGroups::kNoGroup);
    for (const std::size_t p : order) {
        const Program& program = programs_[p];
        ProblemGroup group;
        group.folder = program.folder;
        group.uninstallKey = program.uninstallKey;
        group.name = !program.displayName.empty() ? program.displayName
                     : !program.folder.empty()    ? LastPart(program.folder)
                                                  : LastPart(program.uninstallKey);
        group.id = ProblemGroupId(program.folder.empty() ? "\n" + Folded(program.uninstallKey)
                                                         : Folded(program.folder));
        std::set<std::string> places;
        for (const std::size_t i : program.problems) {
            group.problems.push_back({i});
            places.insert(PlaceOf(problems[i]));
            result.groupOf[i] = result.groups.size();
        }
        group.places = places.size();
        result.groups.push_back(std::move(group));
    }
    return result;
}

}  // namespace

const ProblemGroup* ProblemGroups::GroupOf(const ProblemRef& ref) const {
    if (ref.index >= groupOf.size() || groupOf[ref.index] == kNoGroup) return nullptr;
    return &groups[groupOf[ref.index]];
}

const ProblemGroup* ProblemGroups::Find(std::string_view id) const {
    const std::string wanted = LowerAscii(Trim(id));
    if (wanted.empty()) return nullptr;
    for (const ProblemGroup& group : groups)
        if (group.id == wanted) return &group;
    return nullptr;
}

ProblemGroups FindProblemGroups(ScanSession& session) { return Grouper(session).Run(); }

std::string GroupLine(const ProblemGroup& group) {
    std::string line = group.name;
    if (!group.folder.empty()) line += " (" + group.folder + ")";
    line += ": " + std::to_string(group.problems.size()) + " leftovers in " +
            std::to_string(group.places) + (group.places == 1 ? " place" : " places");
    return line;
}

GroupTick GroupTickOf(const ScanSession& session, const ProblemGroup& group) {
    std::size_t ticked = 0;
    std::size_t present = 0;
    for (const ProblemRef& ref : group.problems) {
        if (!Exists(session, ref)) continue;
        ++present;
        ticked += IsSelected(session, ref) ? 1 : 0;
    }
    if (ticked == 0) return GroupTick::None;
    return ticked == present ? GroupTick::All : GroupTick::Some;
}

void SetGroupTick(ScanSession& session, const ProblemGroup& group, bool selected) {
    for (const ProblemRef& ref : group.problems)
        if (Exists(session, ref)) SetSelected(session, ref, selected);
}

std::string GroupedProblemLine(const ScanSession& session, const ProblemRef& ref) {
    const Problem& problem = session.result.problems.at(ref.index);
    std::string section;
    if (const auto* value = std::get_if<RegistryProblem>(&problem))
        section = value->section.empty() ? value->scanner : value->section;
    else if (std::holds_alternative<ShortcutProblem>(problem))
        section = kShortcutSection;
    else
        section = std::get<MenuEntryProblem>(problem).orphan ? kOrphanMenuEntrySection
                                                             : kMenuEntrySection;
    return section + ": " + DetailLine(session, ref);
}

bool IsAtOrBeneath(std::string_view path, std::string_view folder) {
    const auto normalPath = NormalPath(path);
    const auto normalFolder = NormalPath(folder);
    if (!normalPath || !normalFolder) return false;
    return FoldedAtOrBeneath(Folded(*normalPath), Folded(*normalFolder));
}

std::optional<std::string> ProgramOfCommand(std::string_view command) {
    const std::string_view text = Trim(command);
    std::string_view program;
    if (!text.empty() && text.front() == '"') {
        const std::size_t close = text.find('"', 1);
        if (close == std::string_view::npos) return std::nullopt;
        program = text.substr(1, close - 1);
    } else {
        // Unquoted, the program may hold blanks: it ends after the first
        // ".exe" that ends the text or is followed by a blank or a comma,
        // else at the first comma (an icon's index).
        const std::string upper = UpperAscii(text);
        std::size_t end = std::string::npos;
        for (std::size_t at = upper.find(".EXE"); at != std::string::npos;
             at = upper.find(".EXE", at + 1)) {
            if (at + 4 == upper.size() || upper[at + 4] == ' ' || upper[at + 4] == ',') {
                end = at + 4;
                break;
            }
        }
        if (end == std::string::npos) end = text.find(',');
        program = Trim(text.substr(0, end));
    }
    auto path = NormalPath(program);
    if (!path || path->size() <= 3) return std::nullopt;
    return path;
}

}  // namespace vostrel
