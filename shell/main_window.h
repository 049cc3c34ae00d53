// FRMmAIN, the main window: header, start view with the section catalogue
// and its buttons, scanning view, results view, its timers, its refresh and
// resize handling, and closing to the notification area.
#pragma once

#include <QCheckBox>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;

namespace vostrel::shell {

struct AppContext;
class ImagePair;
class ListView;
class SkinImage;
class SkinLabel;

// The select-all box: three states, but a click only ever checks or unchecks.
class SelectAllCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override;
};

class FrmMain : public QWidget {
    Q_OBJECT
public:
    explicit FrmMain(AppContext& app);

    // Operations the other windows call.
    void RefreshThePicControls();
    void Picture1_GotFocus();
    void LoadlvwRegistryvaluesScanValues();
    void ImgScanNowMouseMove_Click();
    void ImgRepairMouseMove_Click();
    void Picture1_MouseMove();
    bool ScanIdle() const;
    QTimer* tmrSettings() const { return tmrSettings_; }
    // Steps of closing: hide the window and put the icon in the tray.
    void HideToTray();
    // A mouse event on the notification-area icon.
    void TrayActivated(QSystemTrayIcon::ActivationReason reason);

    // The controls, for the other windows and the tests.
    ImagePair* pair(const QString& normalName) const;
    QWidget* control(const QString& name) const;
    ListView* catalogue() const { return lvwRegistryvaluesScan_; }
    ListView* summary() const { return lvwRegistryProblems_; }
    ListView* details() const { return lvwRegistryErrorsDetail_; }
    QCheckBox* selectAll() const { return chkSelectlistviewItems_; }
    QTimer* tmrPicVisibleOrNot() const { return tmrPicVisibleOrNot_; }
    QTimer* tmrRefreshlvwContents() const { return tmrRefreshlvwContents_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildHeader();
    void BuildStartView();
    void BuildScanningView();
    void BuildResultsView();
    void BuildFooter();
    void BuildTimers();
    void RegisterControls();
    void FormLoad();
    void FormResize();

    void ImgSettingsMouseMove_Click();
    void imgRestoreMouseMove_Click();
    void tmrSettings_Timer();
    void ToggleSelectAll();
    // Shows the session's select-all state on the box.
    void ShowSelectAll();
    // A catalogue row's box was toggled (or the row clicked).
    void CatalogueChanged(std::size_t row, bool clicked);
    void OpenPage(const QString& url);
    void ShowLog();
    ImagePair* AddPair(const QString& normal, const QString& hover, QWidget* parent,
                       const QRect& geometry, const QString& caption, const QString& icon = {});

    AppContext& app_;
    SkinImage* picture1_ = nullptr;
    QWidget* frameScanSettings_ = nullptr;
    ListView* lvwRegistryvaluesScan_ = nullptr;
    ListView* lvwRegistryProblems_ = nullptr;
    ListView* lvwRegistryErrorsDetail_ = nullptr;
    SelectAllCheckBox* chkSelectlistviewItems_ = nullptr;
    QLabel* lblScanText_ = nullptr;
    QLabel* lblSettingsText_ = nullptr;
    QLabel* lblBackUpText_ = nullptr;
    QPushButton* cmdShowLog_ = nullptr;
    SkinImage* picScanning_ = nullptr;
    SkinImage* picResults_ = nullptr;
    QTimer* tmrSettings_ = nullptr;
    QTimer* tmrRefreshlvwContents_ = nullptr;
    QTimer* tmrPicVisibleOrNot_ = nullptr;
    QList<ImagePair*> pairs_;
};

}  // namespace vostrel::shell
