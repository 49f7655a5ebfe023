#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <functional>
#include <stdexcept>
#include <gtest/gtest.h>

#include "gui/GuiHarness.h"
#include "main/UCommandRunner.h"
#include "main/UMessages.h"
#include "model/UTypes.h"

namespace tervanix {
namespace {

using test::TScriptedMessages;

// No failure of a command reaches the event loop: a refused input says nothing more, a QC error
// shows its message, anything else is named in an error box; the program goes on.
TEST(Commands, EveryFailureBecomesItsMessage) {
    const struct {
        std::function<void()> Command;
        QString Shown; // empty: no box
    } cases[] = {
        {[] {}, QString()},
        {[] { throw EAbortSilently(); }, QString()},
        {[] { throw EQCError("Cannot save data"); }, QStringLiteral("Cannot save data")},
        {[] { throw std::runtime_error("vector::at"); }, UnexpectedFailureText("vector::at")},
        {[] { throw 42; }, UnexpectedFailureText("unknown")},
    };
    for (const auto& c : cases) {
        TScriptedMessages messages;
        RunCommand(c.Command);
        ASSERT_EQ(messages.Recorded().size(), c.Shown.isEmpty() ? 0u : 1u) << c.Shown.toStdString();
        if (!c.Shown.isEmpty()) {
            EXPECT_EQ(messages.Last().Text, c.Shown);
            EXPECT_EQ(messages.Last().Type, TMsgType::Error);
        }
    }
}

// Menu items and buttons run their command after the action has returned, through the runner too.
TEST(Commands, ACommandRunAfterTheActionIsCaughtAsWell) {
    TScriptedMessages messages;
    QObject context;
    bool ran = false;
    AfterAction(&context, [&ran] {
        ran = true;
        throw std::out_of_range("index");
    })();
    EXPECT_FALSE(ran); // not while the action is being answered
    ASSERT_TRUE(QTest::qWaitFor([&ran] { return ran; }, 30000));
    ASSERT_EQ(messages.Recorded().size(), 1u);
    EXPECT_EQ(messages.Last().Text, UnexpectedFailureText("index"));
}

TEST(Messages, ConvenienceFunctionsUseTheTypesAndButtons) {
    TScriptedMessages boxes;
    boxes.Answer(TMsgButton::OK);
    boxes.Answer(TMsgButton::OK);
    boxes.Answer(TMsgButton::Cancel);
    ShowError(QStringLiteral("No data"));
    ShowInformation(QStringLiteral("Restore OK"));
    EXPECT_FALSE(Confirm(QStringLiteral("Exit Tervanix")));
    EXPECT_TRUE(Confirm(QStringLiteral("Exit Tervanix")));
    ASSERT_EQ(boxes.Recorded().size(), 4u);
    EXPECT_EQ(boxes.Recorded()[0].Type, TMsgType::Error);
    EXPECT_EQ(boxes.Recorded()[0].Buttons, TMsgButtons::OK);
    EXPECT_EQ(boxes.Recorded()[1].Type, TMsgType::Information);
    EXPECT_EQ(boxes.Recorded()[2].Type, TMsgType::Confirmation);
    EXPECT_EQ(boxes.Recorded()[2].Buttons, TMsgButtons::OKCancel);
}

TEST(Messages, CarriageReturnsBreakLines) {
    EXPECT_EQ(MessageLines(QStringLiteral("a\rb\n\rc\r\nd")), QStringLiteral("a\nb\nc\nd"));
    EXPECT_EQ(MessageCaption(TMsgType::Error), QStringLiteral("Error"));
    EXPECT_EQ(MessageCaption(TMsgType::Information), QStringLiteral("Information"));
    EXPECT_EQ(MessageCaption(TMsgType::Confirmation), QStringLiteral("Confirm"));
}

TEST(Messages, PlatformBoxShowsCaptionLinesAndReturnsTheButton) {
    QString title, text;
    test::WhenModalOpens([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        box->button(QMessageBox::Cancel)->click();
    });
    TMessageBoxService service;
    EXPECT_EQ(service.Show(QStringLiteral("Erase?\rSure"), TMsgType::Confirmation, TMsgButtons::OKCancel),
              TMsgButton::Cancel);
    EXPECT_EQ(title, QStringLiteral("Confirm"));
    EXPECT_EQ(text, QStringLiteral("Erase?\nSure"));
}

} // namespace
} // namespace tervanix
