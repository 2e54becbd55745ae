#include "FakePlatform.h"
#include "shell/ui/Tool.h"
#include "view/ui/ReadingsGrid.h"
#include "view/ui/ReadingsPoll.h"
#include <QCoreApplication>
#include <QRadioButton>
#include <QToolButton>
#include <gtest/gtest.h>
#include <map>

namespace {

// Thirteen big-endian 4-byte fields; unlisted fields are 0.
QByteArray fields(const std::map<int, quint32>& values)
{
    QByteArray out;
    for (int k = 1; k <= 13; ++k) {
        const quint32 v = values.count(k) ? values.at(k) : 0;
        for (int shift = 24; shift >= 0; shift -= 8)
            out.append(static_cast<char>((v >> shift) & 0xFF));
    }
    return out;
}

// The device's answer to "*@#": '*', 'A', length, data, '#'.
QByteArray readingsFrame(const QByteArray& data) { return "*A" + QByteArray(1, char(data.size())) + data + "#"; }

struct PollRig {
    fakes::FakePlatform p;
    shell::Tool tool{p.services};
    explicit PollRig(const QString& kind, std::optional<std::uint8_t> comPort = 7)
    {
        tool.Form_Load();
        tool.frm.grdInterfaces->table().setLocale(QLocale::c());
        p.port.open(7);
        tool.state.ComPort = comPort;
        tool.state.DeviceType = device::kindNamed(kind);
        p.clock.setTimeOfDay(35999.5); // the reply comes in after 10:00:00
    }
    view::ReadingsTable& table() { return tool.frm.grdInterfaces->table(); }
    QString cell(int column) { return table().cellText(table().rowCount() - 1, column); }
};

struct DecodeCase {
    const char* name;
    QString kind;
    QByteArray data;                 // reply data as the device sends it
    int country;                     // optNLofB index selected
    std::map<int, QString> expected; // column -> text
};
void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

class PollDecodes : public testing::TestWithParam<DecodeCase> {};

TEST_P(PollDecodes, ARowWithTheDecodedTextsAndTheTimeTheReplyCameIn)
{
    const DecodeCase& c = GetParam();
    PollRig rig(c.kind);
    rig.tool.frm.optNLofB[c.country]->setChecked(true);
    rig.p.port.replyToNextWrite({{readingsFrame(c.data), 0.7}});

    rig.tool.poll().imgRefresh_Click();

    EXPECT_EQ(rig.p.port.writes.value(0), QByteArray("*@#"));
    ASSERT_EQ(rig.table().rowCount(), 1);
    EXPECT_EQ(rig.cell(0), "6 Dec 2026");
    EXPECT_EQ(rig.cell(1), "10:00:00"); // 09:59:59 would be the moment of asking
    for (const auto& [column, text] : c.expected)
        EXPECT_EQ(rig.cell(column), text) << "column " << column;
}

const QString m3 = QStringLiteral(" m\u00B3");

// Every field, status and tariff rule is pinned in ReadingsDecoderTest and ReadingFormatTest; these
// show that the poll hands the device kind and the picked country to them (tariff indicator 2.0 is
// Low only in Belgium).
INSTANTIATE_TEST_SUITE_P(
    Kinds, PollDecodes,
    testing::Values(
        DecodeCase{"Qmr51FloatsInBelgium", "QMR51", fields({{1, 0x447A0000}, {11, 0x40000000}}), 1,
                   {{3, "1000 W"}, {13, "Low"}}},
        DecodeCase{"TikaV2WholeNumbers", "TIKA V2", QByteArray(1, 0) + fields({{1, 0xFFFFFFFF}, {9, 12345}}), 0,
                   {{3, "4294967295 W"}, {13, ""}, {15, "12.345" + m3}}}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

TEST(ReadingsPoll, ASilentDeviceStillAddsARowWithDateAndTimeOnly)
{
    PollRig rig("QMR51");
    rig.tool.poll().imgRefresh_Click();
    ASSERT_EQ(rig.table().rowCount(), 1);
    EXPECT_EQ(rig.cell(0), "6 Dec 2026");
    EXPECT_EQ(rig.cell(1), "10:00:00");
    for (int column = 2; column < 22; ++column)
        EXPECT_EQ(rig.cell(column), QString()) << "column " << column;
}

TEST(ReadingsPoll, TheRefreshImageIsDisabledWhileThePollWaits)
{
    PollRig rig("QMR51");
    bool enabledDuringExchange = true;
    rig.p.pump.onEvents = [&] { enabledDuringExchange = rig.tool.frm.imgRefresh->isEnabled(); };
    rig.tool.frm.imgRefresh->click();
    EXPECT_FALSE(enabledDuringExchange);
    EXPECT_TRUE(rig.tool.frm.imgRefresh->isEnabled());
    EXPECT_EQ(rig.table().rowCount(), 1);
}

TEST(ReadingsPoll, ATickPollsOnlyWhileADeviceIsConnected)
{
    // COM99 is a port like any other (99 once also meant "the connect failed").
    for (const std::optional<std::uint8_t> comPort : {std::optional<std::uint8_t>(), std::optional<std::uint8_t>(99),
                                                       std::optional<std::uint8_t>(7)}) {
        PollRig rig("TIKA V2", comPort);
        rig.tool.frm.timScan.start(0);
        QCoreApplication::processEvents(); // the timer's tick, through its real connection
        rig.tool.frm.timScan.stop();
        const int polls = comPort ? 1 : 0;
        EXPECT_EQ(rig.p.port.writes.size(), polls) << "ComPort " << int(comPort.value_or(0));
        EXPECT_EQ(rig.table().rowCount(), polls) << "ComPort " << int(comPort.value_or(0));
    }
}

TEST(ReadingsPoll, ATickDueWhileAnotherExchangeWaitsIsSkippedNotStacked)
{
    PollRig rig("TIKA V2");
    bool ticked = false;
    rig.p.pump.onEvents = [&] {
        if (std::exchange(ticked, true))
            return;
        rig.tool.poll().timScan_Timer();
        rig.tool.poll().imgRefresh_Click();
    };
    rig.tool.exchange.SendCommand(86, QByteArray());
    rig.p.pump.onEvents = nullptr;
    EXPECT_EQ(rig.p.port.writes, QList<QByteArray>{"*V#"});
    EXPECT_EQ(rig.table().rowCount(), 0);

    rig.tool.poll().timScan_Timer(); // the next tick polls as usual
    EXPECT_EQ(rig.table().rowCount(), 1);
}

} // namespace
