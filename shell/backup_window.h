// frmBackUpRestore: the backup manager's window, listing the open prefix's
// backup files (and those that record no prefix) with check boxes, and its Restore, Delete, OK and close buttons.
#pragma once

#include <QDialog>
#include <QStringList>
#include <vector>

#include "shell/engine.h"

#include "shell/list_control.h"

namespace vostrel::shell {

struct AppContext;
class ImagePair;
class ListView;
class SkinImage;

// "Restore 3 items of backup BackUp … into Wine prefix …?", then the first
// lines of what the backups hold.
QString RestoreQuestion(const QStringList& names, std::size_t items, const QString& machine,
                        const std::vector<std::string>& contents = {});
// What a backup holds, as the window shows it (the first lines, then a count).
QString ContentsText(const QString& name, const std::vector<std::string>& contents);
// "Restored 3, failed 1", with the reasons.
QString RestoreSummary(const std::vector<engine::RestoreOutcome>& outcomes);

// The list outlives the views that show it.
struct BackupListHolder {
    ListControl backupList{"lvwBackUp",
                           {QT_TRANSLATE_NOOP("vostrel::lists", "Name"),
                            QT_TRANSLATE_NOOP("vostrel::lists", "Date"),
                            QT_TRANSLATE_NOOP("vostrel::lists", "Time"),
                            QT_TRANSLATE_NOOP("vostrel::lists", "Size ( Bytes )"),
                            QT_TRANSLATE_NOOP("vostrel::lists", "Prefix"),
                            QT_TRANSLATE_NOOP("vostrel::lists", "Restored")}};
};

class BackupDialog : private BackupListHolder, public QDialog {
public:
    BackupDialog(AppContext& app, QWidget* parent = nullptr);

    ListControl& list() { return backupList; }
    ListView* view() const { return view_; }
    ImagePair* restoreButton() const { return restore_; }
    ImagePair* deleteButton() const { return delete_; }
    ImagePair* okButton() const { return ok_; }
    ImagePair* closeButton() const { return close_; }

    // The Restore button: asks first, then tells what was put back and what
    // failed. It acts on the ticked backups, or on the current row.
    void RestoreTicked();
    // What the current row's backup holds (a double click, or Enter).
    void ShowContents();

private:
    void ResetHoverLooks();
    std::size_t CurrentRow() const;

    AppContext& app_;
    SkinImage* picture1_ = nullptr;
    ListView* view_ = nullptr;
    ImagePair* restore_ = nullptr;
    ImagePair* delete_ = nullptr;
    ImagePair* ok_ = nullptr;
    ImagePair* close_ = nullptr;
};

}  // namespace vostrel::shell
