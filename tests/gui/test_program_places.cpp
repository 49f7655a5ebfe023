#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "intake/UProgramPlaces.h"

namespace tervanix {
namespace {

void Touch(const QString& path) {
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
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

} // namespace
} // namespace tervanix
