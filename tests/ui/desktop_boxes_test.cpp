// The real boxes and windows behind the main window's services: question
// boxes with their buttons and placement, the expression-error window and
// the help browser.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include "ui/expression_error.h"
#include "ui/help_browser.h"
#include "ui/main_form.h"

namespace vantrel {
namespace {

struct SeenBox {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons Buttons;
    QMessageBox::StandardButton Default = QMessageBox::NoButton;
    QPoint Position;
    QPoint Centre;  // of the frame
};

// Opens the box through AskQuestionBox, looks at it once it is up, and
// presses answer.
bool AskAndPress(QuestionBox kind, const QString& text, QMessageBox::StandardButton answer, SeenBox& seen,
                 QWidget* parent = nullptr) {
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            ADD_FAILURE() << "no box";
            return;
        }
        seen.Title = box->windowTitle();
        seen.Text = box->text();
        seen.Icon = box->icon();
        seen.Buttons = box->standardButtons();
        seen.Default = box->standardButton(box->defaultButton());
        seen.Position = box->pos();
        seen.Centre = box->frameGeometry().center();
        box->button(answer)->click();
    });
    return AskQuestionBox(parent, kind, text);
}

TEST(QuestionBoxes, EachKindHasItsButtonsIconAndAnswer) {
    const struct {
        QuestionBox Kind;
        QMessageBox::Icon Icon;
        const char* Title;
        QMessageBox::StandardButton Yes;
        QMessageBox::StandardButton No;
    } kinds[] = {
        {QuestionBox::Confirmation, QMessageBox::Question, "Confirm", QMessageBox::Yes, QMessageBox::No},
        {QuestionBox::Warning, QMessageBox::Warning, "Warning", QMessageBox::Yes, QMessageBox::No},
        {QuestionBox::ConfirmationTopLeft, QMessageBox::Question, "Confirm", QMessageBox::Yes, QMessageBox::No},
        {QuestionBox::OkCancel, QMessageBox::Question, "Confirm", QMessageBox::Ok, QMessageBox::Cancel},
    };
    for (const auto& k : kinds) {
        SeenBox seen;
        EXPECT_TRUE(AskAndPress(k.Kind, "Go on?", k.Yes, seen)) << k.Title;
        EXPECT_EQ(seen.Title, k.Title);
        EXPECT_EQ(seen.Text, "Go on?");
        EXPECT_EQ(seen.Icon, k.Icon);
        EXPECT_EQ(seen.Buttons, k.Yes | k.No);
        EXPECT_EQ(seen.Default, k.Yes);
        EXPECT_FALSE(AskAndPress(k.Kind, "Go on?", k.No, seen)) << k.Title;
    }
}

TEST(QuestionBoxes, EveryQuestionStandsCentredOnTheWindowThatAsks) {
    QWidget window;
    window.setGeometry(60, 40, 700, 500);
    window.show();
    for (QuestionBox kind : {QuestionBox::ConfirmationTopLeft, QuestionBox::Confirmation, QuestionBox::Warning}) {
        SeenBox seen;
        AskAndPress(kind, "Proceed with simulation now?", QMessageBox::Yes, seen, &window);
        EXPECT_LE((seen.Centre - window.frameGeometry().center()).manhattanLength(), 2) << static_cast<int>(kind);
    }
}

TEST(QuestionBoxes, CarriageReturnsBecomeLineBreaks) {
    EXPECT_EQ(BoxText("a\rb\r\nc\nd"), "a\nb\nc\nd");
    EXPECT_EQ(BoxText("\xC3\x85ngstr\xC3\xB6m"), QString::fromUtf8("\xC3\x85ngstr\xC3\xB6m"));
}

TEST(ExpressionErrorWindow, ShowsTheMessageInCourierNewWithItsLayout) {
    const QString message = "Error type: syntax error\nVX > * 2\n     ^\n(near char. #6).";
    ExpressionErrorWindow window(message);
    EXPECT_EQ(window.windowTitle(), "Error parsing expression");
    EXPECT_EQ(window.font().family(), "Courier New");
    EXPECT_EQ(window.Message->text(), message);
    EXPECT_EQ(window.OkButton->text(), "OK");
    EXPECT_TRUE(window.OkButton->isDefault());

    const QFontMetrics metrics(window.font());
    const double unitX = metrics.averageCharWidth() / 4.0;
    const double unitY = metrics.height() / 8.0;
    EXPECT_EQ(window.width(), 500);
    EXPECT_NEAR(window.height(), 63 * unitY, 1.0);
    EXPECT_NEAR(window.Message->x(), 8 * unitX, 1.0);
    EXPECT_NEAR(window.Message->y(), 8 * unitY, 1.0);
    EXPECT_EQ(window.OkButton->x(), 400);
    EXPECT_NEAR(window.OkButton->y(), 41 * unitY, 1.0);
    EXPECT_NEAR(window.OkButton->width(), 50 * unitX, 1.0);
    EXPECT_NEAR(window.OkButton->height(), 14 * unitY, 1.0);
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "fixed size";

    QTimer::singleShot(0, [] {
        if (auto* shown = qobject_cast<ExpressionErrorWindow*>(QApplication::activeModalWidget()))
            shown->OkButton->click();
    });
    EXPECT_EQ(window.exec(), QDialog::Accepted);
}

TEST(ExpressionErrorWindow, AMessageWiderThanTheWindowWidensIt) {
    const QString wide = "Error type: syntax error\n" + QString(100, QLatin1Char('X')) + "\n(near char. #100).";
    ExpressionErrorWindow window(wide);
    EXPECT_GE(window.width(), window.Message->x() + window.Message->width());
    EXPECT_GT(window.width(), 500);
    EXPECT_EQ(window.width() - window.OkButton->x(), 100) << "OK keeps its distance from the right edge";
}

TEST(HelpBrowser, ShowsATopicPageByNumber) {
    HelpBrowser browser;
    ASSERT_TRUE(browser.ShowTopic(110));
    EXPECT_EQ(browser.CurrentTopic(), 110);
    EXPECT_TRUE(browser.isVisible());
    EXPECT_TRUE(browser.Browser->toPlainText().contains("Specify input files")) << browser.Browser->toPlainText().toStdString();
    ASSERT_TRUE(browser.ShowTopic(1));
    EXPECT_TRUE(browser.Browser->toPlainText().contains("Vantrel"));
    EXPECT_FALSE(browser.ShowTopic(31337));
    EXPECT_EQ(browser.CurrentTopic(), 1);
    browser.hide();
}

}  // namespace
}  // namespace vantrel
