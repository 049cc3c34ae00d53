#include "cli/cli_settings.h"

#include "system/text.h"

namespace vostrel::cli {

void CommandSettings::Override(const std::string& key, const std::string& value) {
    overrides_[UpperAscii(key)] = value;
}

std::string CommandSettings::Get(std::string_view key, std::string_view fallback) {
    const auto it = overrides_.find(UpperAscii(key));
    return it == overrides_.end() ? stored_.Get(key, fallback) : it->second;
}

bool CommandSettings::Save(std::string_view key, std::string_view value) {
    const auto it = overrides_.find(UpperAscii(key));
    if (it == overrides_.end()) return stored_.Save(key, value);
    it->second = std::string(value);
    return true;
}

std::optional<std::map<std::string, std::string>> ChooseCatalogueRows(
    const std::vector<std::string>& catalogue, const std::string& list, std::string& error) {
    std::map<std::string, std::string> chosen;
    for (const auto& text : catalogue) chosen[UpperAscii(text)] = "False";
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(';', start), list.size());
        const std::string wanted = TrimCopy(list.substr(start, end - start));
        start = end + 1;
        if (wanted.empty()) continue;
        const auto it = chosen.find(UpperAscii(wanted));
        if (it == chosen.end()) {
            error = "unknown section \"" + wanted + "\"; the sections are:";
            for (const auto& text : catalogue) error += "\n  " + text;
            return std::nullopt;
        }
        it->second = "True";
    }
    return chosen;
}

}  // namespace vostrel::cli
