#include "shell/message_box.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <algorithm>

#include "shell/skin.h"
#include "system/settings.h"
#include "system/settings_keys.h"
#include "system/text.h"

namespace vostrel::shell {

std::string messageKind;
std::string messageText;
// The OK button's caption of the next repair question, when it has one.
std::string messageConfirm;

namespace {

// A notice's only button, OK, stands in the middle of the box (in twips).
constexpr int kSingleOkLeft =
    (Layout(LayoutId::MessageForm).box.width - Layout(LayoutId::MessageOk).box.width) / 2;
// Room kept free around a box that has grown to the screen's size, in pixels.
constexpr int kScreenMargin = 40;

struct KindEntry {
    std::string_view kind;
    MessageKind id;
    const char* message;
};

constexpr KindEntry kKinds[] = {
    {"FILES REPAIRED", MessageKind::FilesRepaired,
     QT_TRANSLATE_NOOP("vostrel::shell::MessageBoxDialog",
                       " All Problems were repaired sucessfully !")},
    {"FILES KEPT", MessageKind::FilesKept,
     QT_TRANSLATE_NOOP("vostrel::shell::MessageBoxDialog",
                       "Some problems were kept: their backup could not be written.")},
    {"NOT REPAIRED", MessageKind::NotRepaired, ""},
    {"CLOSE CONFERMATION", MessageKind::CloseConfirmation,
     QT_TRANSLATE_NOOP("vostrel::shell::MessageBoxDialog", "Are you sure you want close Vostrel?")},
    {"CANCEL SCANNING", MessageKind::CancelScanning,
     QT_TRANSLATE_NOOP("vostrel::shell::MessageBoxDialog",
                       "Are you sure you want to stop the scanning ?")},
    {"DELETE BACKUP FILE", MessageKind::DeleteBackupFile,
     QT_TRANSLATE_NOOP("vostrel::shell::MessageBoxDialog",
                       "Are you sure you want delete the selected file ?")},
    {"CONFIRM REPAIR", MessageKind::ConfirmRepair, ""},
    {"RESTORE BACKUP", MessageKind::RestoreBackup, ""},
};

const KindEntry* FindKind(std::string_view kind) {
    const std::string key = UpperAscii(Trim(kind));
    for (const KindEntry& entry : kKinds)
        if (entry.kind == key) return &entry;
    return nullptr;
}

void CentreOnScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

}  // namespace

MessageKind LookUpMessageKind(std::string_view kind) {
    const KindEntry* entry = FindKind(kind);
    return entry ? entry->id : MessageKind::Other;
}

bool IsQuestion(MessageKind kind) {
    return kind == MessageKind::CloseConfirmation || kind == MessageKind::CancelScanning ||
           kind == MessageKind::DeleteBackupFile || kind == MessageKind::ConfirmRepair ||
           kind == MessageKind::RestoreBackup;
}

bool IsNotice(MessageKind kind) {
    return kind == MessageKind::FilesRepaired || kind == MessageKind::FilesKept ||
           kind == MessageKind::NotRepaired;
}

bool AnsweredYes(std::string_view answer) { return UpperAscii(Trim(answer)) == "YES"; }

MessageBoxDialog::MessageBoxDialog(QWidget* parent) : QDialog(parent) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    background_ = BuildDialogFrame(this, {LayoutId::MessageForm, LayoutId::MessageBackground,
                                          LayoutId::MessageHeader, LayoutId::MessageLogo})
                      .background;
    setWindowTitle(QString());
    lblMessage_ = new SkinLabel(LayoutId::MessageText, QString(60, '#'), this);
    lblMessage_->setAlignment(Qt::AlignCenter);
    lblMessage_->setWordWrap(true);
    ok_ = new ImagePair(LayoutId::MessageOk, this, {"skin/button.svg"}, {"skin/button_hover.svg"},
                        tr("OK"));
    cancel_ = new ImagePair(LayoutId::MessageCancel, this, {"skin/button.svg"},
                            {"skin/button_hover.svg"}, tr("Cancel"));
    connect(background_, &SkinImage::mouseMoved, this, &MessageBoxDialog::ResetHoverLooks);
    connect(ok_, &ImagePair::clicked, this, &MessageBoxDialog::OkClicked);
    connect(cancel_, &ImagePair::clicked, this, &MessageBoxDialog::CancelClicked);
    FormLoad();
    FitMessage();
    CentreOnScreen(this);
}

void MessageBoxDialog::FitMessage() {
    // The box keeps its designed size for the short texts it was drawn for.
    // A longer text wraps; a word wider than the label (a long path) widens
    // the box, and the lines that do not fit make it taller, up to the
    // screen's size. Below that the text scrolls nowhere: it must all show.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize most =
        screen ? screen->availableGeometry().size() - QSize(2 * kScreenMargin, 2 * kScreenMargin)
               : QSize(1600, 1000);
    const QFontMetrics metrics(lblMessage_->font());
    int widest = 0;
    for (const QString& word : lblMessage_->text().split(QRegularExpression("\\s+")))
        widest = std::max(widest, metrics.horizontalAdvance(word));
    const int margins = 2 * LayoutRect(LayoutId::MessageText).left();
    const int boxWidth = std::clamp(widest + margins + 2, width(), std::max(width(), most.width()));
    const int labelWidth = boxWidth - margins;
    const int needed = lblMessage_->heightForWidth(labelWidth);
    const int extra =
        std::clamp(needed - lblMessage_->height(), 0, std::max(0, most.height() - height()));
    if (boxWidth == width() && extra == 0) return;
    const int shift = (boxWidth - width()) / 2;
    setFixedSize(boxWidth, height() + extra);
    background_->setGeometry(rect());
    if (auto* strip = findChild<SkinImage*>(LayoutName(LayoutId::MessageHeader)))
        strip->resize(boxWidth, strip->height());
    lblMessage_->setGeometry(lblMessage_->x(), lblMessage_->y(), labelWidth,
                             lblMessage_->height() + extra);
    for (ImagePair* button : {ok_, cancel_}) {
        button->SetLeft(button->normal()->x() + shift);
        for (SkinImage* image : {button->normal(), button->hover()})
            image->move(image->x(), image->y() + extra);
    }
}

QString MessageBoxDialog::message() const { return lblMessage_->text(); }

void MessageBoxDialog::FormLoad() {
    const KindEntry* entry = FindKind(messageKind);
    if (!entry) return;
    // The table's texts are marked for translation and translated here.
    lblMessage_->setText(*entry->message ? tr(entry->message) : QString());
    if (entry->id == MessageKind::NotRepaired || entry->id == MessageKind::ConfirmRepair ||
        entry->id == MessageKind::RestoreBackup)
        lblMessage_->setText(QString::fromStdString(messageText));
    // A list of items reads from the left.
    if (messageText.find('\n') != std::string::npos)
        lblMessage_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (entry->id == MessageKind::ConfirmRepair && !messageConfirm.empty()) {
        const int grew = ok_->SetCaption(QString::fromStdString(messageConfirm));
        cancel_->SetLeft(cancel_->normal()->x() + grew);
    }
    if (!IsNotice(entry->id)) return;
    cancel_->SetVisible(false);
    ok_->SetLeft(Twips(kSingleOkLeft));
}

void MessageBoxDialog::OkClicked() {
    const MessageKind kind = LookUpMessageKind(messageKind);
    if (IsQuestion(kind)) {
        messageKind.clear();
        messageKind = "YES";
        accept();
    } else if (IsNotice(kind)) {
        accept();
    }
}

void MessageBoxDialog::CancelClicked() {
    if (!IsQuestion(LookUpMessageKind(messageKind))) return;
    messageKind.clear();
    messageKind = "NO";
    reject();
}

void ShowNotice(std::string_view text) {
    messageText = std::string(text);
    AskMessage("NOT REPAIRED");
    messageText.clear();
}

Answer AskRepair(std::string_view question, std::string_view confirm) {
    messageText = std::string(question);
    messageConfirm = std::string(confirm);
    const Answer answer = Ask(MessageKind::ConfirmRepair);
    messageText.clear();
    messageConfirm.clear();
    return answer;
}

Answer AskRestore(std::string_view question) {
    messageText = std::string(question);
    const Answer answer = Ask(MessageKind::RestoreBackup);
    messageText.clear();
    return answer;
}

void MessageBoxDialog::ResetHoverLooks() {
    const MessageKind kind = LookUpMessageKind(messageKind);
    if (kind == MessageKind::Other) return;
    ok_->Reset();
    if (IsQuestion(kind)) cancel_->Reset();
}

std::string_view KindText(MessageKind kind) {
    for (const KindEntry& entry : kKinds)
        if (entry.id == kind) return entry.kind;
    return {};
}

Answer Ask(MessageKind kind) {
    const std::string answer = UpperAscii(Trim(AskMessage(KindText(kind))));
    if (answer == "YES") return Answer::Yes;
    if (answer == "NO") return Answer::No;
    return Answer::None;
}

std::string AskMessage(std::string_view kind) {
    messageKind.clear();
    messageKind = std::string(kind);
    MessageBoxDialog box;
    box.exec();
    return messageKind;
}

CloseNotice::CloseNotice(SettingsStore& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    background_ =
        BuildDialogFrame(this, {LayoutId::NoticeForm, LayoutId::NoticeBackground,
                                LayoutId::NoticeHeader, LayoutId::NoticeLogo, std::nullopt, false})
            .background;
    new SkinImage(LayoutId::NoticePicture, {"skin/computer.svg"}, this);
    lblMessage_ = new SkinLabel(
        LayoutId::NoticeText,
        tr("Although you have closed the program window. Vostrel will continue to run in the task "
           "manager near to the clock for your quick reference."),
        this);
    lblMessage_->setWordWrap(true);
    chkDoNotShowInFuture_ = Place(new QCheckBox(this), LayoutId::NoticeDoNotShowBox);
    chkDoNotShowInFuture_->setAccessibleName(tr("Do not show this message in future."));
    label1_ = new SkinLabel(LayoutId::NoticeDoNotShowLabel,
                            tr("Do not show this message in future."), this);
    ok_ = new ImagePair(LayoutId::NoticeOk, this, {"skin/button.svg"}, {"skin/button_hover.svg"},
                        tr("OK"));
    // Every change of the switch is stored at once, whoever made it.
    connect(chkDoNotShowInFuture_, &QCheckBox::stateChanged, this, [this](int state) {
        settings_.Save(kNoCloseNoticeKey, state == Qt::Unchecked ? "0" : "1");
    });
    connect(label1_, &SkinLabel::clicked, this,
            [this] { chkDoNotShowInFuture_->setChecked(!chkDoNotShowInFuture_->isChecked()); });
    connect(background_, &SkinImage::mouseMoved, ok_, &ImagePair::Reset);
    connect(ok_, &ImagePair::clicked, this, &QDialog::accept);
    CentreOnScreen(this);
}

QString CloseNotice::message() const { return lblMessage_->text(); }

}  // namespace vostrel::shell
