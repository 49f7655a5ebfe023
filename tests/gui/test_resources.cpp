#include <gtest/gtest.h>

#include "dialogs/UMotPass.h"
#include "gui/GuiHarness.h"
#include "main/UResources.h"

namespace tervanix {
namespace {

TEST(Resources, StatusMarksHaveTheirSizesAndTransparency) {
    struct Mark {
        const char* name;
        QSize size;
        bool transparent;
    };
    for (const Mark& mark : {Mark{"PUCEROUGE", {11, 11}, true}, Mark{"PUCEVERTE", {11, 11}, true},
                             Mark{"PUCEJAUNE", {11, 11}, true}, Mark{"CROIXROUGE", {12, 12}, true},
                             Mark{"COMMENT", {11, 12}, false}}) {
        const QImage image = ResourceBitmap(QString::fromLatin1(mark.name)).toImage();
        ASSERT_FALSE(image.isNull()) << mark.name;
        EXPECT_EQ(image.size(), mark.size) << mark.name;
        EXPECT_EQ(image.hasAlphaChannel(), mark.transparent) << mark.name;
    }
    const QImage red = ResourceBitmap(QStringLiteral("PUCEROUGE")).toImage();
    EXPECT_EQ(qAlpha(red.pixel(0, 0)), 0);
    EXPECT_EQ(QColor(red.pixel(5, 6)), QColor(255, 0, 0));
}

TEST(Resources, GrabbedPromptHasItsDesignSize) {
    test::TWindowFontScope font;
    TWinEntryPsw dialog;
    test::ShowActive(&dialog);
    const QImage image = test::Grab(&dialog);
    EXPECT_EQ(image.size(), QSize(257, 105));
}

} // namespace
} // namespace tervanix
