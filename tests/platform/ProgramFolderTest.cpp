#include "platform/ProgramFolder.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// An unpacked copy keeps its files beside the program; an installed one (its desktop file in
// ../share/applications) uses the per-user data folder even when bin/ is writable; a folder given
// on the command line wins. The folder is created when missing.
TEST(ProgramFolder, BesideTheProgramPerUserOrAsGiven)
{
    QTemporaryDir root;
    const QString bin = root.path() + "/bin";
    const QString dataHome = root.path() + "/data";
    ASSERT_TRUE(QDir(root.path()).mkpath("bin"));
    qputenv("XDG_DATA_HOME", dataHome.toUtf8());

    EXPECT_EQ(platform::resolveProgramFolder(bin, {}), QDir(bin).absolutePath());

    const QString chosen = root.path() + "/chosen";
    EXPECT_EQ(platform::resolveProgramFolder(bin, chosen), chosen);
    EXPECT_TRUE(QFileInfo(chosen).isDir());

    ASSERT_TRUE(QDir(root.path()).mkpath("share/applications"));
    QFile desktop(root.path() + "/share/applications/qmr51-visualisation.desktop");
    ASSERT_TRUE(desktop.open(QIODevice::WriteOnly));
    desktop.close();
    const QString folder = platform::resolveProgramFolder(bin, {});
    EXPECT_EQ(folder, dataHome + "/qmr51-visualisation");
    EXPECT_TRUE(QFileInfo(folder).isDir());
    qunsetenv("XDG_DATA_HOME");
}

