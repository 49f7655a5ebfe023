#include <QCloseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

#include "gui/GuiHarness.h"
#include "intake/ULogoCQ.h"
#include "main/UColors.h"
#include "main/UMain.h"
#include "main/UResources.h"
#include "model/UClock.h"
#include "model/UGlobals.h"
#include "support/AnalyteBuilders.h"

namespace tervanix {
namespace {

using test::MakeRun;

// A main window of a program started by a client (or by the operator), on a folder of its own.
class ServerWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        savedSettings_ = Settings;
        savedProgramDir_ = ProgramDir;
        savedEmbedded_ = Embedded;
        SetProgramDir(folder_.path().toStdString());
        Analytes.FreeAll();
        Materials.Clear();
        Queue.Clear();
        Settings = DefaultSettings();
        Settings.ShowAboutAtStart = false;
        Settings.LastBackup = Today();
    }
    void TearDown() override {
        window_.reset();
        Queue.Clear();
        Settings = savedSettings_;
        SetProgramDir(savedProgramDir_);
        Embedded = savedEmbedded_;
    }
    TWinMain& Make(bool embedded) {
        Embedded = embedded;
        window_ = std::make_unique<TWinMain>();
        window_->SetScreenChecks(false);
        return *window_;
    }

    QTemporaryDir folder_;
    TSettings savedSettings_;
    std::string savedProgramDir_;
    bool savedEmbedded_ = false;
    test::TScriptedMessages messages_;
    std::unique_ptr<TWinMain> window_;
};

TEST_F(ServerWindowTest, EmbeddedWindowHidesInsteadOfClosingAndAsksNothing) {
    TWinMain& window = Make(true);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tervanix server"));
    EXPECT_FALSE(window.isVisible()); // nothing shows until a client or the icon asks

    test::ShowActive(&window);
    EXPECT_FALSE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(messages_.Recorded().empty());

    test::ShowActive(&window);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(ServerWindowTest, EscapeDoesNotHideTheOperatorsWindow) {
    TWinMain& window = Make(false);
    test::ShowActive(&window);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.TrayIconName().isEmpty());
}

TEST_F(ServerWindowTest, ClientsShowRestoreAndHideTheWindow) {
    TWinMain& window = Make(true);
    IServerHost& host = window;
    host.ShowMain();
    EXPECT_TRUE(window.isVisible());
    host.HideMain();
    EXPECT_FALSE(window.isVisible());
    window.showMinimized();
    host.ShowMain();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());

    Queue.Push(MakeRun(45366, {1.0f}));
    host.QueueChanged();
    EXPECT_EQ(window.BtFifo()->text(), QStringLiteral("&Queue : 1"));
}

TEST_F(ServerWindowTest, TheOperatorTakesOverAProgramStartedByAClient) {
    TWinMain& window = Make(true);
    window.BecomeUserProgram();
    EXPECT_FALSE(Embedded);
    EXPECT_EQ(window.TrayIconName(), QString());
    EXPECT_EQ(window.TrayIcon(), nullptr);
    test::ShowActive(&window);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible()); // Escape no longer hides it
    messages_.Answer(TMsgButton::OK);
    EXPECT_TRUE(window.close()); // closing ends it, after the confirmation
    ASSERT_EQ(messages_.Recorded().size(), 1u);
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("Exit Tervanix"));
}

TEST_F(ServerWindowTest, NotificationIconBlinksWithTheQueueIndicator) {
    TWinMain& window = Make(true);
    EXPECT_EQ(window.TrayIconName(), QStringLiteral("TRAYICON1"));
    Queue.Push(MakeRun(45366, {1.0f}));
    window.QueueChanged();
    ASSERT_TRUE(window.TimerBtFifo()->isActive());
    // Each tick swaps the circle; the icon follows the red state.
    for (int tick = 0; tick < 3; ++tick) {
        const QColor before = window.ShapeFifo()->Colour();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.ShapeFifo()->Colour() != before; }, 30000));
        const bool red = window.ShapeFifo()->Colour() == clRed;
        EXPECT_EQ(window.TrayIconName(), red ? QStringLiteral("TRAYICON2") : QStringLiteral("TRAYICON1"));
    }
    Queue.Clear();
    window.QueueChanged();
    EXPECT_FALSE(window.TimerBtFifo()->isActive());
    EXPECT_EQ(window.ShapeFifo()->Colour(), clLime);
    EXPECT_EQ(window.TrayIconName(), QStringLiteral("TRAYICON1"));
}

TEST_F(ServerWindowTest, EveryQueueChangeOfTheWindowIsSignalledForTheQueueFile) {
    TWinMain& window = Make(false);
    QSignalSpy edited(&Laboratory(), &TLaboratory::QueueChanged);
    window.ClearQueue(); // empty: nothing changes
    EXPECT_EQ(edited.count(), 0);
    Queue.Push(MakeRun(45366, {1.0f}));
    Queue.Push(MakeRun(45367, {2.0f}));
    window.ClearQueue();
    EXPECT_EQ(Queue.Count(), 0);
    EXPECT_GE(edited.count(), 1);

    // A recalled run for a new analyte, cancelled at validation, goes back: both steps are told.
    window.SetValidation([](TAnalyte&, TResu&) { return false; });
    Queue.Push(MakeRun(45366, {1.0f}));
    edited.clear();
    window.RecallQueuedRun();
    EXPECT_EQ(Queue.Count(), 1);
    EXPECT_GE(edited.count(), 2);
}

TEST_F(ServerWindowTest, SplashIsReleasedWhenTheWindowFirstShows) {
    TWinMain& window = Make(false);
    auto splash = std::make_unique<TWinLogoCQ>();
    EXPECT_EQ(splash->size(), QSize(427, 384));
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    const long long start = TickCount();
    splash->ShowFor(150);
    EXPECT_GE(TickCount() - start, 150);
    EXPECT_TRUE(splash->isVisible());

    window.AdoptSplash(std::move(splash));
    EXPECT_TRUE(window.HoldsSplash());
    test::ShowActive(&window);
    EXPECT_FALSE(window.HoldsSplash());
}

TEST(ServerResources, IconsAndCursorsArePresent) {
    EXPECT_TRUE(LoadResources().isEmpty());
    for (const char* name : {"TRAYICON1", "TRAYICON2"}) {
        const QIcon icon = ResourceIcon(QLatin1String(name));
        EXPECT_EQ(icon.availableSizes(), QList<QSize>{QSize(16, 16)}) << name;
    }
    const QImage one = ResourceIcon(QStringLiteral("TRAYICON1")).pixmap(16, 16).toImage();
    const QImage two = ResourceIcon(QStringLiteral("TRAYICON2")).pixmap(16, 16).toImage();
    EXPECT_NE(one, two); // the blinking state must be seen
    for (const char* name : {"CURSDRAGLOT", "CURSNODROPLOT"}) {
        const QCursor cursor = ResourceCursor(QLatin1String(name));
        EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32)) << name;
        EXPECT_EQ(cursor.hotSpot(), QPoint(0, 0)) << name;
    }
}

} // namespace
} // namespace tervanix
