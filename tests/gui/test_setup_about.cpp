#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "dialogs/UAbout.h"
#include "dialogs/USetUp.h"
#include "gui/GuiHarness.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

using test::Click;
using test::TScriptedMessages;

QString Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class Shortcuts : public testing::Test {
protected:
    TShortcutPlaces Places() const {
        return {dir_.path() + QStringLiteral("/Desktop"), dir_.path() + QStringLiteral("/applications"),
                dir_.path() + QStringLiteral("/QC lab/Tervanix"), dir_.path() + QStringLiteral("/QC lab"),
                dir_.path() + QStringLiteral("/icons")};
    }
    QString MenuEntry(const char* name) const {
        return dir_.path() + QStringLiteral("/applications/Laboratory QC/") + QLatin1String(name);
    }
    QTemporaryDir dir_;
};

TEST_F(Shortcuts, DesktopLauncherAndMenuFolderWithTheirTargets) {
    ASSERT_TRUE(CreateShortcuts(Places(), true, true));
    const QString quotedProgram = QStringLiteral("\"") + dir_.path() + QStringLiteral("/QC lab/Tervanix\"");
    const QString desktop = Read(dir_.path() + QStringLiteral("/Desktop/Tervanix.desktop"));
    EXPECT_TRUE(desktop.startsWith(QStringLiteral("[Desktop Entry]\nType=Application\n"))) << desktop.toStdString();
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nName=Tervanix\n")));
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nExec=") + quotedProgram + u'\n'));
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nPath=") + dir_.path() + QStringLiteral("/QC lab\n")));
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nIcon=tervanix\nCategories=Science;MedicalSoftware;Qt;\n")));
    EXPECT_TRUE(QFileInfo(dir_.path() + QStringLiteral("/Desktop/Tervanix.desktop")).isExecutable());
    EXPECT_TRUE(QFileInfo::exists(dir_.path() + QStringLiteral("/icons/48x48/apps/tervanix.png")));
    EXPECT_TRUE(QFileInfo::exists(dir_.path() + QStringLiteral("/icons/128x128/apps/tervanix.png")));
    EXPECT_TRUE(Read(MenuEntry("Programme Tervanix.desktop")).contains(QStringLiteral("\nName=Programme Tervanix\n")));
    // The menus show application entries only: the documents open through the desktop's opener.
    const QString manual = Read(MenuEntry("User manual.desktop"));
    EXPECT_TRUE(manual.contains(QStringLiteral("\nType=Application\n")));
    EXPECT_TRUE(manual.contains(QStringLiteral("\nExec=xdg-open \"") + dir_.path() + QStringLiteral("/QC lab/UserManual.htm\"\n")));
    EXPECT_TRUE(Read(MenuEntry("Read me.desktop")).contains(QStringLiteral("/QC lab/ReadMe.Txt\"\n")));
    // A second run overwrites.
    EXPECT_TRUE(CreateShortcuts(Places(), true, true));
}

// The package of an installed program brings its menu entry and icon: the setup repeats neither.
TEST_F(Shortcuts, AnInstalledProgramGetsNoSecondMenuEntry) {
    TShortcutPlaces installed = Places();
    installed.Installed = true;
    ASSERT_TRUE(CreateShortcuts(installed, true, true));
    EXPECT_FALSE(QFile::exists(MenuEntry("Programme Tervanix.desktop")));
    EXPECT_TRUE(QFile::exists(MenuEntry("User manual.desktop")));
    EXPECT_TRUE(QFile::exists(dir_.path() + QStringLiteral("/Desktop/Tervanix.desktop")));
    EXPECT_FALSE(QFileInfo::exists(dir_.path() + QStringLiteral("/icons")));
}

TEST_F(Shortcuts, StopAtTheFirstFailureKeepingWhatWasMade) {
    QFile blocker(dir_.path() + QStringLiteral("/applications"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the menu folder should be
    blocker.close();
    EXPECT_FALSE(CreateShortcuts(Places(), true, true));
    EXPECT_TRUE(QFile::exists(dir_.path() + QStringLiteral("/Desktop/Tervanix.desktop")));
}

TEST_F(Shortcuts, DialogBoxesCheckedAtEveryShowAndItsMessages) {
    TScriptedMessages messages;
    TWinSetUp dialog;
    dialog.SetPlaces(Places());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quality control"));
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(dialog.CBShortCut()->text(), QStringLiteral("Create a shortcut  on the desktop for < Tervanix >."));
    dialog.show();
    EXPECT_TRUE(dialog.CBShortCut()->isChecked());
    dialog.CBShortCut()->setChecked(false);
    dialog.CBStartup()->setChecked(false);
    Click(dialog.BtOK());
    QApplication::processEvents(); // the outcome comes once the click has been answered
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Setup OK"));
    EXPECT_TRUE(QDir(dir_.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    EXPECT_FALSE(dialog.isVisible());

    dialog.show();
    EXPECT_TRUE(dialog.CBShortCut()->isChecked());
    EXPECT_TRUE(dialog.CBStartup()->isChecked());
    QFile blocker(dir_.path() + QStringLiteral("/Desktop"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Click(dialog.BtOK());
    QApplication::processEvents(); // the outcome comes once the click has been answered
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Unable to complete setup"));
    EXPECT_FALSE(QFile::exists(MenuEntry("Programme Tervanix.desktop"))); // stopped at the desktop
}

TEST(About, ScrambledLabelAndCaptions) {
    TWinAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Tervanix"));
    EXPECT_EQ(about.Label7()->text(), QStringLiteral("Tervanix QC 2026"));
    EXPECT_EQ(about.Label7()->text().size(), 16);
    EXPECT_EQ(UnscrambleText(QStringLiteral("cb")), QStringLiteral("ab"));
    EXPECT_EQ(about.LblServer()->text(), QStringLiteral("automation server"));
    EXPECT_EQ(about.CheckBoxAvertir()->text(), QStringLiteral("&Do not show this window again"));
}

TEST(About, CheckBoxClearsTheStartFlagOnlyWhenShownAtStart) {
    const std::uint8_t previous = Settings.ShowAboutAtStart;
    TWinAbout about;
    Settings.ShowAboutAtStart = 1;
    about.PrepareAtStart();
    about.show();
    EXPECT_TRUE(about.CheckBoxAvertir()->isEnabled());
    Click(about.BtOK());
    EXPECT_EQ(Settings.ShowAboutAtStart, 1); // not checked: shown again next time

    about.PrepareAtStart();
    about.show();
    about.CheckBoxAvertir()->setChecked(true);
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(Settings.ShowAboutAtStart, 0);

    Settings.ShowAboutAtStart = 1;
    about.PrepareFromMenu();
    about.show();
    EXPECT_FALSE(about.CheckBoxAvertir()->isEnabled());
    EXPECT_FALSE(about.CheckBoxAvertir()->isChecked());
    Click(about.BtOK());
    EXPECT_EQ(Settings.ShowAboutAtStart, 1);
    Settings.ShowAboutAtStart = previous;
}

} // namespace
} // namespace tervanix
