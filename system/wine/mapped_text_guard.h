// A registry file is mapped rather than copied only when everything that
// saves it replaces it as a whole, and Wine's libraries (searched through a
// mapping for their font names) are replaced whole by updates too. Someone
// may still cut such a file short where it stands while it is mapped (an
// editor that writes in place); the pages past its new end would then stop
// the program with SIGBUS the next time they are read. The guard answers
// such a fault inside a guarded range by putting a page of zeros in its
// place, so that the text reads as NULs there (never a valid line or name)
// and the program goes on; faults anywhere else go to whoever handled them
// before. A registry text changed that way is also changed on disk, so the
// registry refuses to save over it (its stamp moved).
#pragma once

#include <cstddef>

namespace vostrel {

// Guards [begin, begin + length); false when every slot is taken (the
// text is then read unguarded, as before the guard existed).
bool GuardMappedText(const char* begin, std::size_t length);
void UnguardMappedText(const char* begin);
// How many pages were put in place of a cut-short file since the start.
std::size_t MappedPagesReplaced();

}  // namespace vostrel
