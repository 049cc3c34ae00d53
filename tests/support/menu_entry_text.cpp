#include "support/menu_entry_text.h"

namespace vostrel::testing {

std::string EscapeLikeWine(const std::string& arg) {
    std::string out;
    for (const char c : arg) {
        if (c == '\\') {
            out += "\\\\\\\\";
        } else if (std::string(" \t\n\"'><~|&;$*?#()`").find(c) != std::string::npos) {
            out += "\\\\";
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

std::string WineMenuEntryText(const std::string& name, const std::string& prefix,
                              const std::string& program, const std::string& icon) {
    std::string text = "[Desktop Entry]\nName=" + name + "\nExec=";
    if (!prefix.empty()) text += "env WINEPREFIX=\"" + prefix + "\" ";
    text += "wine " + EscapeLikeWine(program) + "\nType=Application\nStartupNotify=true\n";
    if (!icon.empty()) text += "Icon=" + icon + "\n";
    return text;
}

}  // namespace vostrel::testing
