#include "shell/popup_menu.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "shell/app.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/skin.h"
#include "shell/skin_style.h"

namespace vostrel::shell {

namespace {

constexpr int kRiseStep = 80;  // twips per tick
constexpr int kFallStep = 40;
constexpr int kRestGap = 100;

QRect AvailableArea() {
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 738);
}

}  // namespace

// Marks a running item handler of the menu.
class HandlerScope {
public:
    explicit HandlerScope(PopupMenu* menu) : menu_(menu) { ++menu_->handlerDepth_; }
    ~HandlerScope() {
        if (--menu_->handlerDepth_ == 0 && menu_->unloadPending_) menu_->deleteLater();
    }

private:
    PopupMenu* menu_;
};

PopupMenu* PopupMenu::ShowMenu(AppContext& app) {
    if (app.menu) {
        app.menu->show();
        app.menu->raise();
        return app.menu;
    }
    auto* menu = new PopupMenu(app);
    app.menu = menu;
    menu->FormLoad();
    return menu;
}

PopupMenu::PopupMenu(AppContext& app)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), app_(app) {
    setObjectName(LayoutName(LayoutId::MenuForm));
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setFixedSize(LayoutRect(LayoutId::MenuForm).size());
    ApplySkinStyle(this);
    picture1_ = new SkinImage(LayoutId::MenuBackground, {"skin/menu_background.svg"}, this);
    connect(picture1_, &SkinImage::mouseMoved, this, &PopupMenu::ResetHoverLooks);
    const struct {
        LayoutId id;
        const char* caption;
    } items[] = {{LayoutId::MenuRestoreItem, QT_TR_NOOP("Maximize")},
                 {LayoutId::MenuScanItem, QT_TR_NOOP("Scan Now")},
                 {LayoutId::MenuSettingsItem, QT_TR_NOOP("Settings")},
                 {LayoutId::MenuExitItem, QT_TR_NOOP("Quit")}};
    for (const auto& entry : items) {
        auto* label = new SkinLabel(entry.id, tr(entry.caption), this);
        label->setAlignment(Qt::AlignCenter);
        label->SetFocusable();
        label->setStyleSheet("color: #ffffff;");
    }
    for (LayoutId line : {LayoutId::MenuLine1, LayoutId::MenuLine2, LayoutId::MenuLine3})
        Place(new QWidget(this), line)->setStyleSheet("background: #2bb3e6;");
    auto* closeLabel = new SkinLabel(LayoutId::MenuCloseItem, "X", this);
    closeLabel->setAlignment(Qt::AlignCenter);
    closeLabel->SetFocusable();
    closeLabel->setAccessibleName(tr("Close menu"));
    closeLabel->setStyleSheet("color: #ffffff;");
    connect(item(LayoutId::MenuRestoreItem), &SkinLabel::clicked, this, &PopupMenu::MenuRestore);
    connect(item(LayoutId::MenuScanItem), &SkinLabel::clicked, this, &PopupMenu::MenuScan);
    connect(item(LayoutId::MenuSettingsItem), &SkinLabel::clicked, this, &PopupMenu::MenuSettings);
    connect(item(LayoutId::MenuExitItem), &SkinLabel::clicked, this, &PopupMenu::MenuExit);
    connect(closeLabel, &SkinLabel::clicked, this, &PopupMenu::CloseMenu);
    for (LayoutId id : {LayoutId::MenuScanItem, LayoutId::MenuRestoreItem})
        connect(item(id), &SkinLabel::mouseMoved, this, [this, id] {
            ResetHoverLooks();
            ShowHoverLook(item(id));
        });
    for (LayoutId id : {LayoutId::MenuSettingsItem, LayoutId::MenuExitItem})
        connect(item(id), &SkinLabel::mouseMoved, this, [this, id] { ShowHoverLook(item(id)); });

    InstallQuitShortcut(this, app_);

    tmrMenuPopup_ = new QTimer(this);
    tmrMenuPopup_->setInterval(1);
    tmrEnablePopDown_ = new QTimer(this);
    tmrEnablePopDown_->setInterval(10000);
    tmrPopDown_ = new QTimer(this);
    tmrPopDown_->setInterval(10);
    connect(tmrMenuPopup_, &QTimer::timeout, this, [this] {
        show();
        if (y() > lRestTop_) {
            move(x(), y() - Twips(kRiseStep));
            return;
        }
        tmrMenuPopup_->stop();
        tmrEnablePopDown_->start();
    });
    connect(tmrEnablePopDown_, &QTimer::timeout, this, [this] {
        tmrEnablePopDown_->stop();
        tmrPopDown_->start();
    });
    connect(tmrPopDown_, &QTimer::timeout, this, [this] {
        show();
        move(x(), y() + Twips(kFallStep));
        if (y() > unloadTop_) {
            tmrPopDown_->stop();
            Unload();
        }
    });
}

SkinLabel* PopupMenu::item(const QString& name) const { return findChild<SkinLabel*>(name); }

SkinLabel* PopupMenu::item(LayoutId id) const { return item(LayoutName(id)); }

void PopupMenu::FormLoad() {
    MainWindow* main = app_.main;
    item(LayoutId::MenuRestoreItem)->setEnabled(!main->isVisible());
    item(LayoutId::MenuScanItem)->setEnabled(main->ScanIdle());
    item(LayoutId::MenuSettingsItem)->setEnabled(main->ScanIdle());
    SetScreenPointer(false);
    tmrPopDown_->stop();
    tmrEnablePopDown_->stop();
    // The menu starts with its top at the upper edge of the taskbar, that is
    // the bottom of the available area, at the right-hand edge.
    const QRect area = AvailableArea();
    const int bottom = area.y() + area.height();
    unloadTop_ = bottom;
    lRestTop_ = bottom - (height() + Twips(kRestGap));
    move(area.x() + area.width() - width(), bottom);
    show();
    tmrMenuPopup_->start();
}

void PopupMenu::ResetHoverLooks() {
    for (SkinLabel* label : findChildren<SkinLabel*>()) {
        const QString name = label->objectName();
        if (!name.contains("Menu", Qt::CaseInsensitive) ||
            name.contains("tmr", Qt::CaseInsensitive))
            continue;
        label->SetBold(false);
        label->SetUnderline(false);
        label->setAlignment(Qt::AlignCenter);
    }
}

void PopupMenu::ShowHoverLook(SkinLabel* label) {
    label->SetBold(true);
    label->SetUnderline(true);
    label->setAlignment(Qt::AlignCenter);
}

void PopupMenu::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        CloseMenu();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PopupMenu::CloseMenu() {
    tmrEnablePopDown_->stop();
    tmrMenuPopup_->stop();
    tmrPopDown_->start();
}

void PopupMenu::Unload() {
    hide();
    if (app_.menu == this) app_.menu = nullptr;
    if (handlerDepth_ > 0) {
        unloadPending_ = true;
        return;
    }
    deleteLater();
}

void PopupMenu::RestoreMainWindow() {
    MainWindow* main = app_.main;
    main->setWindowState(Qt::WindowNoState);
    main->show();
    main->RefreshThePicControls();
    main->LoadCatalogue();
}

void PopupMenu::MenuRestore() {
    const HandlerScope scope(this);
    RestoreMainWindow();
    SetScreenPointer(!item(LayoutId::MenuScanItem)->isEnabled());
    CloseMenu();
    app_.tray.RemoveIcon(app_.main);
}

void PopupMenu::MenuScan() {
    const HandlerScope scope(this);
    AppContext& app = app_;
    RestoreMainWindow();
    CloseMenu();
    app.tray.RemoveIcon(app.main);
    // The menu falls and unloads while the scan runs; it is deleted only
    // once this handler has returned.
    app.main->RunScan();
}

void PopupMenu::MenuSettings() {
    const HandlerScope scope(this);
    RestoreMainWindow();
    CloseMenu();
    app_.tray.RemoveIcon(app_.main);
    app_.main->settingsTimer()->start();
}

void PopupMenu::MenuExit() {
    const HandlerScope scope(this);
    MenuRestore();
    tmrEnablePopDown_->stop();
    tmrPopDown_->stop();
    if (Ask(MessageKind::CloseConfirmation) == Answer::Yes) {
        // A scan or a repair still running is stopped safely first.
        app_.main->Quit();
        return;
    }
    MainWindow* main = app_.main;
    // Without a notification area the window stays where the user can reach it.
    if (TrayIcon::Available()) {
        main->hide();
        app_.tray.ShowIcon(main);
        app_.tray.ChangeToolTip(main, tr("Vostrel 2006"));
    }
    tmrEnablePopDown_->start();
    tmrPopDown_->start();
}

}  // namespace vostrel::shell
