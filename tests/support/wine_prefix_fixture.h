// Real Wine prefixes for tests, made by `wineboot -i`.
//
// `wineboot -i` takes ~16 s, so it runs once per machine and Wine version:
// the result is kept as a template in the temporary folder
// ("vostrel-wine-prefix-<uid>-<wine version>", or $VOSTREL_WINE_TEMPLATE),
// made under a file lock so that test processes running side by side wait
// for one another. Each test process then gets its own copy, which takes
// well under a second: the registry files and small files are copied, the
// big files under drive_c (the Windows DLLs) are hard links into the
// template. Replace or delete those files in a test if you must, but never
// write into them in place.
//
// Every Wine program runs with WINEDEBUG=-all, WINEDLLOVERRIDES="mscoree,mshtml="
// (and Wine's menu builder off) and a private empty HOME, so nothing of the
// user's own setup leaks in, and no menu entry leaks out.
//
// Typical use:
//
//   if (!WineAvailable()) GTEST_SKIP() << "wine is not installed";
//   const std::string& prefix = SharedWinePrefix();
//   RunWine(prefix, {"reg", "add", "HKCU\\Software\\T", "/v", "x", "/d", "1", "/f"});
//   WaitForWineserver(prefix);   // the registry files are written when it ends
#pragma once

#include <string>
#include <vector>

namespace vostrel::testing {

// True when `wine`, `wineboot` and `wineserver` can be run.
bool WineAvailable();

// The prefix of this test process: made on first use, removed (after its
// wineserver is stopped) when the process ends. Throws when it cannot be made.
const std::string& SharedWinePrefix();

// A fresh copy of the template prefix at `folder` (which must not exist yet;
// its parent must). For tests that need an untouched prefix of their own.
void CopyTemplatePrefix(const std::string& folder);

// Runs a Wine program (`wine <args...>`) on `prefix`; returns its exit status
// (or -1 when it could not be started). Its standard output goes to *output
// when given; its error output is dropped.
int RunWine(const std::string& prefix, const std::vector<std::string>& args,
            std::string* output = nullptr);

// `wineserver <args...>` on `prefix`.
int RunWineserver(const std::string& prefix, const std::vector<std::string>& args);

// Waits until the prefix's wineserver has ended; it saves the registry files
// as it ends (wineserver -w).
void WaitForWineserver(const std::string& prefix);

// Stops the prefix's wineserver at once, after it has saved (wineserver -k).
void KillWineserver(const std::string& prefix);

// Starts a wineserver that stays until killed (wineserver -p), and waits
// until it holds the prefix.
void StartPersistentWineserver(const std::string& prefix);

}  // namespace vostrel::testing
