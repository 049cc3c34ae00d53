// Host files that must be on the disk before the program goes on: a backup
// record is appended and flushed before the value it saves is deleted, a
// shortcut is copied and flushed before the shortcut is deleted.
#pragma once

#include <string>
#include <string_view>

namespace vostrel {

// Appends the bytes to the file (created when missing) and flushes the file
// and, when it was created, its folder. True when all of it is on the disk.
bool AppendDurably(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// Copies a file over `to` (replacing it) and flushes the copy and its folder.
bool CopyDurably(const std::string& from, const std::string& to, std::string* error = nullptr);

}  // namespace vostrel
