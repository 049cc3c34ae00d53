#include "prefixes/tool_files.h"

#include <yaml-cpp/yaml.h>

#include <exception>
#include <new>

namespace vostrel::prefixes {

namespace {

std::string Scalar(const YAML::Node& node) {
    if (!node || !node.IsScalar()) return {};
    return node.Scalar();
}

std::string ScalarAt(const YAML::Node& root, const char* section, const char* key) {
    const YAML::Node block = root[section];
    if (!block || !block.IsMap()) return {};
    return Scalar(block[key]);
}

// The document, or nothing with the reason. yaml-cpp throws its own
// exceptions for bad YAML and refuses nesting too deep for its stack; a
// text too large for memory is an answer too, not the end of the search.
std::optional<YAML::Node> Load(std::string_view text, std::string* error) {
    try {
        return YAML::Load(std::string(text));
    } catch (const YAML::Exception& e) {
        if (error) *error = e.what();
    } catch (const std::bad_alloc&) {
        if (error) *error = "too large to read";
    } catch (const std::exception& e) {
        if (error) *error = e.what();
    }
    return std::nullopt;
}

}  // namespace

std::optional<LutrisGame> ParseLutrisGame(std::string_view text, std::string* error) {
    const auto game = Load(text, error);
    if (!game) return std::nullopt;
    try {
        if (!game->IsMap()) {
            if (!game->IsNull() && error) *error = "not a Lutris game file";
            return std::nullopt;
        }
        LutrisGame found;
        found.prefix = ScalarAt(*game, "game", "prefix");
        if (found.prefix.empty()) found.prefix = ScalarAt(*game, "wine", "prefix");
        if (found.prefix.empty()) return std::nullopt;
        found.name = Scalar((*game)["name"]);
        return found;
    } catch (const std::exception& e) {
        if (error) *error = e.what();
        return std::nullopt;
    }
}

std::string ParseBottleName(std::string_view text, std::string* error) {
    const auto yml = Load(text, error);
    if (!yml) return {};
    try {
        return yml->IsMap() ? Scalar((*yml)["Name"]) : std::string();
    } catch (const std::exception& e) {
        if (error) *error = e.what();
        return {};
    }
}

}  // namespace vostrel::prefixes
