#include <QAbstractButton>
#include <QMessageBox>
#include <gtest/gtest.h>

#include "gui/GuiHarness.h"
#include "main/UMessages.h"

namespace tervanix {
namespace {

using test::TScriptedMessages;

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
