// Where every skinned control stands: one row per control, naming the window
// it belongs to, its widget's object name (the skin, the style sheets and
// the tests find the controls by these names), its rectangle in twips in
// its parent widget's coordinates and, on the main window, how it follows a
// larger window. A picture button's row names its hover image as well,
// which lies at the same place. A window's own row holds its size.
//
// The windows take name and place from here (Place, LayoutName, LayoutRect
// in skin.h); the GUI tests check every row against the widget it names.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "shell/window_layout.h"

namespace vostrel::shell {

// The skinned windows.
enum class SkinWindow { Main, Backup, Settings, Message, Notice, Menu, Splash };

// The rows of the layout table, in its order.
enum class LayoutId {
    // The main window.
    MainForm,
    MainBackground,
    MainHeader,
    MainLogo,
    MainMinimise,
    MainClose,
    MainStartView,
    MainCataloguePanel,
    MainSelectAll,
    MainComputerPicture,
    MainComputerLabel,
    MainCatalogue,
    MainLoading,
    MainScanNow,
    MainScanText,
    MainSettings,
    MainSettingsText,
    MainBackup,
    MainBackupText,
    MainShowLog,
    MainHelpIcon,
    MainHelp,
    MainSupportIcon,
    MainSupport,
    MainPrefixChooser,
    MainScanningView,
    MainScanningFrame,
    MainScanningPanel,
    MainBug,
    MainScanningTitle,
    MainStatus,
    MainScanningCaption,
    MainScanProgressFrame,
    MainScanProgressBar,
    MainProblemsCaption,
    MainProblemCount,
    MainCurrentKeyFrame,
    MainCurrentKey,
    MainCurrentFileFrame,
    MainCurrentFile,
    MainScanCancel,
    MainResultsView,
    MainResultsFrame,
    MainResultsPanel,
    MainSummary,
    MainDetails,
    MainDetailsSearch,
    MainDetailsSection,
    MainDetailsCount,
    MainProblemDetails,
    MainRepairProgressFrame,
    MainRepairProgressBar,
    MainRepairing,
    MainCancelled,
    MainWineRunning,
    MainRepair,
    MainReturn,
    MainMachine,
    MainCopyright,
    MainSizeGrip,
    // The backups.
    BackupForm,
    BackupBackground,
    BackupHeader,
    BackupLogo,
    BackupClose,
    BackupTitle,
    BackupList,
    BackupRestore,
    BackupDelete,
    BackupOk,
    // The settings, with the ignore list at the bottom.
    SettingsForm,
    SettingsBackground,
    SettingsHeader,
    SettingsLogo,
    SettingsClose,
    SettingsBackupBox,
    SettingsBackupLabel,
    SettingsBackupPathLabel,
    SettingsBackupPath,
    SettingsBackupBrowse,
    SettingsReportBox,
    SettingsReportLabel,
    SettingsReportPathLabel,
    SettingsReportPath,
    SettingsReportBrowse,
    SettingsSoundBox,
    SettingsSoundLabel,
    SettingsSoundPathLabel,
    SettingsSoundPath,
    SettingsSoundBrowse,
    SettingsStartupBox,
    SettingsStartupLabel,
    SettingsHostDrives,
    SettingsIgnoreList,
    SettingsIgnoreStatus,
    SettingsIgnoreRows,
    SettingsIgnoreRemove,
    SettingsIgnoreKey,
    SettingsIgnoreAdd,
    SettingsOk,
    SettingsCancel,
    // The message box.
    MessageForm,
    MessageBackground,
    MessageHeader,
    MessageLogo,
    MessageText,
    MessageOk,
    MessageCancel,
    // The notice shown when the window closes to the notification area.
    NoticeForm,
    NoticeBackground,
    NoticeHeader,
    NoticeLogo,
    NoticePicture,
    NoticeText,
    NoticeDoNotShowBox,
    NoticeDoNotShowLabel,
    NoticeOk,
    // The notification area's menu.
    MenuForm,
    MenuBackground,
    MenuRestoreItem,
    MenuScanItem,
    MenuSettingsItem,
    MenuExitItem,
    MenuLine1,
    MenuLine2,
    MenuLine3,
    MenuCloseItem,
    // The splash screen.
    SplashForm,
    SplashBackground,
    SplashLogo,
    SplashBorder,
    // Not a row: how many there are.
    End
};

// A rectangle in twips.
struct TwipsBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// One control of a skinned window.
struct LayoutRow {
    LayoutId id;
    SkinWindow window;
    std::string_view name;
    // A picture button's hover image (empty for any other control).
    std::string_view hover;
    TwipsBox box;
    // How it follows a larger main window (not at all when every part is 0).
    Anchor anchor{};
};

// How the main window's controls follow a larger window: the backgrounds
// and the lists take the room it gives; the header stretches across it; the
// buttons keep to the right and bottom edges they were drawn beside; the
// footer keeps to the bottom.
namespace layout_anchors {
inline constexpr Anchor kFixed{};
inline constexpr Anchor kFill{0, 0, 1, 1};
inline constexpr Anchor kWide{0, 0, 1, 0};
inline constexpr Anchor kRight{1, 0, 0, 0};
inline constexpr Anchor kCorner{1, 1, 0, 0};
inline constexpr Anchor kBottom{0, 1, 0, 0};
inline constexpr Anchor kFooter{0, 1, 1, 0};
// The two result lists share the growth side by side, and the height with
// the details pane below them.
inline constexpr Anchor kLeftList{0, 0, 0.5, 0.5};
inline constexpr Anchor kRightList{0.5, 0, 0.5, 0.5};
inline constexpr Anchor kBelowLists{0, 0.5, 1, 0.5};
// The bar above the right list shares its growth: the search its left
// half, the section its right half; the count under it follows its bottom.
inline constexpr Anchor kRightHalf{0.5, 0, 0.25, 0};
inline constexpr Anchor kRightQuarter{0.75, 0, 0.25, 0};
inline constexpr Anchor kUnderRightList{0.5, 0.5, 0.5, 0};
}  // namespace layout_anchors

// The table, one row a line (wider than the code around it, so that its
// columns line up): id, window, object name, hover image, rectangle in
// twips, anchor.
constexpr auto MakeSkinLayout() {
    using enum LayoutId;
    using enum SkinWindow;
    using namespace layout_anchors;
    // clang-format off
    return std::to_array<LayoutRow>({
        {MainForm,                Main,     "FRMmAIN",                      {},                           {0, 0, 9600, 7050},      kFixed},
        {MainBackground,          Main,     "Picture1",                     {},                           {0, 0, 9600, 7050},      kFill},
        {MainHeader,              Main,     "ImgFormMove",                  {},                           {0, 0, 9600, 720},       kWide},
        {MainLogo,                Main,     "ImgToolBarQuendaro",           {},                           {120, 60, 3000, 600},    kFixed},
        {MainMinimise,            Main,     "ImgMinimiseNormal",            "ImgMinimiseMouseMove",       {8760, 195, 330, 330},   kRight},
        {MainClose,               Main,     "imgCloseNormal",               "ImgCloseMouseMove",          {9150, 195, 330, 330},   kRight},
        // The start view: the catalogue on the left, the buttons on the right.
        {MainStartView,           Main,     "FrameScanSettingShelidButton", {},                           {240, 960, 4560, 5100},  kFill},
        {MainCataloguePanel,      Main,     "PicCataloguePanel",            {},                           {0, 0, 4560, 5100},      kFill},
        {MainSelectAll,           Main,     "chkSelectlistviewItems",       {},                           {150, 150, 300, 300},    kFixed},
        {MainComputerPicture,     Main,     "Image1",                       {},                           {480, 60, 450, 450},     kFixed},
        {MainComputerLabel,       Main,     "Label2",                       {},                           {1020, 150, 2400, 300},  kFixed},
        {MainCatalogue,           Main,     "lvwRegistryvaluesScan",        {},                           {120, 600, 4320, 4380},  kFill},
        {MainLoading,             Main,     "lblLoading",                   {},                           {240, 4440, 4080, 480},  kBottom},
        {MainScanNow,             Main,     "ImgScanNowNormal",             "ImgScanNowMouseMove",        {5040, 1020, 2700, 600}, kRight},
        {MainScanText,            Main,     "lblScanText",                  {},                           {5040, 1680, 4320, 480}, kRight},
        {MainSettings,            Main,     "ImgSettingsNormal",            "ImgSettingsMouseMove",       {5040, 2280, 2700, 600}, kRight},
        {MainSettingsText,        Main,     "lblSettingsText",              {},                           {5040, 2940, 4320, 480}, kRight},
        {MainBackup,              Main,     "imgRestoreNormal",             "imgRestoreMouseMove",        {5040, 3540, 2700, 600}, kRight},
        {MainBackupText,          Main,     "lblBackUpText",                {},                           {5040, 4200, 4320, 480}, kRight},
        {MainShowLog,             Main,     "cmdShowLog",                   {},                           {7920, 1080, 1440, 480}, kRight},
        {MainHelpIcon,            Main,     "ImgHelpPicNormal",             "ImgHelpPicmouseMove",        {5040, 4860, 480, 480},  kCorner},
        {MainHelp,                Main,     "ImgHelpNormal",                "ImgHelpMouseMove",           {5610, 4890, 1500, 420}, kCorner},
        {MainSupportIcon,         Main,     "ImgSupportPicNormal",          "ImgSupportPicMouseMove",     {7260, 4860, 480, 480},  kCorner},
        {MainSupport,             Main,     "ImgSupportNormal",             "ImgSupportMouseMove",        {7830, 4890, 1500, 420}, kCorner},
        {MainPrefixChooser,       Main,     "cboWinePrefix",                {},                           {5040, 5520, 4320, 360}, kCorner},
        // The scanning view.
        {MainScanningView,        Main,     "PicScanning",                  {},                           {240, 960, 9120, 5100},  kFill},
        {MainScanningFrame,       Main,     "FrameScanning",                {},                           {0, 0, 9120, 5100},      kFill},
        {MainScanningPanel,       Main,     "PicScanningPanel",             {},                           {0, 0, 9120, 5100},      kFill},
        {MainBug,                 Main,     "PicBug",                       {},                           {240, 240, 720, 720},    kFixed},
        {MainScanningTitle,       Main,     "lblScanning1",                 {},                           {1200, 180, 4000, 420},  kFixed},
        {MainStatus,              Main,     "lblStatus",                    {},                           {1200, 660, 7600, 300},  kWide},
        {MainScanningCaption,     Main,     "lblScanning2",                 {},                           {1200, 1020, 1800, 300}, kFixed},
        {MainScanProgressFrame,   Main,     "PicMainProgress",              {},                           {1200, 1320, 4275, 300}, kFixed},
        {MainScanProgressBar,     Main,     "PicProgress",                  {},                           {0, 0, 0, 300},          kFixed},
        {MainProblemsCaption,     Main,     "Label3",                       {},                           {5700, 1320, 2200, 300}, kFixed},
        {MainProblemCount,        Main,     "lblProblemsFound",             {},                           {7900, 1290, 1000, 360}, kFixed},
        {MainCurrentKeyFrame,     Main,     "Frame2",                       {},                           {240, 1860, 8640, 1080}, kWide},
        {MainCurrentKey,          Main,     "lblRegistryScan",              {},                           {180, 420, 8280, 480},   kWide},
        {MainCurrentFileFrame,    Main,     "Frame3",                       {},                           {240, 3060, 8640, 1080}, kWide},
        {MainCurrentFile,         Main,     "lblRegistryFilesScan",         {},                           {180, 420, 8280, 480},   kWide},
        {MainScanCancel,          Main,     "ImgScanCancelNormal",          "ImgScanCancelMouseMove",     {7140, 4380, 1740, 480}, kCorner},
        // The results view.
        {MainResultsView,         Main,     "PicResults",                   {},                           {240, 960, 9120, 5100},  kFill},
        {MainResultsFrame,        Main,     "FrameRegistryProblemsDetails", {},                           {0, 0, 9120, 5100},      kFill},
        {MainResultsPanel,        Main,     "PicResultsPanel",              {},                           {0, 0, 9120, 5100},      kFill},
        {MainSummary,             Main,     "lvwRegistryProblems",          {},                           {120, 120, 4380, 2700},  kLeftList},
        // Above the details: a search and a section to narrow them; below, how many show.
        {MainDetails,             Main,     "lvwRegistryErrorsDetail",      {},                           {4620, 480, 4380, 2040}, kRightList},
        {MainDetailsSearch,       Main,     "txtDetailsSearch",             {},                           {4620, 120, 2130, 300},  kRightHalf},
        {MainDetailsSection,      Main,     "cboDetailsSection",            {},                           {6870, 120, 2130, 300},  kRightQuarter},
        {MainDetailsCount,        Main,     "lblDetailsCount",              {},                           {4620, 2580, 4380, 240}, kUnderRightList},
        {MainProblemDetails,      Main,     "txtProblemDetails",            {},                           {120, 2880, 8880, 1320}, kBelowLists},
        {MainRepairProgressFrame, Main,     "ImgDeleteProgress",            {},                           {120, 4500, 4275, 300},  kBottom},
        {MainRepairProgressBar,   Main,     "ImgDeleteProgressInside",      {},                           {0, 0, 0, 300},          kFixed},
        {MainRepairing,           Main,     "lblDeletingCourrutpfils",      {},                           {120, 4260, 4275, 240},  kBottom},
        {MainCancelled,           Main,     "lblCancelled",                 {},                           {120, 4500, 4860, 300},  kBottom},
        // Over the repairing line, which shows only while a repair runs.
        {MainWineRunning,         Main,     "lblWineRunning",               {},                           {120, 4260, 5040, 240},  kBottom},
        {MainRepair,              Main,     "ImgRepairNormal",              "ImgRepairMouseMove",         {5280, 4380, 1740, 480}, kCorner},
        {MainReturn,              Main,     "ImgReturnNormal",              "ImgReturnMouseMove",         {7200, 4380, 1740, 480}, kCorner},
        // The footer and the corner grip that resizes the frameless window.
        {MainMachine,             Main,     "lblMachine",                   {},                           {240, 6180, 9120, 300},  kFooter},
        {MainCopyright,           Main,     "lblCopyright",                 {},                           {240, 6600, 9120, 300},  kFooter},
        {MainSizeGrip,            Main,     "SizeGrip",                     {},                           {9360, 6810, 240, 240},  kCorner},

        {BackupForm,              Backup,   "frmBackUpRestore",             {},                           {0, 0, 8400, 5400}},
        {BackupBackground,        Backup,   "Picture1",                     {},                           {0, 0, 8400, 5400}},
        {BackupHeader,            Backup,   "ImgFormMove",                  {},                           {0, 0, 8400, 600}},
        {BackupLogo,              Backup,   "ImgToolBarQuendaro",           {},                           {90, 30, 2700, 540}},
        {BackupClose,             Backup,   "imgCloseNormal",               "ImgCloseMouseMove",          {7890, 135, 330, 330}},
        {BackupTitle,             Backup,   "lblTitle",                     {},                           {240, 720, 6000, 300}},
        {BackupList,              Backup,   "lvwBackUp",                    {},                           {240, 1080, 7920, 3480}},
        {BackupRestore,           Backup,   "imgRestoreNormal",             "imgRestoreMouseMove",        {240, 4740, 1590, 435}},
        {BackupDelete,            Backup,   "ImgDeleteNormal",              "ImgDeleteMouseMove",         {1980, 4740, 1590, 435}},
        {BackupOk,                Backup,   "ImgOKNormal",                  "ImgOkMouseMove",             {6570, 4740, 1590, 435}},

        {SettingsForm,            Settings, "frmSetings",                   {},                           {0, 0, 7200, 6900}},
        {SettingsBackground,      Settings, "Picture2",                     {},                           {0, 0, 7200, 6900}},
        {SettingsHeader,          Settings, "ImgFormMove",                  {},                           {0, 0, 7200, 600}},
        {SettingsLogo,            Settings, "ImgToolBarQuendaro",           {},                           {90, 30, 2700, 540}},
        {SettingsClose,           Settings, "imgCloseNormal",               "ImgCloseMouseMove",          {6690, 135, 330, 330}},
        // Each option: its box, its label, and where it has one its path
        // with a caption and a browse button below.
        {SettingsBackupBox,       Settings, "chkMakeBackUp",                {},                           {300, 780, 300, 300}},
        {SettingsBackupLabel,     Settings, "lblBackupchk",                 {},                           {660, 765, 5400, 330}},
        {SettingsBackupPathLabel, Settings, "Label4",                       {},                           {660, 1185, 1200, 300}},
        {SettingsBackupPath,      Settings, "txtBackup",                    {},                           {1860, 1155, 4200, 345}},
        {SettingsBackupBrowse,    Settings, "cmdBackUpBrowseNormal",        "cmdBackUpBrowseMouseMove",   {6150, 1140, 810, 375}},
        {SettingsReportBox,       Settings, "chkMakeLogFile",               {},                           {300, 1740, 300, 300}},
        {SettingsReportLabel,     Settings, "lblReport",                    {},                           {660, 1725, 5400, 330}},
        {SettingsReportPathLabel, Settings, "Label2",                       {},                           {660, 2145, 1200, 300}},
        {SettingsReportPath,      Settings, "txtLogFile",                   {},                           {1860, 2115, 4200, 345}},
        {SettingsReportBrowse,    Settings, "cmdBrowseNormal",              "cmdBrowseMouseMove",         {6150, 2100, 810, 375}},
        {SettingsSoundBox,        Settings, "chkPlaySound",                 {},                           {300, 2700, 300, 300}},
        {SettingsSoundLabel,      Settings, "lblPlaySoundOnDetection",      {},                           {660, 2685, 5400, 330}},
        {SettingsSoundPathLabel,  Settings, "Label1",                       {},                           {660, 3105, 1200, 300}},
        {SettingsSoundPath,       Settings, "txtWaveFilesPath",             {},                           {1860, 3075, 4200, 345}},
        {SettingsSoundBrowse,     Settings, "cmdWaveFileBrowseNormal",      "cmdWaveFileBrowseMouseMove", {6150, 3060, 810, 375}},
        {SettingsStartupBox,      Settings, "chkRunAtStartup",              {},                           {300, 3660, 300, 300}},
        {SettingsStartupLabel,    Settings, "lblRunonStartup",              {},                           {660, 3645, 5400, 330}},
        // Shown only when the prefix has drives that are the host's.
        {SettingsHostDrives,      Settings, "lblHostDrives",                {},                           {300, 4020, 6660, 630}},
        {SettingsIgnoreList,      Settings, "FrameIgnoreList",              {},                           {300, 4710, 6660, 1440}},
        {SettingsIgnoreStatus,    Settings, "lblIgnoreList",                {},                           {0, 0, 6660, 300}},
        {SettingsIgnoreRows,      Settings, "lstIgnoreList",                {},                           {0, 330, 5160, 720}},
        {SettingsIgnoreRemove,    Settings, "cmdRemoveIgnoredNormal",       "cmdRemoveIgnoredMouseMove",  {5250, 330, 1410, 435}},
        {SettingsIgnoreKey,       Settings, "txtIgnoreKey",                 {},                           {0, 1110, 5160, 330}},
        {SettingsIgnoreAdd,       Settings, "cmdAddIgnoredNormal",          "cmdAddIgnoredMouseMove",     {5250, 1005, 1410, 435}},
        {SettingsOk,              Settings, "cmdOKNormal",                  "cmdokMousemove",             {5400, 6300, 1590, 435}},
        {SettingsCancel,          Settings, "cmdCancelNormal",              "cmdCancelMouseMove",         {3720, 6300, 1590, 435}},

        {MessageForm,             Message,  "FrmMessagebox",                {},                           {0, 0, 6720, 1785}},
        {MessageBackground,       Message,  "Picture1",                     {},                           {0, 0, 6720, 1785}},
        {MessageHeader,           Message,  "ImgFormMove",                  {},                           {0, 0, 6720, 540}},
        {MessageLogo,             Message,  "ImgToolBarQuendaro",           {},                           {90, 15, 2700, 540}},
        {MessageText,             Message,  "lblMessage",                   {},                           {240, 660, 6240, 450}},
        {MessageOk,               Message,  "ImgOKNormal",                  "ImgOkMouseMove",             {1560, 1200, 1590, 435}},
        {MessageCancel,           Message,  "ImgCancelNormal",              "ImgCancelMouseMove",         {3570, 1200, 1590, 435}},

        {NoticeForm,              Notice,   "frmNotification",              {},                           {0, 0, 6720, 2700}},
        {NoticeBackground,        Notice,   "Picture1",                     {},                           {0, 0, 6720, 2700}},
        {NoticeHeader,            Notice,   "ImgFormMove",                  {},                           {0, 0, 6720, 540}},
        {NoticeLogo,              Notice,   "ImgToolBarQuendaro",           {},                           {90, 15, 2700, 540}},
        {NoticePicture,           Notice,   "Picture2",                     {},                           {240, 720, 720, 720}},
        {NoticeText,              Notice,   "lblMessage",                   {},                           {1140, 660, 5340, 900}},
        {NoticeDoNotShowBox,      Notice,   "chkDoNotShowInFuture",         {},                           {240, 1740, 300, 300}},
        {NoticeDoNotShowLabel,    Notice,   "Label1",                       {},                           {570, 1740, 3600, 300}},
        {NoticeOk,                Notice,   "ImgOKNormal",                  "ImgOkMouseMove",             {4890, 2130, 1590, 435}},

        {MenuForm,                Menu,     "frmMenuPopUp",                 {},                           {0, 0, 2055, 2040}},
        {MenuBackground,          Menu,     "Picture1",                     {},                           {0, 0, 2055, 2040}},
        {MenuRestoreItem,         Menu,     "MenuRestore",                  {},                           {60, 510, 1935, 300}},
        {MenuScanItem,            Menu,     "MenuScan",                     {},                           {60, 915, 1935, 300}},
        {MenuSettingsItem,        Menu,     "MenuSettings",                 {},                           {60, 1335, 1935, 300}},
        {MenuExitItem,            Menu,     "MenuExit",                     {},                           {60, 1725, 1935, 300}},
        {MenuLine1,               Menu,     "Shape1",                       {},                           {150, 840, 1755, 30}},
        {MenuLine2,               Menu,     "Shape9",                       {},                           {150, 1260, 1755, 30}},
        {MenuLine3,               Menu,     "Shape10",                      {},                           {150, 1650, 1755, 30}},
        {MenuCloseItem,           Menu,     "lblMenuClose",                 {},                           {1725, 60, 270, 300}},

        {SplashForm,              Splash,   "frmSplash",                    {},                           {0, 0, 6300, 3600}},
        {SplashBackground,        Splash,   "Picture1",                     {},                           {0, 0, 6300, 3600}},
        {SplashLogo,              Splash,   "Image1",                       {},                           {750, 750, 4800, 960}},
        {SplashBorder,            Splash,   "Shape1",                       {},                           {0, 0, 6300, 3600}},
    });
    // clang-format on
}

inline constexpr auto kSkinLayout = MakeSkinLayout();

constexpr const LayoutRow& Layout(LayoutId id) { return kSkinLayout[static_cast<std::size_t>(id)]; }

// Whether a control follows a larger main window at all.
constexpr bool IsAnchored(const Anchor& a) {
    return a.left != 0 || a.top != 0 || a.width != 0 || a.height != 0;
}

// The window's own row (the one holding its size).
constexpr LayoutId WindowRow(SkinWindow window) {
    for (const LayoutRow& row : kSkinLayout)
        if (row.window == window) return row.id;
    return LayoutId::End;
}

namespace layout_checks {

constexpr bool RowsInIdOrder() {
    for (std::size_t i = 0; i < kSkinLayout.size(); ++i)
        if (static_cast<std::size_t>(kSkinLayout[i].id) != i) return false;
    return kSkinLayout.size() == static_cast<std::size_t>(LayoutId::End);
}

// Every object name (a hover image's too) is used once within its window.
constexpr bool NamesUniquePerWindow() {
    for (const LayoutRow& a : kSkinLayout)
        for (const LayoutRow& b : kSkinLayout) {
            if (&a == &b || a.window != b.window) continue;
            for (std::string_view name : {a.name, a.hover})
                if (!name.empty() && (name == b.name || name == b.hover)) return false;
            if (!a.hover.empty() && a.hover == a.name) return false;
        }
    return true;
}

// Each window's rows lie together, the window's own row first, at 0, 0.
constexpr bool WindowsInOneRun() {
    for (std::size_t i = 0; i < kSkinLayout.size(); ++i) {
        const LayoutRow& row = kSkinLayout[i];
        if (i > 0 && kSkinLayout[i - 1].window == row.window) continue;
        for (std::size_t j = 0; j < i; ++j)
            if (kSkinLayout[j].window == row.window) return false;
        if (row.box.left != 0 || row.box.top != 0) return false;
    }
    return true;
}

// Only the main window grows.
constexpr bool AnchorsOnlyOnMain() {
    for (const LayoutRow& row : kSkinLayout)
        if (IsAnchored(row.anchor) && row.window != SkinWindow::Main) return false;
    return true;
}

}  // namespace layout_checks

static_assert(layout_checks::RowsInIdOrder(), "the rows follow LayoutId, one row for each");
static_assert(layout_checks::NamesUniquePerWindow(), "an object name is used twice in a window");
static_assert(layout_checks::WindowsInOneRun(), "a window's rows lie together, its own first");
static_assert(layout_checks::AnchorsOnlyOnMain(), "only the main window has anchors");

}  // namespace vostrel::shell
