// The program's own skinned message box, FrmMessagebox, driven by the
// message kind in strMessageKind, and the close notice frmNotification.
#pragma once

#include <QDialog>
#include <string>
#include <string_view>

class QCheckBox;

namespace vostrel {
class SettingsStore;
}

namespace vostrel::shell {

class ImagePair;
class SkinImage;
class SkinLabel;

// The kind going in, the answer ("YES" or "NO") coming out.
extern std::string strMessageKind;

enum class MessageKind {
    FilesRepaired,
    FilesKept,
    NotRepaired,
    CloseConfirmation,
    CancelScanning,
    DeleteBackupFile,
    Other
};

// The text of a notice whose words only the caller knows ("NOT REPAIRED").
extern std::string strMessageText;

// Looks a kind up, trimmed and without regard to case.
MessageKind LookUpMessageKind(std::string_view kind);
bool IsQuestion(MessageKind kind);
// A notice with a single OK button.
bool IsNotice(MessageKind kind);
// The answer the callers read: true only for "YES" (trimmed, any case).
bool AnsweredYes(std::string_view answer);

class FrmMessagebox : public QDialog {
    Q_OBJECT
public:
    explicit FrmMessagebox(QWidget* parent = nullptr);

    QString message() const;
    ImagePair* okButton() const { return ok_; }
    ImagePair* cancelButton() const { return cancel_; }
    SkinImage* background() const { return background_; }

    void ImgOkMouseMove_Click();
    void ImgCancelMouseMove_Click();
    void Picture1_MouseMove();

private:
    void FormLoad();

    SkinImage* background_;
    SkinLabel* lblMessage_;
    ImagePair* ok_;
    ImagePair* cancel_;
};

// Sets strMessageKind to the kind, shows the message box modal and returns
// what it left in strMessageKind.
std::string AskMessage(std::string_view kind);
// Shows a one-button notice with the caller's text.
void ShowNotice(std::string_view text);

class FrmNotification : public QDialog {
    Q_OBJECT
public:
    FrmNotification(SettingsStore& settings, QWidget* parent = nullptr);

    QCheckBox* doNotShow() const { return chkDoNotShowInFuture_; }
    SkinLabel* label1() const { return label1_; }
    ImagePair* okButton() const { return ok_; }
    QString message() const;

private:
    SettingsStore& settings_;
    SkinImage* background_;
    SkinLabel* lblMessage_;
    QCheckBox* chkDoNotShowInFuture_;
    SkinLabel* label1_;
    ImagePair* ok_;
};

}  // namespace vostrel::shell
