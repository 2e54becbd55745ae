// qmr51ctl on several ports at once over pseudo-terminals, against simulated devices: each unit
// passes only when its device answers with the firmware it should now have, and one unit's fault
// stays its own.
#include "LineHarness.h"
#include "EspImages.h"
#include "TestFiles.h"
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

using ctl::LineCtl;
using sim::DeviceKind;

namespace {

void writeFile(const QString& path, const QByteArray& content) { ASSERT_TRUE(fakes::writeFile(path, content, true)); }

QList<QJsonObject> jsonLines(const QByteArray& out)
{
    QList<QJsonObject> objects;
    for (const QByteArray& line : out.split('\n'))
        if (!line.isEmpty())
            objects.append(QJsonDocument::fromJson(line).object());
    return objects;
}

TEST(LineCommand, AFlashOnEveryModuleFailsAnUnpluggedOneAloneAndAModuleBackWithItsOldVersionAsVersion)
{
    LineCtl h;
    QDir(h.folder.path()).mkpath("DATA");
    writeFile(h.folder.filePath("DATA/TIKAv2.bin"), espimages::good(espimages::esp32s3));
    writeFile(h.folder.filePath("esptools3"), {});
    sim::Simulator* pulled = h.addFlashable(2);
    ASSERT_TRUE(h.addFlashable(1) && pulled && h.add(3, DeviceKind::TikaV2) && h.add(4, DeviceKind::Qmr51));
    // COM2's adapter is pulled out while esptool writes: esptool fails, and the retry finds nothing.
    h.esptool[2] = [pulled] {
        pulled->stop();
        return 2;
    };
    EXPECT_EQ(h.run({"flash", "--port", "all"}), 1) << h.err().toStdString();
    const QString out = h.out();
    EXPECT_TRUE(out.contains("COM1\tpassed\tTIKA V2 22M01234\t25.0.1.2 -> 25.0.1.3\t")) << out.toStdString();
    EXPECT_TRUE(out.contains("COM2\tretry after esptool\t")) << out.toStdString();
    EXPECT_TRUE(out.contains("COM2\tfailed (no-device)\t")) << out.toStdString();
    EXPECT_TRUE(out.contains("COM2   22M01234   25.0.1.2 -> -           failed (no-device)")) << "the table keeps what it had";
    EXPECT_TRUE(out.contains("COM3\tfailed (version)\tTIKA V2 22M01234\t25.0.1.2 -> 25.0.1.2\t")) << out.toStdString();
    EXPECT_TRUE(out.contains("as before: the new image did not take")) << out.toStdString();
    EXPECT_FALSE(out.contains("COM4")) << "the QMR51 is no unit of a flash";
    EXPECT_TRUE(out.endsWith("1 passed, 2 failed\n")) << out.toStdString();
    // Every attempt is one record, and the serial number finds them all: the retry on the emptied
    // port keeps the serial its first attempt read.
    ASSERT_EQ(h.run({"records", "--serial", "22M01234", "--format", "json"}), 0) << h.err().toStdString();
    QStringList recorded;
    for (const QJsonObject& r : jsonLines(h.console.stdOut))
        recorded << QStringLiteral("%1 %2 %3").arg(r["port"].toString(), r["class"].toString()).arg(r["attempt"].toInt());
    recorded.sort();
    EXPECT_EQ(recorded, QStringList({"COM1 passed 1", "COM2 esptool 1", "COM2 no-device 2", "COM3 version 1", "COM3 version 2"}));

    // Told to expect the same version, COM3 passes; an image for an ESP32 is refused by the TIKA V2
    // alone, not tried again, and flashed onto the TIKA V1 (named by its path).
    EXPECT_EQ(h.run({"flash", "--port", "COM1,COM3", "--same-version-ok"}), 0) << h.out().toStdString();
    writeFile(h.folder.filePath("v1.bin"), espimages::good(espimages::esp32));
    writeFile(h.folder.filePath("esptool32"), {});
    sim::Simulator* v1 = h.addFlashable(5, DeviceKind::TikaV1);
    ASSERT_TRUE(v1);
    EXPECT_EQ(h.run({"flash", "--port", "COM3," + v1->devicePath(), "--image", h.folder.filePath("v1.bin")}), 1);
    EXPECT_EQ(h.out().count("COM3\tfailed (refused-input)\t"), 1) << "not tried again:\n" << h.out().toStdString();
    EXPECT_TRUE(h.out().contains("built for an ESP32, this module is an ESP32-S3")) << h.out().toStdString();
    EXPECT_TRUE(h.out().contains("COM5\tpassed\tTIKA V1")) << h.out().toStdString();
}

TEST(LineCommand, UpgradeAndSetOnSeveralPortsAndTheExitCodes)
{
    QFile hex(QStringLiteral(QMR_TEST_DATA "/upgrade/one_block.hex"));
    ASSERT_TRUE(hex.open(QIODevice::ReadOnly));
    LineCtl h;
    h.transfer.files["/DENA_UPGlist.bin"] = QByteArray(92, '\0').replace(40, 4, QByteArray::fromHex("02010007"));
    h.transfer.files["/QMR51v2.hex"] = hex.readAll();
    for (int com : {1, 2}) {
        sim::Simulator* qmr = h.add(com, DeviceKind::Qmr51);
        ASSERT_TRUE(qmr);
        qmr->setRestartDuration(std::chrono::milliseconds(0));
    }
    ASSERT_TRUE(h.add(3, DeviceKind::TikaV2));
    EXPECT_EQ(h.run({"upgrade", "--port", "all"}), 4);
    EXPECT_TRUE(h.err().contains("\"Send firmware V2.1.0.7 (1 blocks) to the QMR51 on COM1, COM2?\" needs an answer")) << h.err().toStdString();

    ASSERT_EQ(h.run({"upgrade", "--port", "all", "--yes", "--json"}), 0) << h.out().toStdString();
    const QList<QJsonObject> events = jsonLines(h.console.stdOut);
    int passed = 0;
    for (const QJsonObject& e : events) {
        EXPECT_TRUE(e.contains("port") || e["event"] == "summary") << QJsonDocument(e).toJson().toStdString();
        if (e["event"] == "done") {
            passed += e["result"] == "passed";
            EXPECT_EQ(e["firmwareAfter"], "2.1.0.7");
        }
    }
    EXPECT_EQ(passed, 2);
    EXPECT_EQ(events.last(), QJsonObject({{"event", "summary"}, {"passed", 2}, {"failed", 0}}));

    // The TIKA takes a setting the QMR51 has not: each device is checked against its own kind.
    EXPECT_EQ(h.run({"set", "--port", "COM1,COM3", "out2.level=400"}), 1);
    EXPECT_TRUE(h.out().contains("COM1\tfailed (refused-input)\tQMR51 51000042\t2.1.0.7 -> -\t")) << h.out().toStdString();
    EXPECT_TRUE(h.out().contains("COM3\tpassed\t")) << h.out().toStdString();
    EXPECT_EQ(h.byPort[3]->profile().settings.mid(10, 2), QByteArray::fromHex("0190")) << "400 W, read back";
    // `all` finds the devices the change is for, and none when no kind has every setting named.
    EXPECT_EQ(h.run({"set", "--port", "all", "out2.level=300"}), 0) << h.out().toStdString();
    EXPECT_TRUE(h.out().contains("COM3	passed	") && !h.out().contains("COM1	") && !h.out().contains("COM2	"))
        << h.out().toStdString();
    EXPECT_EQ(h.run({"set", "--port", "all", "interval=10", "out2.level=400"}), 3);
    EXPECT_TRUE(h.err().contains("No device that has all of interval=10 out2.level=400 answers on any port."))
        << h.err().toStdString();

    // Readings of every unit, each row carrying its port.
    ASSERT_EQ(h.run({"read", "--port", "COM1,COM3", "--count", "2", "--interval", "0.2", "--json"}), 0) << h.err().toStdString();
    QMap<QString, int> rows;
    for (const QJsonObject& e : jsonLines(h.console.stdOut))
        if (e.contains("time"))
            ++rows[e["port"].toString()];
    EXPECT_EQ(rows, (QMap<QString, int>{{"COM1", 2}, {"COM3", 2}}));

    ctl::misbehave(*h.byPort[3], &sim::Misbehaviour::silent);
    const std::pair<QStringList, int> exits[] = {
        {{"info", "--port", "COM1,COM2,COM3", "--retries", "0"}, 1},
        {{"info", "--port", "COM3,"}, 3},
        {{"info", "--port", "COM1,auto"}, 2},
        {{"flash", "--port", "all", "--retries", "x"}, 2},
        {{"flash", "--port", "all"}, 3},
        {{"info", "--port", "COM3,COM9"}, 3},
    };
    for (const auto& [args, code] : exits)
        EXPECT_EQ(h.run(args), code) << args.join(' ').toStdString() << '\n' << h.err().toStdString();
}

} // namespace
