// Text a link file holds in the ANSI code page of the machine that made it
// (a shell item's short name, the link information's local path), turned
// into the program's UTF-8. A link made on a Russian Windows holds cp1251,
// one made on a Chinese Windows cp936: read as Windows-1252 they name files
// that do not exist.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "system/registry_api.h"

namespace vostrel {

inline constexpr unsigned kWesternCodePage = 1252;

// The bytes in the given Windows code page as UTF-8; nothing when the code
// page is not known here or the bytes are no text in it. Windows-1252 is
// read as Windows and Wine read it (its five unassigned bytes included).
std::optional<std::string> AnsiCodePageToUtf8(std::string_view bytes, unsigned codePage);

// The machine's ANSI code page: the ACP value under
// HKLM\System\CurrentControlSet\Control\Nls\CodePage, which Wine sets from
// the locale it was started in; Windows-1252 when there is none.
unsigned MachineAnsiCodePage(RegistryApi& registry);

}  // namespace vostrel
