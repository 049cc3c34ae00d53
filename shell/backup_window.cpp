#include "shell/backup_window.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>

#include "shell/app.h"
#include "shell/engine.h"
#include "shell/list_model.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/skin.h"

namespace vostrel::shell {

BackupDialog::BackupDialog(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(QCoreApplication::translate("vostrel::shell::BackupDialog", "Backup"));
    const DialogFrame frame =
        BuildDialogFrame(this,
                         {LayoutId::BackupForm, LayoutId::BackupBackground, LayoutId::BackupHeader,
                          LayoutId::BackupLogo, LayoutId::BackupClose});
    picture1_ = frame.background;
    close_ = frame.close;
    InstallQuitShortcut(this, app_);
    auto* title = Place(new QLabel(QCoreApplication::translate("vostrel::shell::BackupDialog",
                                                               "Registry backups"),
                                   this),
                        LayoutId::BackupTitle);
    title->setStyleSheet("font-weight: bold;");
    auto* model = new ListModel(backupList, true, this);
    view_ =
        Place(new ListView(LayoutName(LayoutId::BackupList), model, this), LayoutId::BackupList);
    view_->setAccessibleName(
        QCoreApplication::translate("vostrel::shell::BackupDialog", "Registry backups"));
    view_->header()->setStretchLastSection(false);
    view_->setColumnWidth(0, Twips(2700));
    view_->setColumnWidth(1, Twips(1100));
    view_->setColumnWidth(2, Twips(1100));
    view_->setColumnWidth(3, Twips(1350));
    view_->setColumnWidth(4, Twips(1400));
    view_->setColumnWidth(5, Twips(1300));
    connect(view_, &QAbstractItemView::doubleClicked, this, [this] { ShowContents(); });
    connect(view_, &QAbstractItemView::activated, this, [this] { ShowContents(); });
    const QStringList layers = {"skin/button.svg"};
    const QStringList hover = {"skin/button_hover.svg"};
    restore_ =
        new ImagePair(LayoutId::BackupRestore, this, layers, hover,
                      QCoreApplication::translate("vostrel::shell::BackupDialog", "Restore"));
    delete_ = new ImagePair(LayoutId::BackupDelete, this, layers, hover,
                            QCoreApplication::translate("vostrel::shell::BackupDialog", "Delete"));
    ok_ = new ImagePair(LayoutId::BackupOk, this, layers, hover,
                        QCoreApplication::translate("vostrel::shell::BackupDialog", "OK"));
    // Hovering one of these buttons first puts the others back to rest.
    for (ImagePair* p : {restore_, delete_, ok_})
        connect(p, &ImagePair::normalHovered, this, &BackupDialog::ResetHoverLooks);
    connect(picture1_, &SkinImage::mouseMoved, this, &BackupDialog::ResetHoverLooks);
    connect(restore_, &ImagePair::clicked, this, &BackupDialog::RestoreTicked);
    connect(delete_, &ImagePair::clicked, this, [this] {
        engine::DeleteBackups(app_.session, backupList,
                              engine::ChosenBackups(backupList, CurrentRow()));
    });
    connect(ok_, &ImagePair::clicked, this, &QDialog::accept);
    connect(close_, &ImagePair::clicked, this, &QDialog::reject);
    ResetHoverLooks();
    engine::FillBackupList(app_.session, backupList);
    if (parent) move(parent->geometry().center() - rect().center());
}

namespace {

// The first `shown` lines of what a backup holds, each on a line of its own,
// then how many more there are.
QString FirstLines(const std::vector<std::string>& contents, std::size_t shown) {
    QString text;
    for (std::size_t i = 0; i < contents.size() && i < shown; ++i)
        text += "\n  " + QString::fromStdString(contents[i]);
    if (contents.size() > shown)
        text += QCoreApplication::translate("vostrel::shell::BackupDialog", "\n  … and %1 more")
                    .arg(contents.size() - shown);
    return text;
}

}  // namespace

QString ContentsText(const QString& name, const std::vector<std::string>& contents) {
    constexpr std::size_t kShown = 12;
    QString text =
        QCoreApplication::translate("vostrel::shell::BackupDialog", "%1 holds %n item(s):", nullptr,
                                    static_cast<int>(contents.size()))
            .arg(name);
    return text + FirstLines(contents, kShown);
}

QString RestoreQuestion(const QStringList& names, std::size_t items, const QString& machine,
                        const std::vector<std::string>& contents) {
    const QString what =
        names.size() == 1
            ? QCoreApplication::translate("vostrel::shell::BackupDialog", "backup %1")
                  .arg(names.front())
            : QCoreApplication::translate("vostrel::shell::BackupDialog", "backups %1")
                  .arg(names.join(
                      QCoreApplication::translate("vostrel::shell::BackupDialog", ", ")));
    QString question =
        QCoreApplication::translate("vostrel::shell::BackupDialog", "Restore %1 %2 of %3 into %4?")
            .arg(items)
            .arg(items == 1 ? QCoreApplication::translate("vostrel::shell::BackupDialog", "item")
                            : QCoreApplication::translate("vostrel::shell::BackupDialog", "items"))
            .arg(what, machine);
    if (contents.empty()) return question;
    constexpr std::size_t kShown = 8;
    return question + FirstLines(contents, kShown) +
           QCoreApplication::translate("vostrel::shell::BackupDialog",
                                       "\nThe backup is kept, marked as restored.");
}

QString RestoreSummary(const std::vector<engine::RestoreOutcome>& outcomes) {
    // The counts first, then each failure with its reason (the first few:
    // the box grows with its text, but not past the screen).
    constexpr int kShownFailures = 8;
    int restored = 0, failed = 0;
    QStringList reasons;
    for (const auto& outcome : outcomes) {
        restored += outcome.restored;
        failed += static_cast<int>(outcome.failures.size());
        for (const auto& failure : outcome.failures)
            if (reasons.size() < kShownFailures)
                reasons << QString::fromStdString(outcome.name + ": " + failure);
    }
    QString text =
        QCoreApplication::translate("vostrel::shell::BackupDialog", "Restored %1, failed %2")
            .arg(restored)
            .arg(failed);
    if (outcomes.empty())
        text +=
            QCoreApplication::translate("vostrel::shell::BackupDialog",
                                        ": the ticked backups are no longer in the backup folder");
    if (!reasons.isEmpty()) text += ".\n" + reasons.join("\n");
    if (failed > reasons.size())
        text += QCoreApplication::translate("vostrel::shell::BackupDialog", "\n… and %1 more")
                    .arg(failed - reasons.size());
    return text;
}

std::size_t BackupDialog::CurrentRow() const {
    const QModelIndex current = view_->currentIndex();
    return current.isValid() ? static_cast<std::size_t>(current.row()) + 1 : 0;
}

void BackupDialog::RestoreTicked() {
    const std::vector<std::string> chosen = engine::ChosenBackups(backupList, CurrentRow());
    QStringList names;
    std::size_t items = 0;
    std::vector<std::string> contents;
    for (const std::string& name : chosen) {
        names << QString::fromStdString(name);
        items += engine::BackupItemCount(app_.session, name);
        for (auto& line : engine::BackupContents(app_.session, name)) contents.push_back(line);
    }
    if (names.isEmpty()) {
        ShowNotice(QCoreApplication::translate(
                       "vostrel::shell::BackupDialog",
                       "Nothing was restored: no backup is chosen. Select a backup, or tick "
                       "several, first.")
                       .toStdString());
        return;
    }
    const QString machine = QString::fromStdString(app_.scanned.machine->description);
    if (AskRestore(RestoreQuestion(names, items, machine, contents).toStdString()) != Answer::Yes)
        return;
    const auto outcomes = engine::RestoreBackups(app_.session, backupList, chosen);
    ShowNotice(RestoreSummary(outcomes).toStdString());
}

void BackupDialog::ShowContents() {
    const std::size_t row = CurrentRow();
    if (row == 0 || row > backupList.Count()) return;
    const std::string name = backupList.Text(row);
    ShowNotice(
        ContentsText(QString::fromStdString(name), engine::BackupContents(app_.session, name))
            .toStdString());
}

void BackupDialog::ResetHoverLooks() {
    for (ImagePair* p : {restore_, delete_, ok_, close_}) p->Reset();
}

}  // namespace vostrel::shell
