// The settings a command works with: the stored settings, with the backup
// folder (--backup-dir) and the catalogue rows (--sections) chosen on the
// command line for this one command, never written back.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "system/settings.h"

namespace vostrel::cli {

class CommandSettings final : public SettingsStore {
public:
    explicit CommandSettings(SettingsStore& stored) : stored_(stored) {}
    // Keys answered from memory (by upper-case key) instead of the store.
    void Override(const std::string& key, const std::string& value);
    std::string Get(std::string_view key, std::string_view fallback) override;
    bool Save(std::string_view key, std::string_view value) override;

private:
    SettingsStore& stored_;
    std::map<std::string, std::string> overrides_;
};

// The rows of a ";"-separated --sections list chosen among the catalogue
// texts: every row "False" but the listed ones. Nothing (and `error` naming
// the valid rows) for an unknown row.
std::optional<std::map<std::string, std::string>> ChooseCatalogueRows(
    const std::vector<std::string>& catalogue, const std::string& list, std::string& error);

}  // namespace vostrel::cli
