#include "scan/registration_keys.h"

#include <algorithm>
#include <array>
#include <map>
#include <tuple>

#include "scan/checks.h"
#include "scan/section_table.h"
#include "system/paths.h"
#include "system/text.h"

namespace vostrel {

namespace {

// Values that name where an installer came from, not where the program
// lives: an installer left in the downloads folder keeps no program alive.
constexpr std::array<std::string_view, 2> kNotTheProgramsPlace{"InstallSource", "LastUsedSource"};

// Stored text kinds hold UTF-16LE; the text with its NULs as blanks.
std::string TextOf(const StoredValue& value) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2)
        units.push_back(static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8)));
    for (char16_t& unit : units)
        if (unit == 0) unit = u' ';
    return Utf16ToUtf8(units);
}

bool SameValueName(std::string_view stored, std::string_view problemName) {
    if (stored.empty()) return problemName == kDefaultValueLabel;
    return EqualsNoCase(stored, problemName);
}

}  // namespace

std::optional<StoredKey> ReadStoredKey(RegistryApi& registry, HKEY root, std::string_view keyPath) {
    ScopedKey key(registry);
    if (registry.OpenKeyEx(root, keyPath, KEY_READ, key.out()) != ERROR_SUCCESS)
        return std::nullopt;
    StoredKey stored;
    std::vector<char> name(16384 * 3 + 1);
    DWORD length = static_cast<DWORD>(name.size());
    const LONG sub = registry.EnumKeyEx(key.get(), 0, name.data(), &length, nullptr, nullptr);
    if (sub == ERROR_SUCCESS || sub == ERROR_MORE_DATA)
        stored.hasSubkeys = true;
    else if (sub != ERROR_NO_MORE_ITEMS)
        return std::nullopt;
    for (DWORD index = 0;; ++index) {
        length = static_cast<DWORD>(name.size());
        const LONG status =
            registry.EnumValue(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) return std::nullopt;
        StoredValue value{std::string(name.data(), length), REG_NONE, {}};
        if (registry.QueryValueRaw(key.get(), value.name, &value.kind, &value.data) !=
            ERROR_SUCCESS)
            return std::nullopt;
        stored.values.push_back(std::move(value));
    }
    return stored;
}

bool NamesAPlace(std::string_view text) {
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    // A drive letter stands alone: "https://" names no drive.
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        const bool alone =
            i == 0 || !(isLetter(text[i - 1]) || (text[i - 1] >= '0' && text[i - 1] <= '9'));
        if (alone && isLetter(text[i]) && text[i + 1] == ':' &&
            (text[i + 2] == '\\' || text[i + 2] == '/'))
            return true;
    }
    const std::string trimmed = TrimQuotes(Trim(text));
    return trimmed.starts_with("\\\\") || trimmed.starts_with("%") || trimmed.starts_with("\\??\\");
}

bool HoldsNothingElseThatLives(const StoredKey& key, const std::vector<std::string>& deadValues) {
    if (key.hasSubkeys) return false;
    for (const StoredValue& value : key.values) {
        const bool dead =
            std::any_of(deadValues.begin(), deadValues.end(),
                        [&](const std::string& d) { return SameValueName(value.name, d); });
        if (dead || !IsTextKind(value.kind)) continue;
        if (std::any_of(kNotTheProgramsPlace.begin(), kNotTheProgramsPlace.end(),
                        [&](std::string_view n) { return EqualsNoCase(value.name, n); }))
            continue;
        if (NamesAPlace(TextOf(value))) return false;
    }
    return true;
}

bool IsRegistrationValue(const RegistryProblem& problem) {
    for (const SectionRow& row : kSectionRows) {
        if (row.registrationValue.empty() || row.scanner != problem.scanner) continue;
        if (!EqualsNoCase(problem.valueName, row.registrationValue)) return false;
        for (std::size_t i = 0; i < row.walkCount; ++i) {
            const WalkStep& walk = row.walks[i];
            if (walk.root != problem.root) continue;
            const auto below = KeysBelow(problem.keyPath, walk.keyPath);
            if (below && below->size() == 1) return true;
        }
        return false;
    }
    return false;
}

void MarkWholeKeys(ScanSession& session) {
    auto problems = session.result.problems.Of<RegistryProblem>();
    // The dead values of each key, as the scan found them.
    std::map<std::tuple<HKEY, std::string>, std::vector<std::string>> deadOf;
    for (const RegistryProblem& problem : problems)
        if (IsRegistrationValue(problem)) deadOf[{problem.root, UpperAscii(problem.keyPath)}];
    if (deadOf.empty()) return;
    for (const RegistryProblem& problem : problems)
        if (const auto it = deadOf.find({problem.root, UpperAscii(problem.keyPath)});
            it != deadOf.end())
            it->second.push_back(problem.valueName);
    for (RegistryProblem& problem : problems) {
        if (!IsRegistrationValue(problem)) continue;
        const auto stored = ReadStoredKey(session.registry, problem.root, problem.keyPath);
        problem.wholeKey =
            stored &&
            HoldsNothingElseThatLives(*stored, deadOf[{problem.root, UpperAscii(problem.keyPath)}]);
    }
}

}  // namespace vostrel
