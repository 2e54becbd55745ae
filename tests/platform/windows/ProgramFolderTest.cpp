#include "platform/ProgramFolder.h"
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Windows: beside the program when the tool can write there, else %LOCALAPPDATA%\qmr51-visualisation
// (made when missing); a folder given on the command line wins. A folder the tool cannot make a
// file in stands for C:\Program Files, whose access rights QFileInfo does not read.
TEST(ProgramFolder, BesideTheProgramInLocalAppDataOrAsGiven)
{
    QTemporaryDir root;
    const QString bin = root.path() + "/bin";
    const QString localAppData = root.path() + "/Local";
    ASSERT_TRUE(QDir(root.path()).mkpath("bin"));
    const QByteArray saved = qgetenv("LOCALAPPDATA");
    qputenv("LOCALAPPDATA", QDir::toNativeSeparators(localAppData).toUtf8());

    EXPECT_EQ(platform::resolveProgramFolder(bin, {}), QDir(bin).absolutePath());
    const QString chosen = root.path() + "/chosen";
    EXPECT_EQ(platform::resolveProgramFolder(bin, chosen), chosen);
    const QString folder = platform::resolveProgramFolder(root.path() + "/no such folder", {});
    EXPECT_EQ(QDir(folder).absolutePath(), QDir(localAppData + "/qmr51-visualisation").absolutePath());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    qputenv("LOCALAPPDATA", saved);
}
