#include "shell/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QSizeGrip>

#include "shell/app.h"
#include "shell/backup_window.h"
#include "shell/engine.h"
#include "shell/list_model.h"
#include "shell/message_box.h"
#include "shell/popup_menu.h"
#include "shell/prefix_chooser.h"
#include "shell/results_view.h"
#include "shell/settings_window.h"
#include "shell/skin.h"
#include "shell/skin_style.h"
#include "shell/translations.h"
#include "shell/window_layout.h"
#include "system/settings_keys.h"

namespace vostrel::shell {

namespace {

const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kLightGrey(0xE0, 0xE0, 0xE0);

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
}

QLabel* AddLabel(LayoutId id, const QString& text, QWidget* parent) {
    return Place(new QLabel(text, parent), id);
}

// A wrapped text that keeps within its box: when its lines (in a longer
// language, or with a larger desktop font) would run past the bottom, its
// font is made smaller, down to three quarters of its size.
class FittingLabel final : public QLabel {
public:
    FittingLabel(const QString& text, QWidget* parent) : QLabel(text, parent) { setWordWrap(true); }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        Fit();
    }

private:
    void Fit() {
        // The font it inherits first; only a text that does not fit has its own.
        setFont(QFont());
        QFont shrunk = font();
        const bool points = shrunk.pointSizeF() > 0;
        const qreal full = points ? shrunk.pointSizeF() : shrunk.pixelSize();
        for (qreal size = full; heightForWidth(width()) > height() && size - 0.5 >= full * 0.75;) {
            size -= 0.5;
            if (points)
                shrunk.setPointSizeF(size);
            else
                shrunk.setPixelSize(static_cast<int>(size));
            setFont(shrunk);
        }
    }
};

QLabel* AddFittingLabel(LayoutId id, const QString& text, QWidget* parent) {
    return Place(new FittingLabel(text, parent), id);
}

QList<QIcon> SectionIcons() {
    static const char* files[] = {"01-registry", "02-controls", "03-subsections", "04-locations",
                                  "05-help",     "06-shared",   "07-startup",     "08-uninstall",
                                  "09-vxd",      "10-fonts",    "11-config",      "12-drive",
                                  "13-menu"};
    QList<QIcon> icons;
    for (const char* file : files)
        icons.append(QIcon(QStringLiteral(":/sections/%1.svg").arg(file)));
    return icons;
}

}  // namespace

void SelectAllCheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

MainWindow::MainWindow(AppContext& app) : QWidget(nullptr), app_(app) {
    setObjectName(LayoutName(LayoutId::MainForm));
    app_.main = this;
    // Frameless like every skinned window, but it can grow past the size it
    // was drawn for (never shrink below it).
    const QSize designed = LayoutRect(LayoutId::MainForm).size();
    setWindowFlag(Qt::FramelessWindowHint, true);
    setMinimumSize(designed);
    resize(designed);
    anchors_ = std::make_unique<ResizeAnchors>(designed);
    RestoreGeometry();
    setWindowIcon(QIcon(":/vostrel.svg"));
    work_ = std::make_unique<WorkThread>();
    ApplySkinStyle(this);
    picture1_ = new SkinImage(LayoutId::MainBackground, {"skin/background.svg"}, this);
    BuildHeader();
    BuildStartView();
    BuildScanningView();
    BuildResultsView();
    BuildFooter();
    BuildTimers();
    BuildAnchors();
    RegisterControls();
    connect(picture1_, &SkinImage::mouseMoved, this, &MainWindow::ResetHoverLooks);
    connect(&app_.tray, &TrayIcon::activated, this, &MainWindow::TrayActivated);
    BuildShortcuts();
    DescribeButtons();
    FormLoad();
    // Enter starts a scan, as the first thing one comes for.
    pair(LayoutId::MainScanNow)->normal()->setFocus(Qt::OtherFocusReason);
}

MainWindow::~MainWindow() { StopWork(); }

void MainWindow::RestoreGeometry() {
    const auto saved = ParseGeometry(
        QString::fromStdString(app_.settings->Get(kMainWindowGeometryKey, "")).trimmed());
    if (!saved) return;
    QList<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        screens << primary->availableGeometry();
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen()) screens << screen->availableGeometry();
    const QRect rect = RestoredGeometry(*saved, minimumSize(), screens);
    if (!rect.isEmpty()) setGeometry(rect);
}

void MainWindow::SaveGeometry() {
    // A minimised window keeps the place it comes back to.
    const QRect rect = isMinimized() && normalGeometry().isValid() ? normalGeometry() : geometry();
    if (!rect.isEmpty())
        app_.settings->Save(kMainWindowGeometryKey, GeometryText(rect).toStdString());
}

ImagePair* MainWindow::AddPair(LayoutId id, QWidget* parent, const QString& caption,
                               const QString& icon) {
    auto* pair =
        new ImagePair(id, parent, {"skin/button.svg"}, {"skin/button_hover.svg"}, caption, icon);
    pairs_.append(pair);
    return pair;
}

ImagePair* MainWindow::pair(const QString& normalName) const {
    for (ImagePair* p : pairs_)
        if (p->normal()->objectName() == normalName) return p;
    return nullptr;
}

ImagePair* MainWindow::pair(LayoutId id) const { return pair(LayoutName(id)); }

QWidget* MainWindow::control(const QString& name) const {
    if (objectName() == name) return const_cast<MainWindow*>(this);
    return findChild<QWidget*>(name);
}

QWidget* MainWindow::control(LayoutId id) const { return control(LayoutName(id)); }

void MainWindow::BuildHeader() {
    auto* strip = new SkinImage(LayoutId::MainHeader, {"skin/header.svg"}, this);
    auto* logo = new SkinImage(LayoutId::MainLogo, {"skin/logo.svg"}, this);
    auto* dragger = new WindowDragger(this);
    dragger->AttachStrip(strip);
    dragger->AttachLogo(logo);
    auto* minimise = new ImagePair(LayoutId::MainMinimise, this, {"skin/win_min_normal.svg"},
                                   {"skin/win_min_hover.svg"});
    auto* close = new ImagePair(LayoutId::MainClose, this, {"skin/win_close_normal.svg"},
                                {"skin/win_close_hover.svg"});
    minimise->normal()->setAccessibleName(tr("Minimise"));
    minimise->hover()->setAccessibleName(tr("Minimise"));
    close->normal()->setAccessibleName(tr("Close"));
    close->hover()->setAccessibleName(tr("Close"));
    pairs_ << minimise << close;
    connect(minimise, &ImagePair::normalHovered, close, &ImagePair::Reset);
    connect(close, &ImagePair::normalHovered, minimise, &ImagePair::Reset);
    connect(minimise, &ImagePair::clicked, this, [this] { setWindowState(Qt::WindowMinimized); });
    // The close button keeps the program in the notification area, where
    // there is one; elsewhere it quits.
    connect(close, &ImagePair::clicked, this, [this] {
        if (TrayIcon::Available())
            HideToTray();
        else
            Quit();
    });
    // Without a notification area the header's context click opens the menu.
    for (SkinImage* image : {strip, logo})
        connect(image, &SkinImage::contextClicked, this, [this] {
            if (!TrayIcon::Available()) PopupMenu::ShowMenu(app_);
        });
}

void MainWindow::BuildStartView() {
    frameScanSettings_ = Place(new QWidget(this), LayoutId::MainStartView);
    new SkinImage(LayoutId::MainCataloguePanel, {"skin/panel.svg"}, frameScanSettings_);
    chkSelectlistviewItems_ =
        Place(new SelectAllCheckBox(frameScanSettings_), LayoutId::MainSelectAll);
    chkSelectlistviewItems_->setTristate(true);
    chkSelectlistviewItems_->setAccessibleName(tr("Select all sections"));
    auto* image1 =
        new SkinImage(LayoutId::MainComputerPicture, {"skin/computer.svg"}, frameScanSettings_);
    auto* label2 =
        new SkinLabel(LayoutId::MainComputerLabel, tr("My Computer"), frameScanSettings_);
    label2->SetBold(true);
    auto* model = new ListModel(app_.view.catalogueRows, true, this);
    model->SetIcons(SectionIcons());
    model->SetShownText([&rows = app_.view.catalogueRows](std::size_t row) {
        return ShownCatalogueRow(rows.Text(row));
    });
    // The note asks the session, not the window: the model may be asked
    // while the window is being torn down.
    model->SetRowNote([&session = app_.session](std::size_t row) {
        return engine::CatalogueRowNote(session, row);
    });
    catalogue_ = Place(new ListView(LayoutName(LayoutId::MainCatalogue), model, frameScanSettings_),
                       LayoutId::MainCatalogue);
    auto* loading = AddLabel(LayoutId::MainLoading, QString(), frameScanSettings_);
    loading->setWordWrap(true);
    loading->setTextFormat(Qt::PlainText);
    loading->setStyleSheet("color: #ffb627; font-weight: bold;");
    loading->hide();
    connect(chkSelectlistviewItems_, &QCheckBox::clicked, this, [this] {
        app_.session.selectAll = static_cast<SelectAll>(app_.window.Value(Control::SelectAllBox));
        engine::ApplySelectAll(app_.session);
        ShowCatalogue();
    });
    connect(label2, &SkinLabel::clicked, this, &MainWindow::ToggleSelectAll);
    connect(image1, &SkinImage::clicked, this, &MainWindow::ToggleSelectAll);
    connect(model, &ListModel::itemChecked, this,
            [this](std::size_t row) { CatalogueChanged(row, false); });
    connect(catalogue_, &QTreeView::clicked, this, [this, model](const QModelIndex& i) {
        if (model->TakeCheckToggled() || !i.isValid()) return;
        CatalogueChanged(static_cast<std::size_t>(i.row()) + 1, true);
    });

    Place(new PrefixChooser(app_, app_.scanned.machine->files->PrefixFolder().value_or(""), this),
          LayoutId::MainPrefixChooser);
    auto* scan = AddPair(LayoutId::MainScanNow, this, tr("Scan Now"), "skin/icon_scan.svg");
    lblScanText_ = AddFittingLabel(
        LayoutId::MainScanText,
        tr("Click on the Scan button to start scanning your registry for problems."), this);
    auto* settings =
        AddPair(LayoutId::MainSettings, this, tr("Settings"), "skin/icon_settings.svg");
    lblSettingsText_ =
        AddFittingLabel(LayoutId::MainSettingsText,
                        tr("Click on the Settings button for configuration options."), this);
    auto* backup = AddPair(LayoutId::MainBackup, this, tr("Backup"), "skin/icon_backup.svg");
    lblBackUpText_ =
        AddFittingLabel(LayoutId::MainBackupText,
                        tr("Click the Backup button to restore any previous registry backups."),
                        this);
    for (QLabel* text : {lblScanText_, lblSettingsText_, lblBackUpText_}) {
        text->setWordWrap(true);
        SetTextColour(text, kWhite);
    }
    connect(scan, &ImagePair::normalHovered, this, [this] { SetTextColour(lblScanText_, kWhite); });
    connect(settings, &ImagePair::normalHovered, this,
            [this] { SetTextColour(lblSettingsText_, kWhite); });
    connect(backup, &ImagePair::normalHovered, this,
            [this] { SetTextColour(lblBackUpText_, kWhite); });
    connect(scan, &ImagePair::clicked, this, &MainWindow::RunScan);
    connect(settings, &ImagePair::clicked, this, &MainWindow::OpenSettings);
    connect(backup, &ImagePair::clicked, this, &MainWindow::OpenBackups);

    cmdShowLog_ = Place(new QPushButton(tr("Show Log"), this), LayoutId::MainShowLog);
    cmdShowLog_->setEnabled(false);
    connect(cmdShowLog_, &QPushButton::clicked, this, &MainWindow::ShowLog);

    // Help and Support: a button and an icon each; hovering either switches both.
    auto* helpIcon = new ImagePair(LayoutId::MainHelpIcon, this, {"skin/icon_help.svg"},
                                   {"skin/glow.svg", "skin/icon_help.svg"});
    auto* help = AddPair(LayoutId::MainHelp, this, tr("Help"));
    auto* supportIcon = new ImagePair(LayoutId::MainSupportIcon, this, {"skin/icon_support.svg"},
                                      {"skin/glow.svg", "skin/icon_support.svg"});
    auto* support = AddPair(LayoutId::MainSupport, this, tr("Support"));
    pairs_ << helpIcon << supportIcon;
    for (auto [a, b] : {std::pair{help, helpIcon}, std::pair{support, supportIcon}}) {
        connect(a, &ImagePair::normalHovered, b, &ImagePair::ShowHover);
        connect(b, &ImagePair::normalHovered, a, &ImagePair::ShowHover);
    }
    helpIcon->normal()->setAccessibleName(tr("Help"));
    helpIcon->hover()->setAccessibleName(tr("Help"));
    supportIcon->normal()->setAccessibleName(tr("Support"));
    supportIcon->hover()->setAccessibleName(tr("Support"));
    for (ImagePair* p : {help, helpIcon})
        connect(p, &ImagePair::clicked, this, [this] { OpenPage(HelpPageUrl()); });
    for (ImagePair* p : {support, supportIcon})
        connect(p, &ImagePair::clicked, this, [this] { OpenPage(SupportPageUrl()); });
}

void MainWindow::BuildScanningView() {
    picScanning_ = new SkinImage(LayoutId::MainScanningView, {"skin/background.svg"}, this);
    auto* frame = Place(new QWidget(picScanning_), LayoutId::MainScanningFrame);
    frame->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    auto* panel = new SkinImage(LayoutId::MainScanningPanel, {"skin/panel.svg"}, frame);
    connect(panel, &SkinImage::mouseMoved, this,
            [this] { pair(LayoutId::MainScanCancel)->Reset(); });
    auto* bug = new SkinImage(LayoutId::MainBug, {"skin/bug.svg"}, frame);
    bug->hide();
    auto* title = AddLabel(LayoutId::MainScanningTitle, tr("Scanning..."), frame);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    AddLabel(LayoutId::MainStatus, QString(), frame);
    AddLabel(LayoutId::MainScanningCaption, tr("Scanning..."), frame);
    auto* mainProgress =
        new SkinImage(LayoutId::MainScanProgressFrame, {"skin/progress_frame.svg"}, frame);
    mainProgress->setProperty("twipsWidth", Layout(LayoutId::MainScanProgressFrame).box.width);
    auto* progress =
        new SkinImage(LayoutId::MainScanProgressBar, {"skin/progress_bar.svg"}, mainProgress);
    progress->setProperty("twipsWidth", Layout(LayoutId::MainScanProgressBar).box.width);
    AddLabel(LayoutId::MainProblemsCaption, tr("Problem(s) Detected :"), frame);
    auto* found = AddLabel(LayoutId::MainProblemCount, "0", frame);
    found->setStyleSheet("color: #ffb627; font-weight: bold;");
    auto* frame2 = Place(new QGroupBox(tr("Current Keys"), frame), LayoutId::MainCurrentKeyFrame);
    auto* keyLabel = AddLabel(LayoutId::MainCurrentKey, QString(), frame2);
    auto* frame3 = Place(new QGroupBox(tr("Current Files"), frame), LayoutId::MainCurrentFileFrame);
    auto* fileLabel = AddLabel(LayoutId::MainCurrentFile, QString(), frame3);
    for (QLabel* label : {keyLabel, fileLabel}) label->setTextFormat(Qt::PlainText);
    auto* cancel = AddPair(LayoutId::MainScanCancel, frame, tr("Cancel"));
    connect(cancel, &ImagePair::clicked, this, [this] {
        if (!work_->Running()) return;
        // The problem lists belong to the worker: the count it told goes.
        const std::size_t found = app_.view.problemsFound();
        if (found == 0) app_.view.StopWhenStarted();
        if (engine::CancelScan(app_.session, found)) app_.view.ShowCancelled();
        // A cancel that asked reloads the catalogue (once the work is over).
        if (found > 0) LoadCatalogue();
    });
    connect(picScanning_, &SkinImage::mouseMoved, cancel, &ImagePair::Reset);
    picScanning_->hide();
}

void MainWindow::BuildResultsView() {
    picResults_ = new SkinImage(LayoutId::MainResultsView, {"skin/background.svg"}, this);
    auto* frame = Place(new QWidget(picResults_), LayoutId::MainResultsFrame);
    auto* panel = new SkinImage(LayoutId::MainResultsPanel, {"skin/panel.svg"}, frame);
    auto* summaryModel = new SummaryTickModel(app_, this);
    summary_ = Place(new ListView(LayoutName(LayoutId::MainSummary), summaryModel, frame),
                     LayoutId::MainSummary);
    auto* detailModel = new DetailTickModel(app_, this);
    details_ = Place(new ListView(LayoutName(LayoutId::MainDetails), detailModel, frame),
                     LayoutId::MainDetails);
    // The search and the section box above the details narrow what shows.
    details_->SetProxy(new DetailFilter(detailModel, this));
    // Long paths scroll sideways instead of being cut short.
    for (ListView* view : {summary_, details_}) {
        view->header()->setStretchLastSection(false);
        view->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
        view->header()->setMinimumSectionSize(view->width() - 4);
    }
    connect(summary_, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        if (!index.isValid()) return;
        const auto row = static_cast<std::size_t>(index.row()) + 1;
        ListControl& list = app_.view.summaryRows;
        for (std::size_t i = 1; i <= list.Count(); ++i) list.SetSelected(i, i == row);
        app_.view.ShowDetails(row);
    });
    for (ListView* view : {summary_, details_}) {
        connect(view->header(), &QHeaderView::sectionClicked, this, [view](int section) {
            FlipSort(view->listModel()->list(), section + 1);
            view->ShowSortIndicator();
        });
    }
    results_ = new ResultsPanel(app_, summary_, details_, frame);
    auto* deleteProgress =
        new SkinImage(LayoutId::MainRepairProgressFrame, {"skin/progress_frame.svg"}, frame);
    new SkinImage(LayoutId::MainRepairProgressBar, {"skin/progress_bar.svg"}, deleteProgress);
    deleteProgress->hide();
    auto* deleting = AddLabel(LayoutId::MainRepairing, tr("Repairing..."), frame);
    deleting->hide();
    // The mark of a scan that was stopped: the lists hold what it found so far.
    auto* cancelled = AddLabel(LayoutId::MainCancelled,
                               tr("Found before the scan was stopped (cancelled)"), frame);
    cancelled->setStyleSheet("color: #ffb627; font-weight: bold;");
    cancelled->hide();
    // Said as soon as the results show: the repair will have to close them.
    wineRunning_ =
        AddLabel(LayoutId::MainWineRunning,
                 tr("Wine is running in this prefix: a repair closes its programs first."), frame);
    wineRunning_->setStyleSheet("color: #ffb627; font-weight: bold;");
    wineRunning_->hide();
    auto* repair = AddPair(LayoutId::MainRepair, frame, tr("Repair"));
    auto* back = AddPair(LayoutId::MainReturn, frame, tr("Return"));
    for (QObject* background : {static_cast<QObject*>(picResults_), static_cast<QObject*>(panel)}) {
        connect(static_cast<SkinImage*>(background), &SkinImage::mouseMoved, repair,
                &ImagePair::Reset);
        connect(static_cast<SkinImage*>(background), &SkinImage::mouseMoved, back,
                &ImagePair::Reset);
    }
    connect(repair, &ImagePair::clicked, this, &MainWindow::RepairAll);
    connect(back, &ImagePair::clicked, this, [this] { app_.view.ReturnToStart(); });
    picResults_->hide();
}

void MainWindow::BuildFooter() {
    auto* machine = AddLabel(LayoutId::MainMachine,
                             QString::fromStdString(app_.scanned.machine->description), this);
    machine->setStyleSheet("color: #9fd8f0;");
    machine->setTextFormat(Qt::PlainText);
    auto* copyright = AddLabel(LayoutId::MainCopyright,
                               tr("Vostrel 2006 \u00a9 2006 Vostrel. All rights reserved."), this);
    copyright->setStyleSheet("color: #6f9fbf;");
}

void MainWindow::BuildAnchors() {
    // The corner grip resizes the frameless window.
    Place(new QSizeGrip(this), LayoutId::MainSizeGrip);
    // Every control whose row has an anchor follows a larger window, a
    // picture button's hover image with it.
    for (const LayoutRow& row : kSkinLayout) {
        if (row.window != SkinWindow::Main || !IsAnchored(row.anchor)) continue;
        anchors_->Add(control(row.id), row.anchor);
        if (!row.hover.empty()) anchors_->Add(pair(row.id)->hover(), row.anchor);
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!anchors_) return;
    anchors_->Apply(size());
    // A one-column list's column spans the list, however wide it is now.
    for (ListView* view : {summary_, details_})
        if (view && view->header()->count() == 1)
            view->header()->setMinimumSectionSize(view->width() - 4);
}

void MainWindow::BuildTimers() {
    settingsTimer_ = new QTimer(this);
    settingsTimer_->setObjectName("tmrSettings");
    settingsTimer_->setInterval(10);
    refreshTimer_ = new QTimer(this);
    refreshTimer_->setObjectName("tmrRefreshlvwContents");
    refreshTimer_->setInterval(50);
    blinkTimer_ = new QTimer(this);
    blinkTimer_->setObjectName(QString::fromUtf8(ControlName(Control::BlinkTimer).data()));
    blinkTimer_->setInterval(600);
    connect(settingsTimer_, &QTimer::timeout, this, &MainWindow::OpenSettingsLater);
    connect(refreshTimer_, &QTimer::timeout, this, [this] {
        refreshTimer_->stop();
        RefreshOnFocus();
    });
    connect(blinkTimer_, &QTimer::timeout, this, [this] {
        QWidget* bug = control(LayoutId::MainBug);
        bug->setVisible(bug->isHidden());
    });
}

void MainWindow::DescribeButtons() {
    const struct {
        LayoutId id;
        const char* description;
    } descriptions[] = {
        {LayoutId::MainMinimise, QT_TR_NOOP("Minimises the window")},
        {LayoutId::MainClose, QT_TR_NOOP("Closes the window (Ctrl+Q quits)")},
        {LayoutId::MainScanNow, QT_TR_NOOP("Scans the ticked sections for problems (F5)")},
        {LayoutId::MainSettings, QT_TR_NOOP("Opens the settings")},
        {LayoutId::MainBackup, QT_TR_NOOP("Opens the backups, to restore a repair")},
        {LayoutId::MainHelp, QT_TR_NOOP("Opens the user guide")},
        {LayoutId::MainHelpIcon, QT_TR_NOOP("Opens the user guide")},
        {LayoutId::MainSupport, QT_TR_NOOP("Opens the support page")},
        {LayoutId::MainSupportIcon, QT_TR_NOOP("Opens the support page")},
        {LayoutId::MainScanCancel, QT_TR_NOOP("Stops the scan")},
        {LayoutId::MainRepair, QT_TR_NOOP("Repairs the ticked problems, after asking (Delete)")},
        {LayoutId::MainReturn, QT_TR_NOOP("Goes back to the start view")},
    };
    for (const auto& entry : descriptions) pair(entry.id)->SetDescription(tr(entry.description));
}

void MainWindow::BuildShortcuts() {
    InstallQuitShortcut(this, app_);
    auto* scan = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(scan, &QShortcut::activated, this, &MainWindow::RunScan);
    auto* tickAll = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_A), this);
    connect(tickAll, &QShortcut::activated, this, &MainWindow::TickAllResults);
    auto* repair = new QShortcut(QKeySequence(Qt::Key_Delete), this);
    connect(repair, &QShortcut::activated, this, &MainWindow::RepairFromKeyboard);
}

void MainWindow::TickAllResults() {
    if (busy_ || picResults_->isHidden()) return;
    QAbstractItemModel* model = summary_->model();
    for (int row = 0; row < model->rowCount(); ++row)
        model->setData(model->index(row, 0), Qt::Checked, Qt::CheckStateRole);
}

void MainWindow::RepairFromKeyboard() {
    // Only where the Repair button is: on the results.
    if (picResults_->isHidden() || !app_.window.Enabled(Control::RepairButton)) return;
    RepairAll();
}

void MainWindow::RegisterControls() {
    QtWindow& w = app_.window;
    for (std::size_t i = 0; i < kControlNames.size(); ++i) {
        const auto id = static_cast<Control>(i);
        if (id != Control::BlinkTimer)
            w.Register(id, control(QString::fromUtf8(ControlName(id).data())));
    }
    w.RegisterCompanion(Control::ScanNowButton, pair(LayoutId::MainScanNow)->hover());
    w.RegisterCompanion(Control::RepairButton, pair(LayoutId::MainRepair)->hover());
    w.RegisterCompanion(Control::ReturnButton, pair(LayoutId::MainReturn)->hover());
    w.RegisterTimer(Control::BlinkTimer, blinkTimer_);
}

void MainWindow::FormLoad() {
    settingsTimer_->stop();
    picScanning_->hide();
    picResults_->hide();
    refreshTimer_->stop();
    setWindowTitle(tr("Vostrel 2006"));
    const std::string stored = app_.settings->Get(kSelectAllKey, "1");
    const SelectAll value = stored == "2"   ? SelectAll::Mixed
                            : stored == "1" ? SelectAll::All
                                            : SelectAll::None;
    if (value != app_.session.selectAll) {
        app_.session.selectAll = value;
        ShowSelectAll();
        engine::ApplySelectAll(app_.session);
    }
    LoadCatalogue();
    app_.view.ShowLogState();
    if (app_.loading) ShowLoading(true);
}

void MainWindow::ShowLoading(bool loading) {
    auto* label = static_cast<QLabel*>(control(LayoutId::MainLoading));
    label->setText(tr("Loading the registry of the %1...")
                       .arg(QString::fromStdString(app_.scanned.machine->description)));
    label->setVisible(loading);
    label->raise();
    catalogue_->setEnabled(!loading);
    chkSelectlistviewItems_->setEnabled(!loading);
    app_.window.SetEnabled(Control::ScanNowButton, !loading);
    app_.window.SetBusyPointer(loading);
}

void MainWindow::MachineLoaded() {
    ShowLoading(false);
    static_cast<QLabel*>(control(LayoutId::MainMachine))
        ->setText(QString::fromStdString(app_.scanned.machine->description));
    LoadCatalogue();
}

bool MainWindow::ScanIdle() const { return !busy_ && control(LayoutId::MainScanNow)->isEnabled(); }

void MainWindow::LoadCatalogue() {
    // The worker reads the catalogue while it scans.
    if (work_->Running()) {
        reloadAfterWork_ = true;
        return;
    }
    reloadAfterWork_ = false;
    engine::LoadCatalogue(app_.session);
    ShowCatalogue();
    ResetHoverLooks();
}

void MainWindow::ResetHoverLooks() {
    for (LayoutId id : {LayoutId::MainMinimise, LayoutId::MainClose, LayoutId::MainScanNow,
                        LayoutId::MainSettings, LayoutId::MainBackup, LayoutId::MainHelp,
                        LayoutId::MainHelpIcon, LayoutId::MainSupport, LayoutId::MainSupportIcon})
        pair(id)->Reset();
    for (QLabel* text : {lblScanText_, lblSettingsText_, lblBackUpText_})
        SetTextColour(text, kLightGrey);
}

void MainWindow::RefreshThePicControls() {
    const QList<QWidget*> controls = findChildren<QWidget*>();
    for (QWidget* c : controls) {
        const QString name = c->objectName().toUpper();
        if (name.contains("PIC") || name.contains("IMG") || name.contains("LVW")) c->update();
        QCoreApplication::processEvents();
    }
}

void MainWindow::RefreshOnFocus() {
    const bool idle = ScanIdle();
    RefreshThePicControls();
    if (idle) LoadCatalogue();
}

void MainWindow::FormResize() {
    catalogue_->hide();
    RefreshOnFocus();
    refreshTimer_->start();
    catalogue_->show();
    catalogue_->update();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormResize();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) FormResize();
}

void MainWindow::SetBusy(bool busy) {
    busy_ = busy;
    // Choosing another prefix ends the program.
    if (auto* chooser = findChild<PrefixChooser*>()) chooser->setEnabled(!busy);
}

void MainWindow::RunScan() {
    // No scan before the prefix is read, nor while a scan or a repair runs:
    // a scan empties the lists a repair walks.
    if (!ScanIdle() || app_.loading) return;
    if (!AnythingToScan()) {
        ShowNotice(tr("Nothing to scan: tick at least one section of the catalogue "
                      "(or the select-all box above it).")
                       .toStdString());
        return;
    }
    if (!results_->PrepareScan()) return;
    SetBusy(true);
    // The scanning view takes the place of the lists the scan empties at
    // once, before the worker's first event.
    app_.view.ScanStarted();
    work_->Start([this] { engine::RunScan(app_.session); }, [this] { ScanDone(); });
}

bool MainWindow::AnythingToScan() const {
    const auto& sections = app_.session.request.sections;
    for (std::size_t i = 1; i <= sections.Count(); ++i)
        if (sections.Checked(i)) return true;
    return false;
}

void MainWindow::ScanDone() {
    if (reloadAfterWork_) LoadCatalogue();
    if (!picResults_->isHidden()) results_->ShowFirstProblem();
    wineRunning_->setVisible(!picResults_->isHidden() && app_.session.ProblemCount() > 0 &&
                             engine::WineRunsOn(app_.session.files.PrefixFolder().value_or("")));
    SetBusy(false);
}

void MainWindow::RepairAll() {
    // One repair at a time, and none while a scan runs; from its question
    // on, the tray's Scan Now and Settings are off too.
    if (busy_) return;
    SetBusy(true);
    bool closeWine = false;
    if (!results_->ConfirmRepair(&closeWine)) {
        SetBusy(false);
        return;
    }
    app_.window.SetVisible(Control::CancelledMark, false);
    wineRunning_->hide();
    // The lists the repair changes are not shown while it works.
    app_.view.ShowRepairing(true);
    auto refusal = std::make_shared<std::optional<std::string>>();
    // A stop asked of the scan before (its Cancel) is not one of this
    // repair; from here on, quitting stops the repair.
    app_.session.cancelRequested = false;
    work_->Start(
        [this, refusal, closeWine] {
            if (closeWine) {
                *refusal =
                    engine::CloseWineAndReload(*app_.scanned.machine,
                                               app_.session.files.PrefixFolder().value_or(""));
                if (*refusal) return;
            }
            *refusal = engine::RepairAll(app_.session);
        },
        [this, refusal] { RepairDone(*refusal); });
}

void MainWindow::RepairDone(const std::optional<std::string>& refusal) {
    if (refusal) {
        app_.view.ShowRepairing(false);
        ShowNotice(
            tr("Nothing was repaired: %1").arg(QString::fromStdString(*refusal)).toStdString());
        SetBusy(false);
        return;
    }
    // The closing notice, then the catalogue again.
    app_.view.ShowHeldNotice();
    RefreshThePicControls();
    LoadCatalogue();
    app_.view.ReturnToStart();
    app_.window.SetVisible(Control::ResultsView, false);
    app_.window.SetVisible(Control::ScanningView, false);
    SetBusy(false);
}

void MainWindow::StopWork() {
    if (!work_ || !work_->Running()) return;
    app_.session.cancelRequested = true;
    app_.view.AbandonQuestions();
    work_->Wait();
}

void MainWindow::OpenSettings() {
    if (busy_) return;
    QWidget* settings = control(LayoutId::MainSettings);
    settings->setEnabled(false);
    {
        SettingsDialog dialog(app_, this);
        dialog.exec();
    }
    RefreshThePicControls();
    LoadCatalogue();
    settings->setEnabled(true);
}

void MainWindow::OpenBackups() {
    if (busy_) return;
    {
        BackupDialog dialog(app_, this);
        dialog.exec();
    }
    RefreshThePicControls();
    LoadCatalogue();
}

void MainWindow::OpenSettingsLater() {
    settingsTimer_->stop();
    if (busy_) return;
    {
        SettingsDialog dialog(app_, this);
        dialog.exec();
    }
    RefreshThePicControls();
    LoadCatalogue();
    settingsTimer_->stop();
}

void MainWindow::ToggleSelectAll() {
    if (busy_) return;
    app_.session.selectAll =
        app_.session.selectAll == SelectAll::All ? SelectAll::None : SelectAll::All;
    ShowSelectAll();
    engine::ApplySelectAll(app_.session);
    ShowCatalogue();
}

void MainWindow::ShowSelectAll() {
    app_.window.SetValue(Control::SelectAllBox, static_cast<int>(app_.session.selectAll));
}

void MainWindow::CatalogueChanged(std::size_t row, bool clicked) {
    // The window takes no input while the rows' states are stored.
    setEnabled(false);
    auto& sections = app_.session.request.sections;
    if (clicked) {
        engine::CatalogueRowClicked(app_.session, row);
    } else {
        // The view's box was toggled: the session takes the new state.
        if (row >= 1 && row <= sections.Count() && row <= app_.view.catalogueRows.Count())
            sections.SetChecked(row, app_.view.catalogueRows.Checked(row));
        engine::CatalogueRowChecked(app_.session, row);
    }
    ShowCatalogue();
    ShowSelectAll();
    setEnabled(true);
}

void MainWindow::ShowCatalogue() {
    const auto& sections = app_.session.request.sections;
    bool same = app_.view.catalogueRows.Count() == sections.Count();
    for (std::size_t i = 1; same && i <= sections.Count(); ++i)
        same = app_.view.catalogueRows.Text(i) == sections.Text(i) &&
               app_.view.catalogueRows.SmallIcon(i) == sections.SmallIcon(i);
    if (!same) {
        app_.view.catalogueRows.Clear();
        for (const SectionChoice& row : sections.rows())
            app_.view.catalogueRows.Add(row.text, row.icon);
    }
    for (std::size_t i = 1; i <= sections.Count(); ++i)
        if (app_.view.catalogueRows.Checked(i) != sections.Checked(i))
            app_.view.catalogueRows.SetChecked(i, sections.Checked(i));
}

void MainWindow::OpenPage(const QString& url) {
    if (app_.platform.openUrl) app_.platform.openUrl(url);
}

void MainWindow::ShowLog() {
    const QString report = QString::fromStdString(engine::ScanReportPath(app_.session));
    if (QFileInfo::exists(report)) OpenPage(report);
}

void MainWindow::HideToTray() {
    if (!TrayIcon::Available()) {
        // Nothing could bring a hidden window back: minimise it instead.
        setWindowState(Qt::WindowMinimized);
        return;
    }
    SaveGeometry();
    hide();
    app_.tray.ShowIcon(this);
    app_.tray.ChangeToolTip(this, tr("Vostrel 2006"));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    // Without a notification area nothing could bring a hidden window
    // back, and a minimised one would only linger: closing quits.
    if (!TrayIcon::Available()) {
        Quit();
        return;
    }
    const bool noticeOff =
        QString::fromStdString(app_.settings->Get(kNoCloseNoticeKey, "0")).trimmed().toInt() != 0;
    if (!noticeOff) {
        if (windowState() & Qt::WindowMinimized) setWindowState(Qt::WindowNoState);
        RefreshOnFocus();
        CloseNotice notice(*app_.settings);
        notice.setWindowTitle(tr("Vostrel 2006"));
        notice.exec();
    }
    HideToTray();
}

void MainWindow::TrayActivated(QSystemTrayIcon::ActivationReason reason) {
    if (!app_.tray.runningInTray()) return;
    if (reason == QSystemTrayIcon::Trigger) {
        // A left click shows the window, or hides it again.
        if (isVisible()) {
            HideToTray();
            return;
        }
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
        raise();
        activateWindow();
        app_.tray.RemoveIcon(this);
        RefreshThePicControls();
        LoadCatalogue();
        return;
    }
    if (reason != QSystemTrayIcon::DoubleClick && reason != QSystemTrayIcon::Context) return;
    PopupMenu::ShowMenu(app_);
}

void MainWindow::BringForward() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (app_.tray.runningInTray()) {
        app_.tray.RemoveIcon(this);
        RefreshThePicControls();
        LoadCatalogue();
    }
}

void MainWindow::Quit() {
    // The running work stops the way it does when the window goes away:
    // a scan at its next check, a repair once the records it writes are
    // complete (what it did not reach stays as it was).
    StopWork();
    SaveGeometry();
    app_.tray.RemoveIcon(this);
    if (app_.platform.endProgram) app_.platform.endProgram();
}

void InstallQuitShortcut(QWidget* window, AppContext& app) {
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), window);
    quit->setContext(Qt::WindowShortcut);
    QObject::connect(quit, &QShortcut::activated, window, [&app] {
        if (app.main) app.main->Quit();
    });
}

}  // namespace vostrel::shell
