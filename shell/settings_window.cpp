#include "shell/settings_window.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>

#include "shell/app.h"
#include "shell/engine.h"
#include "shell/ignore_list_box.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/results_view.h"
#include "shell/skin.h"
#include "system/settings.h"
#include "system/settings_keys.h"

namespace vostrel::shell {

namespace {

// Shows `text` whole in `label`'s rectangle where it can: wrapped at its
// spaces, a word wider than the label (a long host folder) shortened in
// its middle, and, should that still take more lines than the label has,
// cut short at the end. The caller's tooltip holds all of it.
void ShowWithin(QLabel* label, const QString& text) {
    label->ensurePolished();
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QFontMetrics metrics(label->font());
    const int width = label->contentsRect().width();
    QStringList words = text.split(' ');
    for (QString& word : words)
        if (metrics.horizontalAdvance(word) > width)
            word = metrics.elidedText(word, Qt::ElideMiddle, width);
    const auto fits = [&](const QString& shown) {
        const QRect need =
            metrics.boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWordWrap, shown);
        return need.width() <= width && need.height() <= label->contentsRect().height();
    };
    QString shown = words.join(' ');
    while (!fits(shown) && words.size() > 1) {
        words.removeLast();
        shown = words.join(' ') + QStringLiteral(" \u2026");
    }
    label->setText(shown);
}

}  // namespace

void SetBoxFromStored(QCheckBox* box, const std::string& stored) {
    bool ok = false;
    const int value = QString::fromStdString(stored).trimmed().toInt(&ok);
    if (!ok) return;
    box->setChecked(value == 1);
}

SettingsDialog::SettingsDialog(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(tr("Settings"));
    const DialogFrame frame =
        BuildDialogFrame(this, {LayoutId::SettingsForm, LayoutId::SettingsBackground,
                                LayoutId::SettingsHeader, LayoutId::SettingsLogo,
                                LayoutId::SettingsClose});
    picture2_ = frame.background;
    connect(frame.strip, &SkinImage::mouseMoved, this, &SettingsDialog::ResetHoverLooks);
    close_ = frame.close;

    BuildOption(backup_,
                {LayoutId::SettingsBackupBox, LayoutId::SettingsBackupLabel,
                 LayoutId::SettingsBackupPathLabel, LayoutId::SettingsBackupPath,
                 LayoutId::SettingsBackupBrowse},
                tr("Make Backup Before Repairing."), tr("BackUp's :"));
    BuildOption(report_,
                {LayoutId::SettingsReportBox, LayoutId::SettingsReportLabel,
                 LayoutId::SettingsReportPathLabel, LayoutId::SettingsReportPath,
                 LayoutId::SettingsReportBrowse},
                tr("Make report after every scan."), tr("Report Log :"));
    BuildOption(sound_,
                {LayoutId::SettingsSoundBox, LayoutId::SettingsSoundLabel,
                 LayoutId::SettingsSoundPathLabel, LayoutId::SettingsSoundPath,
                 LayoutId::SettingsSoundBrowse},
                tr("Play sound whenever a problem is detected."), tr("Sound File :"));
    BuildOption(startup_, {LayoutId::SettingsStartupBox, LayoutId::SettingsStartupLabel},
                tr("Run Vostrel on startup."), {});
    startup_.box->setToolTip(tr("Checking this option will run at Windows Startup"));
    backup_.boxKey = kMakeBackupKey;
    backup_.pathKey = kBackupFolderKey;
    report_.boxKey = kMakeReportKey;
    report_.pathKey = kReportFolderKey;
    sound_.boxKey = kPlaySoundKey;
    sound_.pathKey = kSoundFileKey;
    startup_.boxKey = kRunAtStartupKey;

    // The drives that are the host's, not the machine's: said here as well
    // as in the catalogue, since their rows start unchecked.
    if (const std::string note = engine::HostDrivesNote(app_.session); !note.empty()) {
        auto* hostDrives = new SkinLabel(LayoutId::SettingsHostDrives, QString(), this);
        hostDrives->setToolTip(QString::fromStdString(note));
        ShowWithin(hostDrives, QString::fromStdString(note));
    }

    // The ignore list takes the lower part of the window.
    ignoreList_ = Place(new IgnoreListBox(this), LayoutId::SettingsIgnoreList);
    // A key added here holds for this machine, as the command line's does.
    ignoreList_->SetMachine(IgnoreMachineOf(app_));
    ok_ = new ImagePair(LayoutId::SettingsOk, this, {"skin/button.svg"}, {"skin/button_hover.svg"},
                        tr("OK"));
    ok_->SetDescription(tr("Stores the settings and closes the window"));
    cancel_ = new ImagePair(LayoutId::SettingsCancel, this, {"skin/button.svg"},
                            {"skin/button_hover.svg"}, tr("Cancel"));
    cancel_->SetDescription(tr("Closes the window and keeps the settings as they were"));
    connect(picture2_, &SkinImage::mouseMoved, this, &SettingsDialog::ResetHoverLooks);
    connect(ok_, &ImagePair::clicked, this, &SettingsDialog::SaveAndClose);
    connect(cancel_, &ImagePair::clicked, this, &QDialog::reject);
    connect(close_, &ImagePair::clicked, this, &QDialog::reject);
    connect(backup_.browse, &ImagePair::clicked, this, [this] { ChooseFolderInto(backup_.path); });
    connect(report_.browse, &ImagePair::clicked, this, [this] { ChooseFolderInto(report_.path); });
    connect(sound_.browse, &ImagePair::clicked, this, &SettingsDialog::BrowseSoundFile);
    for (Option* option : {&backup_, &report_, &sound_})
        connect(option->box, &QCheckBox::stateChanged, this, [this, option] { BoxClick(*option); });
    for (Option* option : {&backup_, &report_, &sound_, &startup_}) {
        connect(option->label, &SkinLabel::clicked, this,
                [option] { option->box->setChecked(!option->box->isChecked()); });
        connect(option->label, &SkinLabel::mouseMoved, this,
                [option] { option->label->SetBold(true); });
    }
    InstallQuitShortcut(this, app_);
    FormLoad();
    if (parent) move(parent->geometry().center() - rect().center());
}

void SettingsDialog::BuildOption(Option& option, const OptionLayout& layout, const QString& caption,
                                 const QString& pathCaption) {
    option.box = Place(new QCheckBox(this), layout.box);
    option.box->setAccessibleName(caption);
    option.label = new SkinLabel(layout.label, caption, this);
    if (!layout.path) return;
    Place(new QLabel(pathCaption, this), *layout.pathLabel);
    option.path = Place(new QLineEdit(this), *layout.path);
    option.path->setAccessibleName(pathCaption);
    option.browse = new ImagePair(*layout.browse, this, {"skin/button.svg"},
                                  {"skin/button_hover.svg"}, tr("..."));
    option.browse->normal()->setAccessibleName(tr("Browse %1").arg(pathCaption));
    option.browse->hover()->setAccessibleName(tr("Browse %1").arg(pathCaption));
}

void SettingsDialog::FormLoad() {
    SettingsStore& s = *app_.settings;
    SetBoxFromStored(sound_.box, s.Get(kPlaySoundKey, "0"));
    sound_.path->setText(QString::fromStdString(s.Get(kSoundFileKey, "")));
    BoxClick(sound_);
    // Off unless stored, as the scan takes it: the box shows what a scan does.
    SetBoxFromStored(report_.box, s.Get(kMakeReportKey, "0"));
    BoxClick(report_);
    SetBoxFromStored(backup_.box, s.Get(kMakeBackupKey, "1"));
    BoxClick(backup_);
    const std::string folder = ProgramFolder();
    report_.path->setText(QString::fromStdString(s.Get(kReportFolderKey, folder)));
    backup_.path->setText(QString::fromStdString(s.Get(kBackupFolderKey, folder)));
    // Starting with the session is the user's choice, never a default.
    SetBoxFromStored(startup_.box, s.Get(kRunAtStartupKey, "0"));
}

void SettingsDialog::BoxClick(Option& option) {
    const bool on = option.box->isChecked();
    option.path->setReadOnly(!on);
    option.browse->normal()->setEnabled(on);
    option.browse->hover()->setEnabled(on);
}

void SettingsDialog::ApplyRunAtStartup() {
    // Stored, and the entry written or removed, only when the user confirms
    // with OK: opening the window and closing it changes nothing.
    const bool on = startup_.box->isChecked();
    app_.settings->Save(kRunAtStartupKey, on ? "1" : "0");
    // On the desktop the session's autostart folder takes the place of the
    // Run value: a Linux program written into the Wine prefix's Run key
    // would only be a broken startup entry of that prefix. The entry starts
    // the program on the prefix it works on now.
    if (on) {
        const auto prefix = app_.session.files.PrefixFolder();
        const QString folder =
            prefix ? QFileInfo(QString::fromStdString(*prefix)).absoluteFilePath() : QString();
        WriteAutostartEntry(app_.programPath, folder);
    } else {
        RemoveAutostartEntry();
    }
}

void SettingsDialog::ResetHoverLooks() {
    for (Option* option : {&backup_, &report_, &sound_}) option->browse->Reset();
    ok_->Reset();
    cancel_->Reset();
    close_->Reset();
    for (Option* option : {&backup_, &report_, &sound_, &startup_}) option->label->SetBold(false);
}

void SettingsDialog::ChooseFolderInto(QLineEdit* path) {
    if (!app_.platform.chooseDirectory) return;
    const QString folder = app_.platform.chooseDirectory(this);
    if (!folder.trimmed().isEmpty()) path->setText(folder);
}

void SettingsDialog::BrowseSoundFile() {
    if (!app_.platform.chooseFile) return;
    QString folder = sound_.path->text();
    if (folder.trimmed().isEmpty()) {
        const std::string media = app_.session.files.GetWindowsDirectory() + "\\media";
        const auto host = app_.session.files.HostPath(media);
        folder = host ? QString::fromStdString(*host) : QDir::homePath();
    }
    const QString file = app_.platform.chooseFile(this, tr("wav Files (*.wav)"), folder);
    if (file.trimmed().isEmpty()) return;
    sound_.path->setText(file);
    // The preview follows the detection sound's rule, without counting a problem.
    if (sound_.box->isChecked() && QFileInfo(file.trimmed()).isFile() && app_.platform.sound)
        app_.platform.sound->Play(file.trimmed());
}

void SettingsDialog::StorePathOrTurnOff(Option& option) {
    // An option without its folder or file cannot work: it is turned off.
    if (option.path->text().trimmed().isEmpty()) option.box->setChecked(false);
    if (option.box->isChecked())
        app_.settings->Save(option.pathKey, option.path->text().toStdString());
    app_.settings->Save(option.boxKey, option.box->isChecked() ? "1" : "0");
}

void SettingsDialog::SaveAndClose() {
    StorePathOrTurnOff(sound_);
    StorePathOrTurnOff(report_);
    StorePathOrTurnOff(backup_);
    std::string error;
    if (!ignoreList_->Save(&error))
        ShowNotice(tr("The ignore list was not saved: %1")
                       .arg(QString::fromStdString(error))
                       .toStdString());
    ApplyRunAtStartup();
    accept();
}

}  // namespace vostrel::shell
