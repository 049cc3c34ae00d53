#include "system/winapi.h"

#include <string>

#include "system/text.h"

namespace vostrel {

std::optional<HKEY> RootFromName(std::string_view name) {
    const std::string wanted = UpperAscii(Trim(name));
    for (const auto& root : kRootKeys)
        if (root.name == wanted) return root.handle;
    return std::nullopt;
}

std::string RootHandleText(HKEY key) { return std::to_string(static_cast<std::int32_t>(key)); }

}  // namespace vostrel
