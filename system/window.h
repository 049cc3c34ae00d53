// The one narrow way the core reaches "the window": captions, widths,
// enabled and visible states of named controls, the busy pointer, letting the
// window process pending events, playing a sound and asking a question
// through the message box. The desktop program, the command line and the
// tests each implement it.
#pragma once

#include <array>
#include <chrono>
#include <map>
#include <string>
#include <string_view>

namespace vostrel {

// The controls of the main window that the core touches.
enum class Control {
    lblStatus,
    lblRegistryScan,
    lblRegistryFilesScan,
    lblProblemsFound,
    lblDeletingCourrutpfils,
    PicMainProgress,
    PicProgress,
    ImgDeleteProgress,
    cmdCancelOrStop,
    tmrPicVisibleOrNot,
    PicBug,
    ImgScanNowNormal,
    PicScanning,
    PicResults,
    FrameScanning,
    FrameRegistryProblemsDetails,
    FrameScanSettingShelidButton,
    MainWindow,
    chkSelectlistviewItems,
    ImgDeleteProgressInside,
    ImgRepairNormal,
    ImgReturnNormal,
    cmdShowLog,
    lvwRegistryProblems,
    lvwRegistryErrorsDetail,
};

inline constexpr std::array<std::string_view, 25> kControlNames{
    "lblStatus",       "lblRegistryScan",      "lblRegistryFilesScan", "lblProblemsFound",
    "lblDeletingCourrutpfils", "PicMainProgress", "PicProgress",     "ImgDeleteProgress",
    "cmdCancelOrStop", "tmrPicVisibleOrNot",   "PicBug",               "ImgScanNowNormal",
    "PicScanning",     "PicResults",           "FrameScanning",        "FrameRegistryProblemsDetails",
    "FrameScanSettingShelidButton", "MainWindow", "chkSelectlistviewItems",
    "ImgDeleteProgressInside", "ImgRepairNormal", "ImgReturnNormal", "cmdShowLog",
    "lvwRegistryProblems", "lvwRegistryErrorsDetail",
};

constexpr std::string_view ControlName(Control c) { return kControlNames[static_cast<int>(c)]; }

class Window {
public:
    virtual ~Window() = default;

    virtual void SetCaption(Control control, std::string_view text) = 0;
    virtual std::string Caption(Control control) const = 0;
    // Widths in twips (progress bars); values of check boxes (0, 1, 2).
    virtual void SetValue(Control control, int value) = 0;
    virtual int Value(Control control) const = 0;
    virtual void SetEnabled(Control control, bool enabled) = 0;
    virtual bool Enabled(Control control) const = 0;
    virtual void SetVisible(Control control, bool visible) = 0;
    virtual bool Visible(Control control) const = 0;
    virtual void BringToFront(Control) {}
    virtual void SetBusyPointer(bool busy) = 0;

    // Lets the window process pending events (clicks, timers) right now.
    virtual void ProcessPendingEvents() = 0;

    // Shows the skinned message box for a message kind, modal, and returns
    // the answer it leaves in strMessageKind ("YES", "NO" or empty).
    virtual std::string AskMessage(std::string_view messageKind) = 0;

    // Starts playing a sound file asynchronously (restarting it when it is
    // already playing); nothing when it cannot be played.
    virtual void PlaySound(std::string_view /*hostPath*/) {}
};

// A window that only remembers what it was told: the command line's window,
// and the base the tests record with. Unknown captions read as empty,
// controls start enabled and visible, values at 0.
class StateWindow : public Window {
public:
    void SetCaption(Control control, std::string_view text) override;
    std::string Caption(Control control) const override;
    void SetValue(Control control, int value) override;
    int Value(Control control) const override;
    void SetEnabled(Control control, bool enabled) override;
    bool Enabled(Control control) const override;
    void SetVisible(Control control, bool visible) override;
    bool Visible(Control control) const override;
    void SetBusyPointer(bool busy) override { busy_ = busy; }
    bool busy() const { return busy_; }
    void ProcessPendingEvents() override {}
    std::string AskMessage(std::string_view) override { return "NO"; }

private:
    std::map<Control, std::string> captions_;
    std::map<Control, int> values_;
    std::map<Control, bool> enabled_;
    std::map<Control, bool> visible_;
    bool busy_ = false;
};

// Lets the window process pending events where the program allows it, but
// not more often than every `interval` of work, so that a walk over a million
// values does not spend its time in the event loop.
class EventPump {
public:
    explicit EventPump(Window& window,
                       std::chrono::microseconds interval = std::chrono::milliseconds(10));
    // A point where events may be processed; does so when the interval passed.
    void Tick();
    // Processes events now, whatever the interval.
    void Now();

private:
    Window& window_;
    std::chrono::microseconds interval_;
    std::chrono::steady_clock::time_point last_;
};

}  // namespace vostrel
