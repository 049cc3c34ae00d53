// The keys of the per-user settings, as data: stored files carry these
// names, so they never change. Besides them the catalogue stores each
// row's check state under the row's own text.
#pragma once

#include <string_view>

namespace vostrel {

inline constexpr std::string_view kSelectAllKey = "chkSelectlistviewItems";
inline constexpr std::string_view kPlaySoundKey = "chkPlaySound";
inline constexpr std::string_view kSoundFileKey = "txtWaveFilesPath";
inline constexpr std::string_view kMakeReportKey = "chkMakeLogFile";
inline constexpr std::string_view kReportFolderKey = "txtLogFile";
inline constexpr std::string_view kMakeBackupKey = "chkMakeBackUp";
inline constexpr std::string_view kBackupFolderKey = "txtBackup";
inline constexpr std::string_view kRunAtStartupKey = "chkRunAtStartup";
inline constexpr std::string_view kNoCloseNoticeKey = "chkDoNotShowInFuture";
// The folder of another Wine (Proton's, a Lutris runner's) than the system's.
inline constexpr std::string_view kWineFolderKey = "txtWine";
// The Wine prefix last chosen on the start view: the desktop program opens
// it when neither --prefix nor $WINEPREFIX names one.
inline constexpr std::string_view kWinePrefixKey = "txtWinePrefix";
// Where the main window was last, "x,y,width,height" in pixels: it opens
// there again (on a screen there is).
inline constexpr std::string_view kMainWindowGeometryKey = "frmMainGeometry";

}  // namespace vostrel
