// frmMenuPopUp: the small menu that rises out of the bottom right corner of
// the screen's available area when the tray icon is double-clicked or
// context-clicked, rests for ten seconds, and falls and unloads by itself.
#pragma once

#include <QTimer>
#include <QWidget>

#include "shell/skin_layout.h"

namespace vostrel::shell {

struct AppContext;
class SkinImage;
class SkinLabel;

class PopupMenu : public QWidget {
    Q_OBJECT
public:
    // Shows the menu; a menu already loaded is only brought forward.
    static PopupMenu* ShowMenu(AppContext& app);

    // An item by its object name, or by its row of the layout.
    SkinLabel* item(const QString& name) const;
    SkinLabel* item(LayoutId id) const;
    QTimer* tmrMenuPopup() const { return tmrMenuPopup_; }
    QTimer* TmrEnablePopDown() const { return tmrEnablePopDown_; }
    QTimer* tmrPopDown() const { return tmrPopDown_; }
    int lRestTop() const { return lRestTop_; }
    // The top beyond which a falling menu unloads: the bottom of the screen's available area.
    int unloadTop() const { return unloadTop_; }

    void MenuRestore();
    void MenuScan();
    void MenuSettings();
    void MenuExit();
    void CloseMenu();
    void ResetHoverLooks();

protected:
    // Escape closes the menu.
    void keyPressEvent(QKeyEvent* event) override;

private:
    explicit PopupMenu(AppContext& app);
    void FormLoad();
    void RestoreMainWindow();
    void Unload();
    void ShowHoverLook(SkinLabel* item);

    AppContext& app_;
    SkinImage* picture1_ = nullptr;
    QTimer* tmrMenuPopup_ = nullptr;
    QTimer* tmrEnablePopDown_ = nullptr;
    QTimer* tmrPopDown_ = nullptr;
    int lRestTop_ = 0;
    int unloadTop_ = 0;
    // An item's handler can run for long (a scan) while the menu falls and
    // unloads; the menu is then deleted only once the handler has returned.
    int handlerDepth_ = 0;
    bool unloadPending_ = false;
    friend class HandlerScope;
};

}  // namespace vostrel::shell
