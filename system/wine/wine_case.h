// Letter case of UTF-16 units as Wine folds it when it compares file names
// (and builds their 8.3 hashes) and when wineserver orders and matches
// registry key and value names: Wine's case table is the simple Unicode
// upper and lower case mapping with every pair left out that does not map
// back (the Kelvin sign, dotless i, final sigma, title-case digraphs...), so
// that upper and lower case are each other's inverse. The tables are made
// once from the C library's Unicode data by that same rule.
//
// The portable core has a second, smaller fold (FoldCase in system/text.h)
// for the names it holds itself; see there why both exist.
#pragma once

namespace vostrel {

char16_t WineUpcase(char16_t c);
char16_t WineDowncase(char16_t c);

}  // namespace vostrel
