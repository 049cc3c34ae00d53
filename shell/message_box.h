// The program's own skinned message box, driven by the message kind in
// messageKind (the kinds' texts are data: the table in message_box.cpp),
// and the close notice.
#pragma once

#include <QDialog>
#include <string>
#include <string_view>

#include "session/scan_observer.h"

class QCheckBox;

namespace vostrel {
class SettingsStore;
}

namespace vostrel::shell {

class ImagePair;
class SkinImage;
class SkinLabel;

// The kind going in, the answer ("YES" or "NO") coming out.
extern std::string messageKind;

enum class MessageKind {
    FilesRepaired,
    FilesKept,
    NotRepaired,
    CloseConfirmation,
    CancelScanning,
    DeleteBackupFile,
    // A question whose words only the caller knows (messageText).
    ConfirmRepair,
    RestoreBackup,
    Other
};

// The text of a notice whose words only the caller knows ("NOT REPAIRED").
extern std::string messageText;

// Looks a kind up, trimmed and without regard to case.
MessageKind LookUpMessageKind(std::string_view kind);
bool IsQuestion(MessageKind kind);
// A notice with a single OK button.
bool IsNotice(MessageKind kind);
// The answer the callers read: true only for "YES" (trimmed, any case).
bool AnsweredYes(std::string_view answer);

class MessageBoxDialog : public QDialog {
    Q_OBJECT
public:
    explicit MessageBoxDialog(QWidget* parent = nullptr);

    QString message() const;
    ImagePair* okButton() const { return ok_; }
    ImagePair* cancelButton() const { return cancel_; }
    SkinImage* background() const { return background_; }

    void OkClicked();
    void CancelClicked();
    void ResetHoverLooks();

private:
    void FormLoad();
    // Grows the box with its text, so that every word of it shows.
    void FitMessage();

    SkinImage* background_;
    SkinLabel* lblMessage_;
    ImagePair* ok_;
    ImagePair* cancel_;
};

// Sets messageKind to the kind, shows the message box modal and returns
// what it left in messageKind.
std::string AskMessage(std::string_view kind);
// The kind's text, as the message box looks it up.
std::string_view KindText(MessageKind kind);
// Shows the message box for a kind: Yes, No, or None for a notice or a box
// closed by other means.
Answer Ask(MessageKind kind);
// Shows a one-button notice with the caller's text.
void ShowNotice(std::string_view text);
// Asks the caller's question about a repair (OK and Cancel). `confirm`, when
// given, is the OK button's caption: what the repair will do ("Delete 71
// entries"). The question's lines are set flush left when it lists items.
Answer AskRepair(std::string_view question, std::string_view confirm = {});
// Asks the caller's question ("Restore 3 items of backup … into …?") with
// OK and Cancel: Yes only for OK.
Answer AskRestore(std::string_view question);

class CloseNotice : public QDialog {
    Q_OBJECT
public:
    CloseNotice(SettingsStore& settings, QWidget* parent = nullptr);

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
