#include "session/scan_session.h"

#include <cstdlib>
#include <filesystem>

#include "system/settings_keys.h"
#include "system/text.h"

namespace vostrel {

namespace {

// A setting read as a number; nothing when it is not one.
std::optional<double> SettingNumber(const std::string& text) {
    const std::string trimmed = TrimCopy(text);
    if (trimmed.empty()) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size()) return std::nullopt;
    return value;
}

// The sound file as the host can play it, when it is there: a host path
// (what a Linux file dialog gives) is played as it is; a Windows path must be
// found by the file search with hidden files admitted.
std::optional<std::string> PlayableSoundFile(FileSystemApi& files, const std::string& path) {
    if (path.front() == '/') {
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) return path;
        return std::nullopt;
    }
    std::vector<FindData> found;
    if (files.FindFiles(path, &found) != ERROR_SUCCESS) return std::nullopt;
    for (const auto& entry : found) {
        const DWORD strict = entry.attributes & (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
        if (strict == 0) return files.HostPath(path);
    }
    return std::nullopt;
}

}  // namespace

bool RecordProblem(ScanSession& session, Problem problem) {
    const bool ignored =
        session.request.ignore &&
        std::visit([&session](const auto& typed) { return session.request.ignore->Ignores(typed); },
                   problem);
    if (ignored) {
        ++session.result.ignoredCount;
        return false;
    }
    session.result.problems.Add(std::move(problem));
    return true;
}

void ProblemRecorded(ScanSession& session) {
    const auto enabled = SettingNumber(session.settings.Get(kPlaySoundKey, "0"));
    if (enabled && *enabled == 1) {
        const std::string path = TrimCopy(session.settings.Get(kSoundFileKey, ""));
        if (!path.empty()) {
            if (const auto playable = PlayableSoundFile(session.files, path))
                session.observer.PlaySound(*playable);
        }
    }
    session.observer.ProblemFound(session.ProblemCount());
}

}  // namespace vostrel
