// The message box by kind: messages, buttons and their places, answers;
// the close notice and its switch; hover looks and dragging of the skin.
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QTest>

#include "gui_fixture.h"
#include "shell/message_box.h"
#include "shell/skin.h"

namespace vostrel::shell::testing {
namespace {

class MessageBoxTest : public GuiTest {};

struct QuestionCase {
    const char* kind;
    const char* message;
};

TEST_F(MessageBoxTest, QuestionsShowTheirMessageAndAnswerYesOrNo) {
    const QuestionCase cases[] = {
        {"CLOSE CONFERMATION", "Are you sure you want close Vostrel?"},
        {"CANCEL SCANNING", "Are you sure you want to stop the scanning ?"},
        {"DELETE BACKUP FILE", "Are you sure you want delete the selected file ?"},
    };
    for (const auto& c : cases) {
        for (bool ok : {true, false}) {
            QString shown;
            AnswerMessageBox(ok, &shown);
            const std::string answer = AskMessage(c.kind);
            EXPECT_EQ(shown.toStdString(), c.message) << c.kind;
            EXPECT_EQ(answer, ok ? "YES" : "NO") << c.kind;
            EXPECT_EQ(messageKind, answer);
        }
    }
}

TEST_F(MessageBoxTest, RepairedNoticeIsMatchedWithoutCaseAndShowsOneCentredOk) {
    messageKind = "  files repaired ";
    MessageBoxDialog box;
    box.show();
    EXPECT_EQ(box.message().toStdString(), " All Problems were repaired sucessfully !");
    EXPECT_EQ(box.okButton()->normal()->x(), Twips(2565));
    EXPECT_EQ(box.okButton()->hover()->x(), Twips(2565));
    EXPECT_TRUE(box.cancelButton()->normal()->isHidden());
    EXPECT_TRUE(box.cancelButton()->hover()->isHidden());
    // OK closes and leaves the kind as it was.
    ClickPair(&box, "ImgOKNormal");
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(messageKind, "  files repaired ");
}

TEST_F(MessageBoxTest, AQuestionAfterTheNoticeHasBothButtonsAtTheirDesignPlaces) {
    AnswerMessageBox(true);
    AskMessage("FILES REPAIRED");
    messageKind = "CANCEL SCANNING";
    MessageBoxDialog box;
    box.show();
    EXPECT_FALSE(box.cancelButton()->normal()->isHidden());
    EXPECT_EQ(box.okButton()->normal()->x(), Twips(1560));
    EXPECT_EQ(box.cancelButton()->normal()->x(), Twips(3570));
}

TEST_F(MessageBoxTest, ClosedByOtherMeansLeavesTheKindWhichCountsAsNo) {
    OnNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    const std::string answer = AskMessage("CANCEL SCANNING");
    EXPECT_EQ(answer, "CANCEL SCANNING");
    EXPECT_FALSE(AnsweredYes(answer));
    EXPECT_TRUE(AnsweredYes("  yes "));
    EXPECT_FALSE(AnsweredYes("NO"));
}

TEST_F(MessageBoxTest, AnUnknownKindLeavesTheDesignAndItsButtonsDoNothing) {
    messageKind = "SOMETHING ELSE";
    MessageBoxDialog box;
    box.show();
    EXPECT_EQ(box.message(), QString(60, '#'));
    box.OkClicked();
    box.CancelClicked();
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(messageKind, "SOMETHING ELSE");
    // The background changes nothing for a kind outside the table.
    box.okButton()->ShowHover();
    box.ResetHoverLooks();
    EXPECT_TRUE(box.okButton()->hovered());
}

TEST_F(MessageBoxTest, HoverShowsTheHoverImageUntilTheBackgroundResetsIt) {
    messageKind = "FILES REPAIRED";
    MessageBoxDialog box;
    box.show();
    QTest::mouseMove(box.okButton()->normal(), QPoint(5, 5));
    EXPECT_TRUE(box.okButton()->hovered());
    EXPECT_TRUE(box.okButton()->normal()->isHidden());
    QTest::mouseMove(box.background(), QPoint(3, box.height() - 3));
    EXPECT_FALSE(box.okButton()->hovered());
    // The notice's reset never brings the hidden Cancel back.
    EXPECT_TRUE(box.cancelButton()->normal()->isHidden());
}

TEST_F(MessageBoxTest, ButtonsReactToTheKeyboard) {
    AppContext& app = App();
    (void)app;
    OnNextModal([](QWidget* modal) {
        auto* box = qobject_cast<MessageBoxDialog*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->cancelButton()->normal()->accessibleName(), "Cancel");
        box->cancelButton()->normal()->setFocus();
        QTest::keyClick(box->cancelButton()->normal(), Qt::Key_Space);
    });
    EXPECT_EQ(AskMessage("DELETE BACKUP FILE"), "NO");
    OnNextModal([](QWidget* modal) {
        auto* box = qobject_cast<MessageBoxDialog*>(modal);
        ASSERT_NE(box, nullptr);
        box->okButton()->normal()->setFocus();
        QTest::keyClick(box->okButton()->normal(), Qt::Key_Return);
    });
    EXPECT_EQ(AskMessage("DELETE BACKUP FILE"), "YES");
}

TEST_F(MessageBoxTest, DraggingTheHeaderOrTheLogoMovesTheWindowAndNothingElseDoes) {
    messageKind = "CANCEL SCANNING";
    MessageBoxDialog box;
    box.move(100, 100);
    box.show();
    auto* strip = box.findChild<SkinImage*>("ImgFormMove");
    auto* logo = box.findChild<SkinImage*>("ImgToolBarQuendaro");
    ASSERT_TRUE(strip && logo);
    // A movement without a press first does not move the window.
    emit strip->mouseMoved(QPoint(40, 10));
    EXPECT_EQ(box.pos(), QPoint(100, 100));
    emit strip->pressed(QPoint(20, 10));
    emit strip->mouseMoved(QPoint(50, 25));
    EXPECT_EQ(box.pos(), QPoint(130, 115));
    emit strip->released(QPoint(50, 25));
    emit strip->mouseMoved(QPoint(80, 25));
    EXPECT_EQ(box.pos(), QPoint(130, 115));
    emit logo->pressed(QPoint(10, 10));
    emit logo->mouseMoved(QPoint(5, 30));
    EXPECT_EQ(box.pos(), QPoint(125, 135));
    emit logo->released(QPoint(5, 30));
    emit logo->mouseMoved(QPoint(50, 50));
    EXPECT_EQ(box.pos(), QPoint(125, 135));
}

TEST_F(MessageBoxTest, TheNoticeSwitchIsStoredAtOnce) {
    AppContext& app = App();
    CloseNotice notice(*app.settings);
    notice.show();
    EXPECT_EQ(notice.message().toStdString(),
              "Although you have closed the program window. Vostrel will continue to run in the "
              "task manager near to the clock for your quick reference.");
    EXPECT_FALSE(notice.doNotShow()->isChecked());
    QTest::mouseClick(notice.doNotShow(), Qt::LeftButton);
    EXPECT_EQ(Setting("chkDoNotShowInFuture"), "1");
    QTest::mouseClick(notice.doNotShow(), Qt::LeftButton);
    EXPECT_EQ(Setting("chkDoNotShowInFuture"), "0");
    // The caption toggles the switch; twice leaves it as it was.
    QTest::mouseClick(notice.label1(), Qt::LeftButton);
    EXPECT_TRUE(notice.doNotShow()->isChecked());
    EXPECT_EQ(Setting("chkDoNotShowInFuture"), "1");
    QTest::mouseClick(notice.label1(), Qt::LeftButton);
    EXPECT_FALSE(notice.doNotShow()->isChecked());
    EXPECT_EQ(Setting("chkDoNotShowInFuture"), "0");
    ClickPair(&notice, "ImgOKNormal");
    EXPECT_FALSE(notice.isVisible());
}

TEST_F(MessageBoxTest, ALongTextWrapsAndTheBoxGrowsUntilAllOfItShows) {
    // The warning a repair gives while Wine runs the prefix: long, with a
    // command line the user has to be able to read to the end.
    const std::string prefix = "/home/annemarie-longname/.local/share/wineprefixes/office-2003";
    const std::string warning =
        "Nothing was repaired: Wine is running on the prefix " + prefix +
        " (wineserver process 48211) and keeps its own copy of the registry, which would undo "
        "the changes. Stop it with \"WINEPREFIX='" +
        prefix + "' wineserver -k\", or wait for it to end with \"WINEPREFIX='" + prefix +
        "' wineserver -w\", then try again.";
    const QSize designed = TwipsRect(0, 0, 6720, 1785).size();
    for (const std::string& text : {std::string("Short."), warning}) {
        messageText = text;
        messageKind = "NOT REPAIRED";
        MessageBoxDialog box;
        box.show();
        auto* label = box.findChild<QLabel*>("lblMessage");
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(box.message().toStdString(), text);
        // Every line of the text fits the label, and the label the box.
        EXPECT_LE(label->heightForWidth(label->width()), label->height()) << text;
        EXPECT_TRUE(box.rect().contains(label->geometry())) << text;
        const QFontMetrics metrics(label->font());
        for (const QString& word : box.message().split(' '))
            EXPECT_LE(metrics.horizontalAdvance(word), label->width()) << word.toStdString();
        // The OK button stays below the text, inside the box, and centred.
        QWidget* ok = box.okButton()->normal();
        EXPECT_GE(ok->y(), label->geometry().bottom()) << text;
        EXPECT_TRUE(box.rect().contains(ok->geometry())) << text;
        EXPECT_NEAR(ok->geometry().center().x(), box.width() / 2, 2) << text;
        if (text == "Short.") {
            EXPECT_EQ(box.size(), designed);
            EXPECT_EQ(ok->x(), Twips(2565));
        } else {
            EXPECT_GT(box.height(), designed.height());
        }
        ClickPair(&box, "ImgOKNormal");
        EXPECT_FALSE(box.isVisible());
    }
    messageText.clear();
}

}  // namespace
}  // namespace vostrel::shell::testing
