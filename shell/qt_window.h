// The core's window port on Qt: every Control of the main window maps to a
// widget (or a timer); captions, widths in twips, check box values, enabled
// and visible states go straight to them.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>

#include "system/window.h"

namespace vostrel::shell {

class SoundPlayer;

class QtWindow final : public Window {
public:
    explicit QtWindow(SoundPlayer* sound = nullptr) : sound_(sound) {}
    ~QtWindow() override;

    void Register(Control control, QWidget* widget);
    void RegisterTimer(Control control, QTimer* timer);
    // A widget enabled and disabled together with the control: the hover
    // image of a picture button, so that an inert button cannot be clicked
    // through a hover image still showing.
    void RegisterCompanion(Control control, QWidget* widget);
    QWidget* widget(Control control) const;

    void SetCaption(Control control, std::string_view text) override;
    std::string Caption(Control control) const override;
    void SetValue(Control control, int value) override;
    int Value(Control control) const override;
    void SetEnabled(Control control, bool enabled) override;
    bool Enabled(Control control) const override;
    void SetVisible(Control control, bool visible) override;
    bool Visible(Control control) const override;
    void BringToFront(Control control) override;
    void SetBusyPointer(bool busy) override;
    bool busy() const { return busy_; }
    void ProcessPendingEvents() override;
    std::string AskMessage(std::string_view messageKind) override;
    void PlaySound(std::string_view hostPath) override;

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
