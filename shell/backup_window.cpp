#include "shell/backup_window.h"

#include <QHeaderView>
#include <QLabel>

#include "shell/app.h"
#include "shell/engine.h"
#include "shell/list_model.h"
#include "shell/skin.h"

namespace vostrel::shell {

namespace {
constexpr int kWidth = 8400;
constexpr int kHeight = 5400;
}  // namespace

BackupDialog::BackupDialog(AppContext& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName("frmBackUpRestore");
    setWindowTitle("Backup");
    const DialogFrame frame =
        BuildDialogFrame(this, {kWidth, kHeight, "Picture1", 600, 30, true, 7890});
    picture1_ = frame.background;
    close_ = frame.close;
    auto* title = new QLabel("Registry backups", this);
    title->setObjectName("lblTitle");
    title->setGeometry(TwipsRect(240, 720, 6000, 300));
    title->setStyleSheet("font-weight: bold;");
    auto* model = new ListModel(backupList, true, this);
    view_ = new ListView("lvwBackUp", model, this);
    view_->setGeometry(TwipsRect(240, 1080, kWidth - 480, 3480));
    view_->setAccessibleName("Registry backups");
    view_->header()->setStretchLastSection(false);
    view_->setColumnWidth(0, Twips(2700));
    view_->setColumnWidth(1, Twips(1100));
    view_->setColumnWidth(2, Twips(1100));
    view_->setColumnWidth(3, Twips(1350));
    view_->setColumnWidth(4, Twips(1400));
    const QStringList layers = {"skin/button.svg"};
    const QStringList hover = {"skin/button_hover.svg"};
    restore_ = new ImagePair("imgRestoreNormal", "imgRestoreMouseMove", this,
                             TwipsRect(240, 4740, 1590, 435), layers, hover, "Restore");
    delete_ = new ImagePair("ImgDeleteNormal", "ImgDeleteMouseMove", this,
                            TwipsRect(1980, 4740, 1590, 435), layers, hover, "Delete");
    ok_ = new ImagePair("ImgOKNormal", "ImgOkMouseMove", this, TwipsRect(6570, 4740, 1590, 435),
                        layers, hover, "OK");
    // Hovering one of these buttons first puts the others back to rest.
    for (ImagePair* p : {restore_, delete_, ok_})
        connect(p, &ImagePair::normalHovered, this, &BackupDialog::ResetHoverLooks);
    connect(picture1_, &SkinImage::mouseMoved, this, &BackupDialog::ResetHoverLooks);
    connect(restore_, &ImagePair::clicked, this,
            [this] { engine::RestoreCheckedBackups(app_.session, backupList); });
    connect(delete_, &ImagePair::clicked, this,
            [this] { engine::DeleteCheckedBackups(app_.session, backupList); });
    connect(ok_, &ImagePair::clicked, this, &QDialog::accept);
    connect(close_, &ImagePair::clicked, this, &QDialog::reject);
    ResetHoverLooks();
    engine::FillBackupList(app_.session, backupList);
    if (parent) move(parent->geometry().center() - rect().center());
}

void BackupDialog::ResetHoverLooks() {
    for (ImagePair* p : {restore_, delete_, ok_, close_}) p->Reset();
}

}  // namespace vostrel::shell
