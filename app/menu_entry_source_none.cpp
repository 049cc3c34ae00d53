// The native Windows build: Wine writes no menu entries there.
#include "app/menu_entry_source.h"

namespace vostrel {

std::unique_ptr<MenuEntrySource> OpenMenuEntrySource(FileSystemApi&) { return nullptr; }

}  // namespace vostrel
