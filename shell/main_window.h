// FRMmAIN, the main window: header, start view with the section catalogue
// and its buttons, scanning view, results view, its timers, its refresh and
// resize handling, and closing to the notification area.
#pragma once

#include <QCheckBox>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "shell/skin_layout.h"
#include "shell/work_thread.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace vostrel::shell {

struct AppContext;
class ImagePair;
class ListView;
class ResultsPanel;
class ResizeAnchors;
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

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(AppContext& app);
    ~MainWindow() override;

    // Operations the other windows call.
    void RefreshThePicControls();
    void RefreshOnFocus();
    void LoadCatalogue();
    // Both run on the window's worker; they return once it has started.
    void RunScan();
    void RepairAll();
    void ResetHoverLooks();
    bool ScanIdle() const;
    // A scan or a repair runs (for a repair, from its question on), or the
    // window is still showing what it left: the conflicting actions are off.
    bool Busy() const { return busy_; }
    // Asks the running work to stop and waits for it (the window is going
    // away). A repair finishes the records it writes; a scan stops at its
    // next check.
    void StopWork();
    // The prefix has been read: the catalogue gets its drives and a scan
    // may start.
    void MachineLoaded();
    QTimer* settingsTimer() const { return settingsTimer_; }
    // Steps of closing: hide the window and put the icon in the tray.
    void HideToTray();
    // A mouse event on the notification-area icon.
    void TrayActivated(QSystemTrayIcon::ActivationReason reason);
    // Ends the program: a running scan or repair is stopped safely first
    // (a repair finishes the records it writes), then the icon goes.
    void Quit();
    // The window's place and size go into the settings (when it goes to the
    // tray and when the program ends) and come back from them on start,
    // on a screen there is now.
    void SaveGeometry();
    void RestoreGeometry();
    // Another start of the program asked for the window: shown (from the
    // tray or minimised), raised and made the active one.
    void BringForward();

    // The controls, for the other windows and the tests: by object name
    // (the window's own included) or by their row of the layout.
    ImagePair* pair(const QString& normalName) const;
    ImagePair* pair(LayoutId id) const;
    QWidget* control(const QString& name) const;
    QWidget* control(LayoutId id) const;
    ListView* catalogue() const { return catalogue_; }
    ListView* summary() const { return summary_; }
    ListView* details() const { return details_; }
    ResultsPanel* results() const { return results_; }
    QCheckBox* selectAll() const { return chkSelectlistviewItems_; }
    QTimer* blinkTimer() const { return blinkTimer_; }
    QTimer* refreshTimer() const { return refreshTimer_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Set while a scan or a repair runs (from the repair's question on).
    bool busy_ = false;
    void SetBusy(bool busy);
    // The work is over: what the window does after it, on its own thread.
    void ScanDone();
    void RepairDone(const std::optional<std::string>& refusal);
    // The catalogue was to be reloaded while the work ran: it is, now.
    bool reloadAfterWork_ = false;
    std::unique_ptr<WorkThread> work_;
    void BuildHeader();
    void BuildStartView();
    void BuildScanningView();
    void BuildResultsView();
    void BuildFooter();
    void BuildTimers();
    void BuildAnchors();
    void RegisterControls();
    void FormLoad();
    void FormResize();
    // While the prefix is read: the start view says so, Scan Now is inert.
    void ShowLoading(bool loading);

    // The window's keys: F5 scans, Ctrl+A ticks every problem of the
    // results, Delete repairs what is ticked (after the question).
    void BuildShortcuts();
    // What each button does, for screen readers.
    void DescribeButtons();
    void TickAllResults();
    void RepairFromKeyboard();
    // Whether the catalogue has a ticked row (else Scan Now says why it
    // does not scan).
    bool AnythingToScan() const;
    void OpenSettings();
    void OpenBackups();
    void OpenSettingsLater();
    void ToggleSelectAll();
    // Shows the session's select-all state on the box.
    void ShowSelectAll();
    // A catalogue row's box was toggled (or the row clicked).
    void CatalogueChanged(std::size_t row, bool clicked);
    // Brings the catalogue's rows on screen into line with the session's
    // sections and choices.
    void ShowCatalogue();
    void OpenPage(const QString& url);
    void ShowLog();
    ImagePair* AddPair(LayoutId id, QWidget* parent, const QString& caption,
                       const QString& icon = {});

    AppContext& app_;
    SkinImage* picture1_ = nullptr;
    QWidget* frameScanSettings_ = nullptr;
    ListView* catalogue_ = nullptr;
    ListView* summary_ = nullptr;
    ListView* details_ = nullptr;
    ResultsPanel* results_ = nullptr;
    SelectAllCheckBox* chkSelectlistviewItems_ = nullptr;
    QLabel* lblScanText_ = nullptr;
    QLabel* lblSettingsText_ = nullptr;
    QLabel* lblBackUpText_ = nullptr;
    QPushButton* cmdShowLog_ = nullptr;
    SkinImage* picScanning_ = nullptr;
    SkinImage* picResults_ = nullptr;
    QLabel* wineRunning_ = nullptr;  // the results' note that Wine runs on the prefix
    QTimer* settingsTimer_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
    QTimer* blinkTimer_ = nullptr;
    QList<ImagePair*> pairs_;
    std::unique_ptr<ResizeAnchors> anchors_;
};

// Ctrl+Q in `window` (the main window or one of the program's other
// windows) quits the program.
void InstallQuitShortcut(QWidget* window, AppContext& app);

}  // namespace vostrel::shell
