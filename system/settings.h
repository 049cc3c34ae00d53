// The per-user settings store: application "Vostrel 2006", section
// "Settings", text values by key, keys compared without regard to case.
// Nothing is cached between reads: a value written anywhere is seen by the
// next read everywhere.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vostrel {

inline constexpr std::string_view kAppName = "Vostrel 2006";
inline constexpr std::string_view kSettingsSection = "Settings";

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `fallback` when the key has never been written
    // (or the store cannot be read).
    virtual std::string Get(std::string_view key, std::string_view fallback) = 0;
    // Creates or replaces the value. False when it could not be stored.
    virtual bool Save(std::string_view key, std::string_view value) = 0;
};

// The store as an INI file, written atomically (temporary file, fsync,
// rename) and re-read whenever it changed on disk.
class IniSettingsStore final : public SettingsStore {
public:
    explicit IniSettingsStore(std::string path);
    std::string Get(std::string_view key, std::string_view fallback) override;
    bool Save(std::string_view key, std::string_view value) override;
    const std::string& path() const { return path_; }
    // Why the file was last not read or not written (naming it); empty
    // when the last read and write went well.
    const std::string& lastError() const { return lastError_; }

private:
    struct Cache;
    bool Refresh();
    std::string path_;
    std::string lastError_;
    std::shared_ptr<Cache> cache_;
};

#ifndef _WIN32
// The user's home folder: $HOME, or when that is unset or empty, the one
// the password database gives the user (never a shared folder such as
// /tmp). Nothing, with the reason in `error`, when neither knows it.
std::optional<std::string> UserHomeFolder(std::string* error = nullptr);
#endif

// $XDG_CONFIG_HOME/vostrel/Vostrel 2006.ini (XDG_CONFIG_HOME defaults to
// ~/.config). On Linux empty when the home folder is unknown and
// XDG_CONFIG_HOME is not set: then nothing is read or stored.
std::string DefaultSettingsPath();

// "The program's folder" of the defaults: a per-user data folder,
// $XDG_DATA_HOME/vostrel (default ~/.local/share/vostrel), created on first
// use, without a trailing separator. On Linux empty when the home folder
// is unknown and XDG_DATA_HOME is not set.
std::string ProgramFolder();

// The settings store of this platform: the INI file on Linux.
std::unique_ptr<SettingsStore> OpenDefaultSettings();

}  // namespace vostrel
