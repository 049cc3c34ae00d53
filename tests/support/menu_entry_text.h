// Menu entries as Wine's menu builder writes them, for tests that plant
// them by hand.
#pragma once

#include <string>

namespace vostrel::testing {

// The escaping the menu builder applies to the program and its arguments.
std::string EscapeLikeWine(const std::string& arg);

// An entry as the menu builder writes it; no WINEPREFIX when `prefix` is
// empty, no Icon= when `icon` is.
std::string WineMenuEntryText(const std::string& name, const std::string& prefix,
                              const std::string& program, const std::string& icon = "");

}  // namespace vostrel::testing
