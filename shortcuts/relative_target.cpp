#include "system/shortcut_reader.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace vostrel {

namespace {

bool IsDrivePath(std::string_view path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && path[2] == '\\';
}

}  // namespace

std::string ResolveRelativeTarget(std::string_view folder, std::string_view relative) {
    std::string joined = std::string(folder);
    if (!joined.empty() && joined.back() != '\\') joined.push_back('\\');
    joined += relative;
    if (!IsDrivePath(joined)) return {};
    std::vector<std::string> parts;
    std::stringstream stream(joined.substr(3));
    for (std::string part; std::getline(stream, part, '\\');) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string result = joined.substr(0, 3);
    for (std::size_t i = 0; i < parts.size(); ++i) result += (i ? "\\" : "") + parts[i];
    return result;
}

}  // namespace vostrel
