// libFuzzer target for the ignore list: whatever the file holds, reading it
// never throws, and every line is either an entry or named as a problem.
// The list's own text reads back to the same entries with no problem, and
// an entry with any bytes at all (line breaks, quotes, control characters,
// bytes that are not UTF-8) added and written reads back as the list keeps it.
//
// Input: the file's text; after a NUL byte, a machine, a pattern and a value
// name for an added entry, separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "ignore/ignore_list.h"

namespace {

std::string_view NextField(std::string_view& rest) {
    const std::size_t nul = rest.find('\0');
    const std::string_view field = rest.substr(0, nul);
    rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
    return field;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view text = NextField(rest);

    std::vector<vostrel::IgnoreParseError> problems;
    vostrel::IgnoreList list = vostrel::IgnoreList::Read(text, &problems);
    const auto entries = list.Entries();

    // The written text keeps the lines it could not understand as they were,
    // so it reads back to the same entries and the same problems.
    std::vector<vostrel::IgnoreParseError> again;
    const auto reread = vostrel::IgnoreList::Read(list.Text(), &again);
    if (reread.Entries() != entries) std::abort();
    if (again.size() != problems.size()) std::abort();

    if (rest.empty()) return 0;
    vostrel::IgnoreEntry added;
    added.machine = std::string(NextField(rest));
    added.pattern = std::string(NextField(rest));
    if (added.pattern.empty()) return 0;
    // Entries are added from problems, whose key paths always start at a root.
    added.kind = added.pattern.size() % 2 ? vostrel::IgnoreEntry::Kind::Registry
                                          : vostrel::IgnoreEntry::Kind::Shortcut;
    if (added.kind == vostrel::IgnoreEntry::Kind::Registry)
        added.pattern = "HKEY_LOCAL_MACHINE\\" + added.pattern;
    if (added.kind == vostrel::IgnoreEntry::Kind::Registry && !rest.empty())
        added.value = std::string(NextField(rest));
    if (!list.Add(added)) return 0;
    std::vector<vostrel::IgnoreParseError> afterAdd;
    const auto written = vostrel::IgnoreList::Read(list.Text(), &afterAdd);
    if (afterAdd.size() != problems.size()) std::abort();
    // The entry as the list keeps it (its machine and key path in their
    // usual spelling) reads back exactly, and so does every other entry.
    const auto now = list.Entries();
    if (now.size() != entries.size() + 1) std::abort();
    if (written.Entries() != now) std::abort();
    return 0;
}
