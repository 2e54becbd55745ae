#include "platform/ProgramFolder.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Folders {
    QTemporaryDir root;
    QString bin() const { return root.path() + QStringLiteral("/bin"); }
    QString dataHome() const { return root.path() + QStringLiteral("/data"); }
    Folders()
    {
        QDir(root.path()).mkpath(QStringLiteral("bin"));
        qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    }
    ~Folders() { qunsetenv("XDG_DATA_HOME"); }
};

TEST(ProgramFolder, AnUnpackedCopyKeepsItsFilesBesideTheProgram)
{
    Folders f;
    EXPECT_EQ(platform::resolveProgramFolder(f.bin(), {}), QDir(f.bin()).absolutePath());
}

TEST(ProgramFolder, AnInstalledCopyUsesThePerUserFolderEvenWhenBinIsWritable)
{
    Folders f;
    QDir(f.root.path()).mkpath(QStringLiteral("share/applications"));
    QFile desktop(f.root.path() + QStringLiteral("/share/applications/qmr51-visualisation.desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::WriteOnly));
    desktop.close();
    const QString folder = platform::resolveProgramFolder(f.bin(), {});
    EXPECT_EQ(folder, f.dataHome() + QStringLiteral("/qmr51-visualisation"));
    EXPECT_TRUE(QFileInfo(folder).isDir()) << "created when missing";
}

TEST(ProgramFolder, TheCommandLineWins)
{
    Folders f;
    const QString chosen = f.root.path() + QStringLiteral("/chosen");
    EXPECT_EQ(platform::resolveProgramFolder(f.bin(), chosen), chosen);
    EXPECT_TRUE(QFileInfo(chosen).isDir());
}

} // namespace
