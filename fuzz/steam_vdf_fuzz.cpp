// libFuzzer target for the reader of Steam's KeyValues files
// (libraryfolders.vdf, appmanifest_*.acf): any text gives a tree or an
// error, never both and never neither, and looking up keys in the tree is
// safe however deep or odd it is.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "prefixes/vdf.h"

namespace {

std::size_t Visit(const vostrel::prefixes::VdfNode& node, int depth) {
    if (depth > 1000) std::abort();
    if (!node.block && !node.children.empty()) std::abort();
    std::size_t count = 1;
    node.Find("path");
    node.Text("name");
    for (const auto& child : node.children) count += Visit(child, depth + 1);
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = vostrel::prefixes::ParseVdf(text);
    if (parsed.root.has_value() == !parsed.error.empty()) std::abort();
    if (parsed.root) {
        Visit(*parsed.root, 0);
        if (const auto* folders = parsed.root->Find("libraryfolders"); folders)
            for (const auto& library : folders->children) library.Text("path");
    }
    return 0;
}
