#include "support/scan_fakes.h"

#include <algorithm>
#include <cstring>

#include "system/text.h"

namespace vostrel::testing {

namespace {

// Wildcard match of a name, without regard to case (* and ?).
bool Matches(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == '*')
        return Matches(pattern.substr(1), name) ||
               (!name.empty() && Matches(pattern, name.substr(1)));
    if (name.empty()) return false;
    const bool same = pattern[0] == '?' || std::toupper(static_cast<unsigned char>(pattern[0])) ==
                                               std::toupper(static_cast<unsigned char>(name[0]));
    return same && Matches(pattern.substr(1), name.substr(1));
}

std::string ParentOf(const std::string& path) {
    const auto at = path.rfind('\\');
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

}  // namespace

FakeFileSystem::FakeFileSystem() {
    AddFolder("C:\\windows\\system32");
    AddFolder("C:\\windows\\Fonts");
}

void FakeFileSystem::AddFolder(const std::string& path) {
    for (std::string folder = path; folder.size() > 2; folder = ParentOf(folder)) {
        FindData entry;
        entry.attributes = FILE_ATTRIBUTE_DIRECTORY;
        entry.name = folder.substr(folder.rfind('\\') + 1);
        entries_.emplace(UpperAscii(folder), entry);
    }
}

void FakeFileSystem::AddFile(const std::string& path, DWORD attributes) {
    AddFolder(ParentOf(path));
    FindData entry;
    entry.attributes = attributes;
    entry.name = path.substr(path.rfind('\\') + 1);
    entries_[UpperAscii(path)] = entry;
}

void FakeFileSystem::RemoveFile(const std::string& path) { entries_.erase(UpperAscii(path)); }

std::string FakeFileSystem::GetShortPathName(std::string_view path) {
    return entries_.count(UpperAscii(path)) ? std::string(path) : std::string();
}

LONG FakeFileSystem::FindFiles(std::string_view pattern, std::vector<FindData>* found) {
    ++searches_;
    found->clear();
    const std::string text(pattern);
    if (text.find_first_of("<>|\"") != std::string::npos) return ERROR_INVALID_NAME;
    const std::string folder = UpperAscii(ParentOf(text));
    const std::string last =
        text.substr(text.rfind('\\') == std::string::npos ? 0 : text.rfind('\\') + 1);
    if (folder.size() > 2 && !entries_.count(folder)) return ERROR_PATH_NOT_FOUND;
    for (const auto& [key, entry] : entries_)
        if (ParentOf(key) == folder && Matches(last, entry.name)) found->push_back(entry);
    return found->empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

DWORD FakeFileSystem::GetFileAttributes(std::string_view path) {
    const auto it = entries_.find(UpperAscii(path));
    return it == entries_.end() ? INVALID_FILE_ATTRIBUTES : it->second.attributes;
}

bool FakeFileSystem::GetVolumeInformation(std::string_view, std::string* label) {
    if (label) label->clear();
    return true;
}

bool FakeFileSystem::DeleteFile(std::string_view path) {
    return entries_.erase(UpperAscii(path)) > 0;
}

bool FakeFileSystem::CopyFile(std::string_view from, std::string_view to) {
    const auto it = entries_.find(UpperAscii(from));
    if (it == entries_.end()) return false;
    AddFile(std::string(to), it->second.attributes);
    return true;
}

std::optional<std::string> FakeFileSystem::HostPath(std::string_view windowsPath) {
    std::string host = "/host/" + std::string(windowsPath);
    std::replace(host.begin(), host.end(), '\\', '/');
    return host;
}

std::string MemorySettings::Get(std::string_view key, std::string_view fallback) {
    const auto it = values.find(UpperAscii(key));
    return it == values.end() ? std::string(fallback) : it->second;
}

bool MemorySettings::Save(std::string_view key, std::string_view value) {
    values[UpperAscii(key)] = std::string(value);
    return true;
}

FakeMachine::FakeMachine() {}

}  // namespace vostrel::testing
