// The main window's controls by name: every Control maps to a widget (or a
// timer); captions, widths in twips, check box values, enabled and visible
// states go straight to them. The scan's events reach them through ScanView.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>

#include <array>
#include <string>
#include <string_view>

#include "shell/skin_layout.h"

namespace vostrel::shell {

// The controls of the main window that follow a scan and a repair, and
// their widgets' object names (which the skin and the tests use), in order:
// the names of their rows in the layout table.
enum class Control {
    Status,
    CurrentKey,
    CurrentFile,
    ProblemCount,
    RepairingLabel,
    ScanProgressFrame,
    ScanProgressBar,
    RepairProgressFrame,
    BlinkTimer,
    BugPicture,
    ScanNowButton,
    ScanningView,
    ResultsView,
    ScanningFrame,
    ResultsFrame,
    StartFrame,
    Window,
    SelectAllBox,
    RepairProgressBar,
    RepairButton,
    ReturnButton,
    ShowLogButton,
    SummaryList,
    DetailList,
    CancelledMark,
};

inline constexpr std::array<std::string_view, 25> kControlNames{
    Layout(LayoutId::MainStatus).name,
    Layout(LayoutId::MainCurrentKey).name,
    Layout(LayoutId::MainCurrentFile).name,
    Layout(LayoutId::MainProblemCount).name,
    Layout(LayoutId::MainRepairing).name,
    Layout(LayoutId::MainScanProgressFrame).name,
    Layout(LayoutId::MainScanProgressBar).name,
    Layout(LayoutId::MainRepairProgressFrame).name,
    "tmrPicVisibleOrNot",  // a timer: it has no place on the window
    Layout(LayoutId::MainBug).name,
    Layout(LayoutId::MainScanNow).name,
    Layout(LayoutId::MainScanningView).name,
    Layout(LayoutId::MainResultsView).name,
    Layout(LayoutId::MainScanningFrame).name,
    Layout(LayoutId::MainResultsFrame).name,
    Layout(LayoutId::MainStartView).name,
    Layout(LayoutId::MainForm).name,
    Layout(LayoutId::MainSelectAll).name,
    Layout(LayoutId::MainRepairProgressBar).name,
    Layout(LayoutId::MainRepair).name,
    Layout(LayoutId::MainReturn).name,
    Layout(LayoutId::MainShowLog).name,
    Layout(LayoutId::MainSummary).name,
    Layout(LayoutId::MainDetails).name,
    Layout(LayoutId::MainCancelled).name,
};

constexpr std::string_view ControlName(Control c) { return kControlNames[static_cast<int>(c)]; }

class SoundPlayer;

class QtWindow final {
public:
    explicit QtWindow(SoundPlayer* sound = nullptr) : sound_(sound) {}
    ~QtWindow();

    void Register(Control control, QWidget* widget);
    void RegisterTimer(Control control, QTimer* timer);
    // A widget enabled and disabled together with the control: the hover
    // image of a picture button, so that an inert button cannot be clicked
    // through a hover image still showing.
    void RegisterCompanion(Control control, QWidget* widget);
    QWidget* widget(Control control) const;

    void SetCaption(Control control, std::string_view text);
    std::string Caption(Control control) const;
    void SetValue(Control control, int value);
    int Value(Control control) const;
    void SetEnabled(Control control, bool enabled);
    bool Enabled(Control control) const;
    void SetVisible(Control control, bool visible);
    bool Visible(Control control) const;
    void BringToFront(Control control);
    void SetBusyPointer(bool busy);
    bool busy() const { return busy_; }
    void PlaySound(std::string_view hostPath);

private:
    std::map<Control, QPointer<QWidget>> widgets_;
    std::map<Control, QPointer<QTimer>> timers_;
    std::multimap<Control, QPointer<QWidget>> companions_;
    SoundPlayer* sound_;
    bool busy_ = false;
};

// The screen's mouse pointer: hourglass (busy) or default.
void SetScreenPointer(bool busy);

}  // namespace vostrel::shell
