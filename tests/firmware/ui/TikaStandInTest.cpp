// A TIKA flash that really runs its script: /bin/sh and a stand-in esptool that records its
// arguments and folder, prints progress like esptool and exits. The fake clock still makes
// the 20 s minimum cost nothing; the pump gives the real process a few real milliseconds a pass.
#include "UpgradeFakes.h"
#include "firmware/ui/UpgradeHandlers.h"
#include "platform/QtPrograms.h"
#include <QCoreApplication>
#include <QDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

class SlicedPump : public platform::EventPump {
public:
    explicit SlicedPump(fakes::FakeClock& clock) : clock_(clock) {}
    void processEvents() override { QCoreApplication::processEvents(); }
    void sleep100ms() override { clock_.advance(0.1); }
    void pause(std::chrono::milliseconds duration) override
    {
        QThread::msleep(2);
        QCoreApplication::processEvents();
        clock_.advance(duration.count() / 1000.0);
    }

private:
    fakes::FakeClock& clock_;
};

const char* const kStandIn = R"(#!/bin/sh
printf '%s\n' "$@" > args.txt
pwd > folder.txt
echo "esptool.py v4.7.0"
echo "Connecting...."
printf 'Writing at 0x00010000... (50 %%)\r'
printf 'Writing at 0x00020000... (100 %%)\n'
)";

struct StandIn {
    fakes::FakePlatform p;
    SlicedPump pump{p.clock};
    platform::QtPrograms programs;
    QString folder = p.folder.filePath(QStringLiteral("QMR51 'tool' $HOME"));
    platform::Services services{p.port, p.ports, p.clock, pump, p.dialogs, p.transfer, programs, folder,
                                {{QStringLiteral("127.0.0.1:1"), QStringLiteral("x"), QStringLiteral("Tq4wZn7KbP")},
                                 QStringLiteral("http://127.0.0.1:1")}};
    std::unique_ptr<shell::Tool> tool;

    explicit StandIn(const QByteArray& ending)
    {
        QDir().mkpath(folder + QStringLiteral("/DATA"));
        write(QStringLiteral("DATA/TIKAv1.bin"), QByteArray(2048, '\xe9'));
        write(QStringLiteral("esptool32"), QByteArray(kStandIn) + ending);
        QFile::setPermissions(folder + QStringLiteral("/esptool32"),
                              QFile::permissions(folder + QStringLiteral("/esptool32")) | QFileDevice::ExeOwner);
        tool = std::make_unique<shell::Tool>(services);
        p.ports.paths.insert(12, QStringLiteral("/dev/ttyUSB3"));
        tool->frm.cmbComPort->addItem(QStringLiteral("COM12:"));
        tool->frm.cmbComPort->setCurrentIndex(0);
        tool->state.DeviceType = device::DeviceKind::TikaV1;
        tool->state.ComPort = 12;
    }
    void write(const QString& name, const QByteArray& content)
    {
        QFile file(folder + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray read(const char* name) const { return upgradefakes::readFile(folder + QLatin1Char('/') + QLatin1String(name)); }
};

TEST(TikaStandIn, EsptoolGetsEveryArgumentInTheProgramFolderWhateverItIsCalled)
{
    StandIn h("echo 'Hash of data verified.'\nexit 0\n");
    h.tool->upgrade().cmdUpgrade_Click();
    // The whole argument list is pinned in EsptoolCommandTest.
    EXPECT_TRUE(h.read("args.txt").startsWith("--chip\nesp32\n--port\n/dev/ttyUSB3\n"));
    EXPECT_TRUE(h.read("args.txt").contains("\nDATA/TIKAv1.bin\n"));
    EXPECT_EQ(h.read("folder.txt"), QFile::encodeName(QDir(h.folder).canonicalPath()) + '\n');
    EXPECT_TRUE(h.p.dialogs.messages.isEmpty()) << h.p.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(h.p.port.opened, QList<int>({12})) << "connected again after the flash";
}

} // namespace
