// The windows' texts go through the installed translator: the captions
// written in the windows and the texts of the message box's table, which
// are only marked where they are listed and translated when shown.
#include <QCoreApplication>
#include <QPushButton>
#include <QTranslator>

#include "gui_fixture.h"
#include "shell/main_window.h"
#include "shell/message_box.h"

namespace vostrel::shell::testing {
namespace {

// Marks every text of the given contexts; leaves all others alone.
class MarkingTranslator : public QTranslator {
public:
    explicit MarkingTranslator(QStringList contexts) : contexts_(std::move(contexts)) {}
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (!contexts_.contains(QString::fromUtf8(context))) return {};
        return "[x]" + QString::fromUtf8(source);
    }
    bool isEmpty() const override { return false; }

private:
    QStringList contexts_;
};

// Installed for one test, removed again however it ends.
class ScopedTranslator {
public:
    explicit ScopedTranslator(QTranslator& translator) : translator_(translator) {
        QCoreApplication::installTranslator(&translator_);
    }
    ~ScopedTranslator() { QCoreApplication::removeTranslator(&translator_); }

private:
    QTranslator& translator_;
};

class TranslationTest : public GuiTest {};

TEST_F(TranslationTest, CaptionsAndTableTextsGoThroughTheTranslator) {
    MarkingTranslator translator(
        {"vostrel::shell::MainWindow", "vostrel::shell::MessageBoxDialog"});
    {
        const ScopedTranslator installed(translator);
        MainWindow& main = Main();
        EXPECT_EQ(main.windowTitle(), "[x]Vostrel 2006");
        EXPECT_EQ(main.findChild<QPushButton*>("cmdShowLog")->text(), "[x]Show Log");
        QString shown;
        AnswerMessageBox(false, &shown);
        AskMessage("CANCEL SCANNING");
        EXPECT_EQ(shown, "[x]Are you sure you want to stop the scanning ?");
    }
    // Without it the English source shows again.
    EXPECT_EQ(QCoreApplication::translate("vostrel::shell::MainWindow", "Show Log"), "Show Log");
    QString shown;
    AnswerMessageBox(false, &shown);
    AskMessage("CANCEL SCANNING");
    EXPECT_EQ(shown, "Are you sure you want to stop the scanning ?");
}

}  // namespace
}  // namespace vostrel::shell::testing
