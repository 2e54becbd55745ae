// cmake --install puts the tool, its menu entry and its icon where a Linux desktop looks for them.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(DesktopInstall, PutsTheToolItsMenuEntryAndItsIconInTheUsualPlaces)
{
    if (!QFileInfo(QStringLiteral(QMR_BINARY_DIR "/src/qmr51-visualisation")).isExecutable())
        GTEST_SKIP() << "the tool itself is not built in this tree";
    const QString cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
    ASSERT_FALSE(cmake.isEmpty());
    QTemporaryDir prefix;
    QProcess install;
    install.start(cmake, {"--install", QMR_BINARY_DIR, "--prefix", prefix.path()});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();

    const QDir root(prefix.path());
    const QString program = root.filePath("bin/qmr51-visualisation");
    EXPECT_TRUE(QFileInfo(program).isExecutable());
    EXPECT_TRUE(QFileInfo::exists(root.filePath("share/icons/hicolor/scalable/apps/qmr51-visualisation.svg")));
    QFile icon(root.filePath("share/icons/hicolor/64x64/apps/qmr51-visualisation.png"));
    ASSERT_TRUE(icon.open(QIODevice::ReadOnly));
    const QByteArray header = icon.read(24);
    EXPECT_TRUE(header.startsWith("\x89PNG\r\n\x1a\n"));
    // IHDR: width and height, big-endian, right after the chunk's length and name.
    EXPECT_EQ(header.mid(16, 8), QByteArray::fromHex("0000004000000040")) << "a 64x64 icon in the 64x64 folder";

    QSettings entry(root.filePath("share/applications/qmr51-visualisation.desktop"), QSettings::IniFormat);
    entry.beginGroup("Desktop Entry");
    // The menu starts the installed program by name and finds the icon by the installed file's name.
    for (const auto& [key, value] : {std::pair{"Type", "Application"}, {"Name", "QMR51 Visualisation"},
                                     {"Exec", "qmr51-visualisation"}, {"Icon", "qmr51-visualisation"}, {"Terminal", "false"}})
        EXPECT_EQ(entry.value(QLatin1String(key)).toString(), QLatin1String(value)) << key;

    // The installed program starts on a real X display: Qt, its xcb platform plugin and what they
    // load are all there (--version answers once the application object stands).
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    run.setProcessEnvironment(environment);
    run.start(QMR_XVFB_RUN, {"-a", program, "--version"});
    ASSERT_TRUE(run.waitForFinished(120000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromLocal8Bit(run.readAllStandardOutput()).trimmed(),
              QStringLiteral("qmr51-visualisation " QMR_VERSION " (Qt %1, platform xcb)").arg(QLatin1String(qVersion())));
}
