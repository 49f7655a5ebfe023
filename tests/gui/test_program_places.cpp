#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "gui/GuiHarness.h"
#include "intake/UProgramPlaces.h"
#include "support/SmallDisks.h"

namespace tervanix {
namespace {

void Touch(const QString& path, const QByteArray& content = {}) {
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A portable copy (or the build folder) keeps everything beside its executable; an installed
// program keeps the user's files in the user's data folder and its documents in its share folder.
TEST(ProgramPlaces, PortableCopyAndInstalledProgram) {
    QTemporaryDir root;
    const QString home = root.path() + QStringLiteral("/home/.local/share");

    const QString portable = root.path() + QStringLiteral("/QC lab");
    Touch(portable + QStringLiteral("/UserManual.htm"));
    EXPECT_EQ(DataFolderFor(portable, home), portable);
    EXPECT_EQ(DocumentsFolderFor(portable), portable);

    const QString bin = root.path() + QStringLiteral("/usr/bin");
    QDir().mkpath(bin);
    Touch(root.path() + QStringLiteral("/usr/share/tervanix/UserManual.htm"));
    EXPECT_EQ(DataFolderFor(bin, home), home + QStringLiteral("/Tervanix"));
    EXPECT_TRUE(QFileInfo(home + QStringLiteral("/Tervanix")).isDir());
    const QFile::Permissions mine = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                      QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFile::permissions(home + QStringLiteral("/Tervanix")) & (mine | others), mine);
    EXPECT_EQ(DocumentsFolderFor(bin), root.path() + QStringLiteral("/usr/share/tervanix"));
}

// A copy on a read-only stick beside the laboratory's data: asked, then copied or ended, never
// started over with new data; a copy made earlier is used and never replaced.
TEST(ProgramPlaces, ReadOnlyFolderWithDataIsCopiedOnlyWhenAgreed) {
    QTemporaryDir root;
    const QString stick = root.path() + QStringLiteral("/stick"), home = root.path() + QStringLiteral("/home");
    const QString mine = home + QStringLiteral("/Tervanix");
    for (const char* name : {"Tervanix.qcf", "Tervanix.cfr", "QC000001.qca", "Tervanix.lck", "Tervanix.qcf.tmp77-1"})
        Touch(stick + u'/' + QLatin1String(name), name);
    const auto readOnly = test::TMountedFolder::ReadOnly(stick.toStdString());
    if (!readOnly.Ready()) GTEST_SKIP() << "cannot make a read-only folder here: " << readOnly.Why();
    ASSERT_FALSE(UnwritableDataReason(stick).isEmpty());

    test::TScriptedMessages messages;
    messages.Answer(TMsgButton::Cancel);
    EXPECT_FALSE(AgreeOnUnwritableData(stick, home));
    EXPECT_TRUE(messages.Last().Text.contains(QStringLiteral("cannot be written")));
    EXPECT_FALSE(HoldsData(mine));

    messages.Answer(TMsgButton::OK);
    ASSERT_TRUE(AgreeOnUnwritableData(stick, home));
    EXPECT_EQ(QDir(mine).entryList(QDir::Files), (QStringList{"QC000001.qca", "Tervanix.cfr", "Tervanix.qcf"}));
    EXPECT_EQ(Contents(mine + QStringLiteral("/Tervanix.qcf")), "Tervanix.qcf");
    EXPECT_EQ(DataFolderFor(stick, home), mine);

    Touch(mine + QStringLiteral("/Tervanix.qcf"), "entered since");
    messages.Answer(TMsgButton::OK);
    EXPECT_TRUE(AgreeOnUnwritableData(stick, home));
    EXPECT_TRUE(messages.Last().Text.contains(QStringLiteral("copied earlier")));
    EXPECT_EQ(Contents(mine + QStringLiteral("/Tervanix.qcf")), "entered since");
}

// A copy that the user's disk cannot hold is taken back: no part of it passes later for a copy
// made earlier.
TEST(ProgramPlaces, CopyThatFailsHalfWayLeavesNothing) {
    QTemporaryDir root;
    const QString stick = root.path() + QStringLiteral("/stick"), mine = root.path() + QStringLiteral("/home/Tervanix");
    Touch(stick + QStringLiteral("/QC000001.qca"), "archive");
    Touch(stick + QStringLiteral("/Tervanix.qcf"), QByteArray(256 * 1024, 'x'));
    QDir().mkpath(mine);
    const auto small = test::TMountedFolder::Tmpfs(mine.toStdString(), 64 * 1024);
    if (!small.Ready()) GTEST_SKIP() << "cannot mount a small disk here: " << small.Why();
    QString why;
    EXPECT_FALSE(CopyDataFiles(stick, mine, &why));
    EXPECT_TRUE(why.contains(QStringLiteral("Tervanix.qcf"))) << why.toStdString();
    EXPECT_EQ(QDir(mine).entryList(QDir::Files), QStringList());
}

} // namespace
} // namespace tervanix
