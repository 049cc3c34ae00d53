#include "shell/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
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
#include "shell/window_layout.h"
#include "system/settings_keys.h"

namespace vostrel::shell {

namespace {

// The window and its views, in twips.
constexpr int kWidth = 9600;
constexpr int kHeight = 7050;
constexpr int kViewLeft = 240;
constexpr int kViewTop = 960;
constexpr int kViewWidth = 9120;
constexpr int kViewHeight = 5100;
constexpr int kFullProgress = 4275;

const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kLightGrey(0xE0, 0xE0, 0xE0);

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
}

QLabel* AddLabel(const QString& name, const QString& text, QWidget* parent, const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
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
    setObjectName("FRMmAIN");
    app_.main = this;
    // Frameless like every skinned window, but it can grow past the size it
    // was drawn for (never shrink below it).
    const QSize designed = TwipsRect(0, 0, kWidth, kHeight).size();
    setWindowFlag(Qt::FramelessWindowHint, true);
    setMinimumSize(designed);
    resize(designed);
    anchors_ = std::make_unique<ResizeAnchors>(designed);
    setWindowIcon(QIcon(":/vostrel.svg"));
    work_ = std::make_unique<WorkThread>();
    ApplySkinStyle(this);
    picture1_ = new SkinImage("Picture1", {"skin/background.svg"}, this);
    picture1_->setGeometry(rect());
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
    FormLoad();
}

MainWindow::~MainWindow() { StopWork(); }

ImagePair* MainWindow::AddPair(const QString& normal, const QString& hover, QWidget* parent,
                               const QRect& geometry, const QString& caption, const QString& icon) {
    auto* pair = new ImagePair(normal, hover, parent, geometry, {"skin/button.svg"},
                               {"skin/button_hover.svg"}, caption, icon);
    pairs_.append(pair);
    return pair;
}

ImagePair* MainWindow::pair(const QString& normalName) const {
    for (ImagePair* p : pairs_)
        if (p->normal()->objectName() == normalName) return p;
    return nullptr;
}

QWidget* MainWindow::control(const QString& name) const {
    if (objectName() == name) return const_cast<MainWindow*>(this);
    return findChild<QWidget*>(name);
}

void MainWindow::BuildHeader() {
    auto* strip = new SkinImage("ImgFormMove", {"skin/header.svg"}, this);
    strip->setGeometry(TwipsRect(0, 0, kWidth, 720));
    auto* logo = new SkinImage("ImgToolBarQuendaro", {"skin/logo.svg"}, this);
    logo->setGeometry(TwipsRect(120, 60, 3000, 600));
    auto* dragger = new WindowDragger(this);
    dragger->AttachStrip(strip);
    dragger->AttachLogo(logo);
    auto* minimise = new ImagePair("ImgMinimiseNormal", "ImgMinimiseMouseMove", this,
                                   TwipsRect(8760, 195, 330, 330), {"skin/win_min_normal.svg"},
                                   {"skin/win_min_hover.svg"});
    auto* close =
        new ImagePair("imgCloseNormal", "ImgCloseMouseMove", this, TwipsRect(9150, 195, 330, 330),
                      {"skin/win_close_normal.svg"}, {"skin/win_close_hover.svg"});
    minimise->normal()->setAccessibleName(tr("Minimise"));
    minimise->hover()->setAccessibleName(tr("Minimise"));
    close->normal()->setAccessibleName(tr("Close"));
    close->hover()->setAccessibleName(tr("Close"));
    pairs_ << minimise << close;
    connect(minimise, &ImagePair::normalHovered, close, &ImagePair::Reset);
    connect(close, &ImagePair::normalHovered, minimise, &ImagePair::Reset);
    connect(minimise, &ImagePair::clicked, this, [this] { setWindowState(Qt::WindowMinimized); });
    connect(close, &ImagePair::clicked, this, &MainWindow::HideToTray);
    // Without a notification area the header's context click opens the menu.
    for (SkinImage* image : {strip, logo})
        connect(image, &SkinImage::contextClicked, this, [this] {
            if (!TrayIcon::Available()) PopupMenu::ShowMenu(app_);
        });
}

void MainWindow::BuildStartView() {
    frameScanSettings_ = new QWidget(this);
    frameScanSettings_->setObjectName("FrameScanSettingShelidButton");
    frameScanSettings_->setGeometry(TwipsRect(kViewLeft, kViewTop, 4560, kViewHeight));
    auto* panel = new SkinImage("PicCataloguePanel", {"skin/panel.svg"}, frameScanSettings_);
    panel->setGeometry(frameScanSettings_->rect());
    chkSelectlistviewItems_ = new SelectAllCheckBox(frameScanSettings_);
    chkSelectlistviewItems_->setObjectName("chkSelectlistviewItems");
    chkSelectlistviewItems_->setTristate(true);
    chkSelectlistviewItems_->setAccessibleName(tr("Select all sections"));
    chkSelectlistviewItems_->setGeometry(TwipsRect(150, 150, 300, 300));
    auto* image1 = new SkinImage("Image1", {"skin/computer.svg"}, frameScanSettings_);
    image1->setGeometry(TwipsRect(480, 60, 450, 450));
    auto* label2 = new SkinLabel("Label2", tr("My Computer"), frameScanSettings_);
    label2->setGeometry(TwipsRect(1020, 150, 2400, 300));
    label2->SetBold(true);
    auto* model = new ListModel(app_.view.catalogueRows, true, this);
    model->SetIcons(SectionIcons());
    // The note asks the session, not the window: the model may be asked
    // while the window is being torn down.
    model->SetRowNote([&session = app_.session](std::size_t row) {
        return engine::CatalogueRowNote(session, row);
    });
    catalogue_ = new ListView("lvwRegistryvaluesScan", model, frameScanSettings_);
    catalogue_->setGeometry(TwipsRect(120, 600, 4320, 4380));
    auto* loading =
        AddLabel("lblLoading", QString(), frameScanSettings_, TwipsRect(240, 4440, 4080, 480));
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

    const int left = 5040;
    auto* prefixChooser =
        new PrefixChooser(app_, app_.scanned.machine->files->PrefixFolder().value_or(""), this);
    prefixChooser->setGeometry(TwipsRect(left, 5520, 4320, 360));
    auto* scan = AddPair("ImgScanNowNormal", "ImgScanNowMouseMove", this,
                         TwipsRect(left, 1020, 2700, 600), tr("Scan Now"), "skin/icon_scan.svg");
    lblScanText_ =
        AddLabel("lblScanText",
                 tr("Click on the Scan button to start scanning your registry for problems."), this,
                 TwipsRect(left, 1680, 4320, 480));
    auto* settings =
        AddPair("ImgSettingsNormal", "ImgSettingsMouseMove", this, TwipsRect(left, 2280, 2700, 600),
                tr("Settings"), "skin/icon_settings.svg");
    lblSettingsText_ =
        AddLabel("lblSettingsText", tr("Click on the Settings button for configuration options."),
                 this, TwipsRect(left, 2940, 4320, 480));
    auto* backup = AddPair("imgRestoreNormal", "imgRestoreMouseMove", this,
                           TwipsRect(left, 3540, 2700, 600), tr("Backup"), "skin/icon_backup.svg");
    lblBackUpText_ =
        AddLabel("lblBackUpText",
                 tr("Click the Backup button to restore any previous registry backups."), this,
                 TwipsRect(left, 4200, 4320, 480));
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

    cmdShowLog_ = new QPushButton(tr("Show Log"), this);
    cmdShowLog_->setObjectName("cmdShowLog");
    cmdShowLog_->setGeometry(TwipsRect(7920, 1080, 1440, 480));
    cmdShowLog_->setEnabled(false);
    connect(cmdShowLog_, &QPushButton::clicked, this, &MainWindow::ShowLog);

    // Help and Support: a button and an icon each; hovering either switches both.
    auto* helpIcon = new ImagePair("ImgHelpPicNormal", "ImgHelpPicmouseMove", this,
                                   TwipsRect(left, 4860, 480, 480), {"skin/icon_help.svg"},
                                   {"skin/glow.svg", "skin/icon_help.svg"});
    auto* help = AddPair("ImgHelpNormal", "ImgHelpMouseMove", this,
                         TwipsRect(left + 570, 4890, 1500, 420), tr("Help"));
    auto* supportIcon = new ImagePair("ImgSupportPicNormal", "ImgSupportPicMouseMove", this,
                                      TwipsRect(7260, 4860, 480, 480), {"skin/icon_support.svg"},
                                      {"skin/glow.svg", "skin/icon_support.svg"});
    auto* support = AddPair("ImgSupportNormal", "ImgSupportMouseMove", this,
                            TwipsRect(7830, 4890, 1500, 420), tr("Support"));
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
    picScanning_ = new SkinImage("PicScanning", {"skin/background.svg"}, this);
    picScanning_->setGeometry(TwipsRect(kViewLeft, kViewTop, kViewWidth, kViewHeight));
    auto* frame = new QWidget(picScanning_);
    frame->setObjectName("FrameScanning");
    frame->setGeometry(picScanning_->rect());
    frame->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    auto* panel = new SkinImage("PicScanningPanel", {"skin/panel.svg"}, frame);
    panel->setGeometry(frame->rect());
    connect(panel, &SkinImage::mouseMoved, this, [this] { pair("ImgScanCancelNormal")->Reset(); });
    auto* bug = new SkinImage("PicBug", {"skin/bug.svg"}, frame);
    bug->setGeometry(TwipsRect(240, 240, 720, 720));
    bug->hide();
    auto* title =
        AddLabel("lblScanning1", tr("Scanning..."), frame, TwipsRect(1200, 180, 4000, 420));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    AddLabel("lblStatus", QString(), frame, TwipsRect(1200, 660, 7600, 300));
    AddLabel("lblScanning2", tr("Scanning..."), frame, TwipsRect(1200, 1020, 1800, 300));
    auto* mainProgress = new SkinImage("PicMainProgress", {"skin/progress_frame.svg"}, frame);
    mainProgress->setGeometry(TwipsRect(1200, 1320, kFullProgress, 300));
    mainProgress->setProperty("twipsWidth", kFullProgress);
    auto* progress = new SkinImage("PicProgress", {"skin/progress_bar.svg"}, mainProgress);
    progress->setGeometry(0, 0, 0, mainProgress->height());
    progress->setProperty("twipsWidth", 0);
    AddLabel("Label3", tr("Problem(s) Detected :"), frame, TwipsRect(5700, 1320, 2200, 300));
    auto* found = AddLabel("lblProblemsFound", "0", frame, TwipsRect(7900, 1290, 1000, 360));
    found->setStyleSheet("color: #ffb627; font-weight: bold;");
    auto* frame2 = new QGroupBox(tr("Current Keys"), frame);
    frame2->setObjectName("Frame2");
    frame2->setGeometry(TwipsRect(240, 1860, 8640, 1080));
    auto* keyLabel = AddLabel("lblRegistryScan", QString(), frame2, TwipsRect(180, 420, 8280, 480));
    auto* frame3 = new QGroupBox(tr("Current Files"), frame);
    frame3->setObjectName("Frame3");
    frame3->setGeometry(TwipsRect(240, 3060, 8640, 1080));
    auto* fileLabel =
        AddLabel("lblRegistryFilesScan", QString(), frame3, TwipsRect(180, 420, 8280, 480));
    for (QLabel* label : {keyLabel, fileLabel}) label->setTextFormat(Qt::PlainText);
    auto* cancel = AddPair("ImgScanCancelNormal", "ImgScanCancelMouseMove", frame,
                           TwipsRect(7140, 4380, 1740, 480), tr("Cancel"));
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
    picResults_ = new SkinImage("PicResults", {"skin/background.svg"}, this);
    picResults_->setGeometry(TwipsRect(kViewLeft, kViewTop, kViewWidth, kViewHeight));
    auto* frame = new QWidget(picResults_);
    frame->setObjectName("FrameRegistryProblemsDetails");
    frame->setGeometry(picResults_->rect());
    auto* panel = new SkinImage("PicResultsPanel", {"skin/panel.svg"}, frame);
    panel->setGeometry(frame->rect());
    auto* summaryModel = new SummaryTickModel(app_, this);
    summary_ = new ListView("lvwRegistryProblems", summaryModel, frame);
    summary_->setGeometry(TwipsRect(120, 120, 4380, 4140));
    auto* detailModel = new DetailTickModel(app_, this);
    details_ = new ListView("lvwRegistryErrorsDetail", detailModel, frame);
    details_->setGeometry(TwipsRect(4620, 120, 4380, 4140));
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
        connect(view->header(), &QHeaderView::sectionClicked, this, [this, view](int section) {
            FlipSort(view->listModel()->list(), section + 1);
            view->ShowSortIndicator();
        });
    }
    results_ = new ResultsPanel(app_, summary_, details_, frame);
    auto* deleteProgress = new SkinImage("ImgDeleteProgress", {"skin/progress_frame.svg"}, frame);
    deleteProgress->setGeometry(TwipsRect(120, 4500, kFullProgress, 300));
    auto* inside =
        new SkinImage("ImgDeleteProgressInside", {"skin/progress_bar.svg"}, deleteProgress);
    inside->setGeometry(0, 0, 0, deleteProgress->height());
    deleteProgress->hide();
    auto* deleting = AddLabel("lblDeletingCourrutpfils", tr("Repairing..."), frame,
                              TwipsRect(120, 4260, 4275, 240));
    deleting->hide();
    // The mark of a scan that was stopped: the lists hold what it found so far.
    auto* cancelled = AddLabel("lblCancelled", tr("Found before the scan was stopped (cancelled)"),
                               frame, TwipsRect(120, 4500, 4860, 300));
    cancelled->setStyleSheet("color: #ffb627; font-weight: bold;");
    cancelled->hide();
    auto* repair = AddPair("ImgRepairNormal", "ImgRepairMouseMove", frame,
                           TwipsRect(5280, 4380, 1740, 480), tr("Repair"));
    auto* back = AddPair("ImgReturnNormal", "ImgReturnMouseMove", frame,
                         TwipsRect(7200, 4380, 1740, 480), tr("Return"));
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
    auto* machine =
        AddLabel("lblMachine", QString::fromStdString(app_.scanned.machine->description), this,
                 TwipsRect(kViewLeft, 6180, kViewWidth, 300));
    machine->setStyleSheet("color: #9fd8f0;");
    machine->setTextFormat(Qt::PlainText);
    auto* copyright =
        AddLabel("lblCopyright", tr("Vostrel 2006 \u00a9 2006 Vostrel. All rights reserved."), this,
                 TwipsRect(kViewLeft, 6600, kViewWidth, 300));
    copyright->setStyleSheet("color: #6f9fbf;");
}

void MainWindow::BuildAnchors() {
    // The backgrounds and the lists take the room a larger window gives;
    // the header stretches across it; the buttons keep to the right and
    // bottom edges they were drawn beside; the footer keeps to the bottom.
    const Anchor fill{0, 0, 1, 1}, wide{0, 0, 1, 0}, right{1, 0, 0, 0}, corner{1, 1, 0, 0},
        bottom{0, 1, 0, 0}, footer{0, 1, 1, 0};
    const std::pair<const char*, Anchor> controls[] = {
        {"Picture1", fill},
        {"ImgFormMove", wide},
        {"ImgMinimiseNormal", right},
        {"ImgMinimiseMouseMove", right},
        {"imgCloseNormal", right},
        {"ImgCloseMouseMove", right},
        {"FrameScanSettingShelidButton", fill},
        {"PicCataloguePanel", fill},
        {"lvwRegistryvaluesScan", fill},
        {"ImgScanNowNormal", right},
        {"ImgScanNowMouseMove", right},
        {"lblScanText", right},
        {"ImgSettingsNormal", right},
        {"ImgSettingsMouseMove", right},
        {"lblSettingsText", right},
        {"imgRestoreNormal", right},
        {"imgRestoreMouseMove", right},
        {"lblBackUpText", right},
        {"cmdShowLog", right},
        {"ImgHelpPicNormal", corner},
        {"ImgHelpPicmouseMove", corner},
        {"ImgHelpNormal", corner},
        {"ImgHelpMouseMove", corner},
        {"ImgSupportPicNormal", corner},
        {"ImgSupportPicMouseMove", corner},
        {"ImgSupportNormal", corner},
        {"ImgSupportMouseMove", corner},
        {"cboWinePrefix", corner},
        {"PicScanning", fill},
        {"FrameScanning", fill},
        {"PicScanningPanel", fill},
        {"lblStatus", wide},
        {"Frame2", wide},
        {"Frame3", wide},
        {"lblRegistryScan", wide},
        {"lblRegistryFilesScan", wide},
        {"ImgScanCancelNormal", corner},
        {"ImgScanCancelMouseMove", corner},
        {"PicResults", fill},
        {"FrameRegistryProblemsDetails", fill},
        {"PicResultsPanel", fill},
        {"lvwRegistryProblems", {0, 0, 0.5, 0.5}},
        {"lvwRegistryErrorsDetail", {0.5, 0, 0.5, 0.5}},
        {"txtProblemDetails", {0, 0.5, 1, 0.5}},
        {"ImgDeleteProgress", bottom},
        {"lblDeletingCourrutpfils", bottom},
        {"lblCancelled", bottom},
        {"ImgRepairNormal", corner},
        {"ImgRepairMouseMove", corner},
        {"ImgReturnNormal", corner},
        {"ImgReturnMouseMove", corner},
        {"lblLoading", bottom},
        {"lblMachine", footer},
        {"lblCopyright", footer},
    };
    for (const auto& [name, anchor] : controls) anchors_->Add(control(name), anchor);
    // The corner grip resizes the frameless window.
    auto* grip = new QSizeGrip(this);
    grip->setObjectName("SizeGrip");
    grip->setGeometry(width() - 16, height() - 16, 16, 16);
    anchors_->Add(grip, corner);
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
    blinkTimer_->setObjectName("tmrPicVisibleOrNot");
    blinkTimer_->setInterval(600);
    connect(settingsTimer_, &QTimer::timeout, this, &MainWindow::OpenSettingsLater);
    connect(refreshTimer_, &QTimer::timeout, this, [this] {
        refreshTimer_->stop();
        RefreshOnFocus();
    });
    connect(blinkTimer_, &QTimer::timeout, this, [this] {
        QWidget* bug = control("PicBug");
        bug->setVisible(bug->isHidden());
    });
}

void MainWindow::RegisterControls() {
    QtWindow& w = app_.window;
    for (std::size_t i = 0; i < kControlNames.size(); ++i) {
        const auto id = static_cast<Control>(i);
        if (id != Control::BlinkTimer)
            w.Register(id, control(QString::fromUtf8(ControlName(id).data())));
    }
    w.RegisterCompanion(Control::ScanNowButton, control("ImgScanNowMouseMove"));
    w.RegisterCompanion(Control::RepairButton, control("ImgRepairMouseMove"));
    w.RegisterCompanion(Control::ReturnButton, control("ImgReturnMouseMove"));
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
    auto* label = static_cast<QLabel*>(control("lblLoading"));
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
    static_cast<QLabel*>(control("lblMachine"))
        ->setText(QString::fromStdString(app_.scanned.machine->description));
    LoadCatalogue();
}

bool MainWindow::ScanIdle() const { return !busy_ && control("ImgScanNowNormal")->isEnabled(); }

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
    for (const char* name : {"ImgMinimiseNormal", "imgCloseNormal", "ImgScanNowNormal",
                             "ImgSettingsNormal", "imgRestoreNormal", "ImgHelpNormal",
                             "ImgHelpPicNormal", "ImgSupportNormal", "ImgSupportPicNormal"})
        pair(name)->Reset();
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
    if (!ScanIdle() || app_.loading || !results_->PrepareScan()) return;
    SetBusy(true);
    // The scanning view takes the place of the lists the scan empties at
    // once, before the worker's first event.
    app_.view.ScanStarted();
    work_->Start([this] { engine::RunScan(app_.session); }, [this] { ScanDone(); });
}

void MainWindow::ScanDone() {
    if (reloadAfterWork_) LoadCatalogue();
    SetBusy(false);
}

void MainWindow::RepairAll() {
    // One repair at a time, and none while a scan runs; from its question
    // on, the tray's Scan Now and Settings are off too.
    if (busy_) return;
    SetBusy(true);
    if (!results_->ConfirmRepair()) {
        SetBusy(false);
        return;
    }
    app_.window.SetVisible(Control::CancelledMark, false);
    // The lists the repair changes are not shown while it works.
    app_.view.ShowRepairing(true);
    auto refusal = std::make_shared<std::optional<std::string>>();
    work_->Start([this, refusal] { *refusal = engine::RepairAll(app_.session); },
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
    QWidget* settings = control("ImgSettingsNormal");
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
    hide();
    app_.tray.ShowIcon(this);
    app_.tray.ChangeToolTip(this, tr("Vostrel 2006"));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    const bool noticeOff =
        QString::fromStdString(app_.settings->Get(kNoCloseNoticeKey, "0")).trimmed().toInt() != 0;
    if (!noticeOff && TrayIcon::Available()) {
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
    if (reason != QSystemTrayIcon::DoubleClick && reason != QSystemTrayIcon::Context) return;
    PopupMenu::ShowMenu(app_);
}

}  // namespace vostrel::shell
