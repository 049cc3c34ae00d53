// The game managers' YAML files as users and the tools leave them: Lutris
// game files in the forms Lutris has written over the years, bottle.yml
// files, and texts that are no such file at all. Each gives a prefix and a
// name, nothing, or a reason; none stops the search.
#include <gtest/gtest.h>

#include <string>

#include "prefixes/tool_files.h"

namespace vostrel::prefixes {
namespace {

TEST(LutrisGameFile, ThePrefixUnderGameOrWineAndTheName) {
    struct Case {
        const char* text;
        const char* prefix;  // nullptr: no game
        const char* name;
        bool reason;  // a reason is given
    };
    const Case cases[] = {
        {"game:\n  exe: /g/w3/drive_c/w3.exe\n  prefix: /home/ann/Games/w3\nname: The Witcher 3\n",
         "/home/ann/Games/w3", "The Witcher 3", false},
        {"wine:\n  prefix: ~/Games/old\nname: \"Caf\\xE9\"\n", "~/Games/old", "Caf\xC3\xA9", false},
        // "game:" wins over "wine:", as Lutris reads them.
        {"wine:\n  prefix: /b\ngame:\n  prefix: /a\n", "/a", "", false},
        {"game:\n  prefix: [not, a, path]\nwine:\n  prefix: /w\n", "/w", "", false},
        {"name: &n Game\nalias: *n\ngame:\n  prefix: /p\n", "/p", "Game", false},
        {"game:\n  exe: x.exe\n", nullptr, "", false},  // a native game: no prefix
        {"", nullptr, "", false},
        {"- a\n- list\n", nullptr, "", true},
        {"game: {prefix: /p\n", nullptr, "", true},  // not YAML
        {"game:\n  prefix: *undefined\n", nullptr, "", true},
        {"\xff\xfe", nullptr, "", false},  // a byte-order mark and nothing else
    };
    for (const Case& c : cases) {
        std::string error;
        const auto game = ParseLutrisGame(c.text, &error);
        EXPECT_EQ(game.has_value(), c.prefix != nullptr) << c.text;
        if (game) {
            EXPECT_EQ(game->prefix, c.prefix);
            EXPECT_EQ(game->name, c.name);
        }
        EXPECT_EQ(!error.empty(), c.reason) << c.text << " gave: " << error;
    }
    // Nesting deeper than the reader's stack allows is refused, not followed.
    std::string deep(100000, '[');
    std::string error;
    EXPECT_FALSE(ParseLutrisGame(deep, &error));
    EXPECT_FALSE(error.empty());
}

TEST(BottleFile, TheNameOrNothing) {
    std::string error;
    EXPECT_EQ(ParseBottleName("Arch: win64\nName: My Bottle\nRunner: soda-7.0-9\n", &error),
              "My Bottle");
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(ParseBottleName("Name:\n  nested: map\n", &error), "");
    EXPECT_EQ(ParseBottleName("just text", &error), "");
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(ParseBottleName("Name: [unclosed\n", &error), "");
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_EQ(ParseBottleName(std::string(100000, '{'), &error), "");
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace vostrel::prefixes
