#include <QLineEdit>
#include <gtest/gtest.h>

#include "gui/GuiHarness.h"
#include "main/UReaders.h"

namespace tervanix {
namespace {

using test::TLocaleScope;
using test::TScriptedMessages;

class Readers : public ::testing::Test {
protected:
    void SetUp() override {
        test::ShowActive(&window_);
        edit_ = new QLineEdit(&window_);
        other_ = new QLineEdit(&window_);
        edit_->show();
        other_->show();
        other_->setFocus();
    }
    // Types the text and reads it with the reader; checks the refusal leaves the edit as it must.
    template <typename Read> std::string Refusal(const QString& typed, Read read) {
        edit_->setText(typed);
        other_->setFocus();
        EXPECT_THROW(read(edit_), EAbortSilently) << typed.toStdString();
        EXPECT_EQ(edit_->text(), typed);
        EXPECT_EQ(edit_->selectedText(), typed);
        EXPECT_TRUE(edit_->hasFocus());
        if (boxes_.Recorded().empty())
            return "(no message)";
        EXPECT_EQ(boxes_.Last().Type, TMsgType::Error);
        EXPECT_EQ(boxes_.Last().Buttons, TMsgButtons::OK);
        return boxes_.Last().Text.toStdString();
    }

    TScriptedMessages boxes_;
    QWidget window_;
    QLineEdit* edit_ = nullptr;
    QLineEdit* other_ = nullptr;
};

auto Level = [](QLineEdit* e) { return ReadLevelResult(e); };
auto Positive = [](QLineEdit* e) { return ReadExtendedField(e, true); };
auto AnySign = [](QLineEdit* e) { return ReadExtendedField(e, false); };
auto Between = [](int min, int max) { return [=](QLineEdit* e) { return ReadIntegerField(e, min, max); }; };

TEST_F(Readers, CommaAndPointReadTheSameWhateverTheSystemUses) {
    for (char separator : {'.', ','}) {
        TLocaleScope locale(separator);
        for (const char* typed : {" 4,25 ", "4.25"}) {
            edit_->setText(QString::fromLatin1(typed));
            EXPECT_EQ(ReadExtendedField(edit_, true), 4.25L);
            EXPECT_EQ(edit_->text(), separator == '.' ? QStringLiteral("4.25") : QStringLiteral("4,25"));
            edit_->setText(QString::fromLatin1(typed));
            const TLevelResult level = ReadLevelResult(edit_);
            EXPECT_EQ(level.Value, 4.25f);
            EXPECT_EQ(level.Status, qsInControl);
            EXPECT_EQ(edit_->text(), QString::fromLatin1(typed)); // left as typed
        }
    }
    EXPECT_TRUE(boxes_.Recorded().empty());
}

TEST_F(Readers, EmptyLevelMeansNoValueButEmptyFixIsAnError) {
    edit_->setText(QStringLiteral("   "));
    const TLevelResult level = ReadLevelResult(edit_);
    EXPECT_EQ(level.Status, qsNoValue);
    EXPECT_EQ(level.Value, 0.0f);
    EXPECT_TRUE(boxes_.Recorded().empty());
    EXPECT_EQ(Refusal(QString(), Positive), "'' is not a valid floating point value");
}

TEST_F(Readers, UnreadableAndUnstorableNumbersAreRefused) {
    TLocaleScope locale('.');
    EXPECT_EQ(Refusal(QStringLiteral("abc"), Level), "Incorrect floating number");
    EXPECT_EQ(Refusal(QStringLiteral("1,000.5"), Level), "Incorrect floating number");
    // Beyond the results' range the statistics could not be computed.
    EXPECT_EQ(Refusal(QStringLiteral("-1e39"), Level),
              "-1e39 is too large: results go up to 1e20 in size, beyond which the statistics cannot be computed");
    EXPECT_EQ(Refusal(QStringLiteral("inf"), Level), "Incorrect floating number");
    EXPECT_EQ(Refusal(QStringLiteral("1e5000"), AnySign), "'1e5000' is not a valid floating point value");
    EXPECT_EQ(Refusal(QStringLiteral("nan"), AnySign), "'nan' is not a valid floating point value");
    // The message quotes the text after trimming and separator normalisation.
    EXPECT_EQ(Refusal(QStringLiteral(" 4,2x "), AnySign), "'4.2x' is not a valid floating point value");
    // Beyond 1e20 in size the statistics could not be computed.
    EXPECT_EQ(Refusal(QStringLiteral("3e38"), Level),
              "3e38 is too large: results go up to 1e20 in size, beyond which the statistics cannot be computed");
    edit_->setText(QStringLiteral("-1e20"));
    EXPECT_EQ(ReadLevelResult(edit_).Value, -1e20f);
}

TEST_F(Readers, MinusZeroIsNotNegativeButMinusOneTenthIs) {
    TLocaleScope locale('.');
    edit_->setText(QStringLiteral("-0"));
    EXPECT_EQ(ReadExtendedField(edit_, true), 0.0L);
    EXPECT_EQ(Refusal(QStringLiteral("-0,1"), Positive), "-0.1 is a negative value (not allowed)");
    edit_->setText(QStringLiteral("-0,1"));
    EXPECT_EQ(ReadExtendedField(edit_, false), -0.1L);
}

TEST_F(Readers, IntegerBoundsAreInclusiveAndMaximumIsTestedFirst) {
    for (const char* typed : {"5", " 40 "}) {
        edit_->setText(QString::fromLatin1(typed));
        EXPECT_EQ(ReadIntegerField(edit_, 5, 40), QString::fromLatin1(typed).trimmed().toInt());
        EXPECT_EQ(edit_->text(), QString::fromLatin1(typed).trimmed());
    }
    EXPECT_EQ(Refusal(QStringLiteral("41"), Between(5, 40)), "41 is too high\n\rMaximum allowed = 40");
    EXPECT_EQ(Refusal(QStringLiteral("4"), Between(5, 40)), "4 is too low\n\rMinimum allowed = 5");
    EXPECT_EQ(Refusal(QStringLiteral("7"), Between(10, 5)), "7 is too high\n\rMaximum allowed = 5");
    EXPECT_EQ(Refusal(QStringLiteral("-3"), Between(0, 10)), "-3 is too low\n\rMinimum allowed = 0");
}

TEST_F(Readers, IntegersMustBeWholeAndFitThirtyTwoBits) {
    for (const char* typed : {"12a", "4.5", "2147483648", ""})
        EXPECT_EQ(Refusal(QString::fromLatin1(typed), Between(0, 10)),
                  std::string("'").append(typed).append("' is not a valid integer value"));
    edit_->setText(QStringLiteral("-2147483648"));
    EXPECT_EQ(ReadIntegerField(edit_, INT32_MIN, INT32_MAX), INT32_MIN);
}

} // namespace
} // namespace tervanix
