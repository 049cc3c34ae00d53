// What the game managers' own files say about a prefix: a Lutris game's
// YAML file (the prefix under "game:" or "wine:", and the game's name) and
// a Bottles bottle.yml (the bottle's name). The texts come from files other
// programs write and users edit; whatever they hold, these give an answer
// or a reason, and never throw.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vostrel::prefixes {

struct LutrisGame {
    std::string prefix;  // as written (may start with "~/" or hold $HOME)
    std::string name;    // empty when the file names none
};

// The game a Lutris game file describes. Nothing for a file that names no
// prefix; nothing with the reason in `error` for one that is not a Lutris
// game file (left empty for an empty file).
std::optional<LutrisGame> ParseLutrisGame(std::string_view text, std::string* error);

// The name a bottle.yml gives its bottle; empty when it gives none, with the
// reason in `error` when the text is not YAML.
std::string ParseBottleName(std::string_view text, std::string* error);

}  // namespace vostrel::prefixes
