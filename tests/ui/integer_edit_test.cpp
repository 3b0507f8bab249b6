#include "ui/integer_edit.h"

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include "tests/ui/ui_test_support.h"

namespace vantrel {
namespace {

using testing::ServiceRecorder;

TEST(IntegerRangeMessage, IsBuiltWithRightAlignedLimits) {
    const struct {
        std::int32_t Min, Max;
        const char* Expected;
    } cases[] = {
        {0, 9000000,
         "Input value must be integer in range:\n\nMinimum:            0\nMaximum:     9000000\n"},
        {1, 30000,
         "Input value must be integer in range:\n\nMinimum:            1\nMaximum:       30000\n"},
        {-10000000, 10000000,
         "Input value must be integer in range:\n\nMinimum:    -10000000\nMaximum:    10000000\n"},
        {INT32_MIN, INT32_MAX,
         "Input value must be integer in range:\n\nMinimum:  -2147483648\nMaximum:  2147483647\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IntegerRangeMessage(c.Min, c.Max).toStdString(), c.Expected) << c.Min << ".." << c.Max;
}

TEST(ParseInteger32, AcceptsOnlyAWholeThirtyTwoBitInteger) {
    const struct {
        const char* Text;
        std::optional<std::int32_t> Value;
    } cases[] = {
        {"500", 500},
        {" 42 ", 42},
        {"+7", 7},
        {"-10000000", -10000000},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"007", 7},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"0x10", std::nullopt},
        {"1.0", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseInteger32(QString::fromLatin1(c.Text)), c.Value) << c.Text;
}

// A window with the field under test and a second control to move to.
struct FieldWindow {
    explicit FieldWindow(std::int32_t minValue, std::int32_t maxValue) {
        auto* layout = new QVBoxLayout(&Window);
        Field = new TIntegerEdit(minValue, maxValue, &Window);
        Next = new QLineEdit(&Window);
        layout->addWidget(Field);
        layout->addWidget(Next);
        Field->SetServices(Recorder.Services());
        Window.show();
        Window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Window));
        Field->setFocus();
    }
    QWidget Window;
    TIntegerEdit* Field = nullptr;
    QLineEdit* Next = nullptr;
    ServiceRecorder Recorder;
};

// Leaving the field: a text out of range beeps, shows the range box and keeps
// the focus and the text; an accepted one lets the focus go.
TEST(TIntegerEdit, LeavingTheFieldChecksItsText) {
    const struct {
        std::int32_t Min, Max;
        const char* Text;
        std::optional<std::int32_t> Value;  // nullopt: rejected
    } cases[] = {
        {0, 9000000, "9000001", std::nullopt},
        {0, 9000000, "", std::nullopt},
        {-10000000, 10000000, "-10000001", std::nullopt},
        {1, 30000, "0", std::nullopt},
        {1, 30000, "abc", std::nullopt},
        {0, 9000000, "9000000", 9000000},
        {0, 9000000, "0", 0},
        {-10000000, 10000000, "-10000000", -10000000},
        {1, 30000, " 12 ", 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        FieldWindow w(c.Min, c.Max);
        w.Field->setText(QString::fromLatin1(c.Text));
        QTest::keyClick(w.Field, Qt::Key_Tab);
        QApplication::processEvents();
        if (c.Value) {
            EXPECT_EQ(w.Recorder.Beeps, 0);
            EXPECT_TRUE(w.Recorder.Messages.empty());
            EXPECT_EQ(QApplication::focusWidget(), w.Next);
            EXPECT_EQ(w.Field->Value(), *c.Value);
            continue;
        }
        EXPECT_EQ(w.Recorder.Beeps, 1);
        ASSERT_EQ(w.Recorder.Messages.size(), 1u);
        EXPECT_EQ(w.Recorder.Messages[0].first, MessageKind::Error);
        EXPECT_EQ(w.Recorder.Messages[0].second, IntegerRangeMessage(c.Min, c.Max));
        EXPECT_EQ(QApplication::focusWidget(), w.Field);
        EXPECT_EQ(w.Field->text(), QString::fromLatin1(c.Text));
    }
}

TEST(TIntegerEdit, CheckValueRejectsWithoutAFocusChange) {
    FieldWindow w(0, 9000000);
    w.Field->setText(QStringLiteral("9000001"));
    w.Next->setFocus();
    QApplication::processEvents();
    w.Recorder = ServiceRecorder{};
    w.Field->SetServices(w.Recorder.Services());
    EXPECT_FALSE(w.Field->CheckValue());
    EXPECT_EQ(w.Recorder.Beeps, 1);
    EXPECT_EQ(QApplication::focusWidget(), w.Field);
    w.Field->setText(QStringLiteral("17"));
    EXPECT_TRUE(w.Field->CheckValue());
    EXPECT_EQ(w.Recorder.Beeps, 1);
}

}  // namespace
}  // namespace vantrel
