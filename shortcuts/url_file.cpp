#include "shortcuts/url_file.h"

#include <cctype>

#include "system/text.h"

namespace vostrel {

namespace {

std::string_view StripLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    return line;
}

std::string_view TrimSpace(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
    return -1;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

bool IsDrivePath(std::string_view path) {
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

}  // namespace

std::optional<std::string> ParseUrlFile(std::string_view contents) {
    bool inSection = false, sawSection = false;
    std::optional<std::string> url;
    while (!contents.empty()) {
        const std::size_t end = contents.find('\n');
        std::string_view line = TrimSpace(StripLineEnd(contents.substr(0, end)));
        contents = end == std::string_view::npos ? std::string_view{} : contents.substr(end + 1);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            inSection =
                EqualsNoCase(TrimSpace(line.substr(1, line.size() - 2)), "InternetShortcut");
            sawSection = sawSection || inSection;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inSection || eq == std::string_view::npos || url) continue;
        if (EqualsNoCase(TrimSpace(line.substr(0, eq)), "URL"))
            url = std::string(TrimSpace(line.substr(eq + 1)));
    }
    if (!sawSection || !url) return std::nullopt;
    return url;
}

std::string LocalPathOfUrl(std::string_view url) {
    url = TrimSpace(url);
    if (url.size() < 5 || !EqualsNoCase(url.substr(0, 5), "file:")) return {};
    std::string_view rest = url.substr(5);
    std::size_t slashes = 0;
    while (slashes < rest.size() && (rest[slashes] == '/' || rest[slashes] == '\\')) ++slashes;
    rest.remove_prefix(slashes);
    std::string path = PercentDecode(rest);
    for (char& c : path)
        if (c == '/') c = '\\';
    // file://localhost/C:/x names a local file too.
    if (!IsDrivePath(path) && path.size() > 10 && EqualsNoCase(path.substr(0, 10), "localhost\\"))
        path.erase(0, 10);
    if (!IsDrivePath(path)) return {};
    if (path.size() == 2) path.push_back('\\');
    return path;
}

}  // namespace vostrel
