#include "results/return_to_start.h"

#include <filesystem>

namespace vostrel {

namespace {

// The scan report: the folder of "txtLogFile" (the program's folder by
// default) and "ScanReport.txt".
std::string ReportPath(SettingsStore& settings) {
    const std::string folder = settings.Get("txtLogFile", ProgramFolder());
    return (std::filesystem::path(folder) / "ScanReport.txt").string();
}

}  // namespace

void ImgReturnMouseMove_Click(MainForm& form) {
    for (Control hidden : {Control::PicResults, Control::PicScanning, Control::FrameRegistryProblemsDetails,
                           Control::FrameScanning})
        form.window.SetVisible(hidden, false);
    form.window.SetVisible(Control::FrameScanSettingShelidButton, true);
    std::error_code ec;
    form.window.SetEnabled(Control::cmdShowLog, std::filesystem::is_regular_file(ReportPath(form.settings), ec));
}

}  // namespace vostrel
