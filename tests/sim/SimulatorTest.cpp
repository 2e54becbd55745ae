#include "sim/LiveReadings.h"
#include "sim/Simulator.h"
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The tool's end of the line, in plain POSIX calls so the simulator is tested on its own.
class RawLine {
public:
    explicit RawLine(const QString& path) : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY))
    {
        termios t{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~RawLine()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }
    void send(const QByteArray& bytes) { ASSERT_EQ(::write(fd_, bytes.constData(), bytes.size()), bytes.size()); }

    // One read after waiting up to maxWaitMs for input: the bytes, empty on a time-out, or
    // nullopt once the line has hung up (end of file or an error).
    std::optional<QByteArray> readOnce(int maxWaitMs)
    {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, maxWaitMs) <= 0)
            return QByteArray();
        char buffer[4096];
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got <= 0)
            return std::nullopt;
        return QByteArray(buffer, got);
    }

    // Collects reads until count bytes have come (or 5 s of silence); tells how many reads it took.
    QByteArray receive(qsizetype count, int* reads = nullptr)
    {
        QByteArray got;
        while (got.size() < count) {
            const std::optional<QByteArray> part = readOnce(5000);
            if (!part || part->isEmpty())
                break;
            got.append(*part);
            if (reads)
                ++*reads;
        }
        return got;
    }

private:
    int fd_;
};

TEST(Simulator, RecordsEveryFrameInOrderAndAnswersEach)
{
    sim::Simulator device(sim::DeviceProfile::defaults(sim::DeviceKind::TikaV2));
    ASSERT_TRUE(device.start()) << qPrintable(device.error());
    RawLine line(device.devicePath());
    ASSERT_TRUE(line.isOpen());
    line.send("*V#");
    EXPECT_EQ(line.receive(36).size(), 36);
    line.send(QByteArray("*\x85\x00\x00\x01\x02\x85#*@#", 11));
    EXPECT_EQ(line.receive(8 + 57).size(), 8 + 57);
    ASSERT_TRUE(device.waitForFrames(3, std::chrono::seconds(5)));
    const QList<sim::RequestFrame> frames = device.receivedFrames();
    ASSERT_EQ(frames.size(), 3);
    EXPECT_EQ(frames[0], (sim::RequestFrame{86, {}}));
    EXPECT_EQ(frames[1], (sim::RequestFrame{133, QByteArray("\x00\x00\x01\x02\x85", 5)}));
    EXPECT_EQ(frames[2], (sim::RequestFrame{64, {}}));
    device.clearReceivedFrames();
    EXPECT_TRUE(device.receivedFrames().isEmpty());
}

TEST(Simulator, SlowPiecesArriveApartButWhole)
{
    sim::Simulator device(sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51));
    ASSERT_TRUE(device.start());
    sim::Misbehaviour slow;
    slow.pieceSize = 7;
    slow.pieceDelay = std::chrono::milliseconds(100);
    device.setMisbehaviour(slow);
    RawLine line(device.devicePath());
    line.send("*V#");
    int reads = 0;
    const QByteArray answer = line.receive(20, &reads);
    EXPECT_EQ(answer, QByteArray("*W\x10\x02\x01\x00\x05\x0a\x01\x05\x01" "51000042#", 20));
    EXPECT_GE(reads, 2) << "three pieces 100 ms apart do not come in one read";
}

TEST(Simulator, AHalfRequestIsForgottenAfterAPause)
{
    sim::Simulator device(sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51));
    ASSERT_TRUE(device.start());
    RawLine line(device.devicePath());
    line.send(QByteArray("*\x85\x00", 3)); // a counter preset that never gets its last four bytes
    QThread::msleep(400);
    line.send("*V#");
    EXPECT_EQ(line.receive(20).left(2), "*W");
}

TEST(Simulator, LinkIsMadeInItsFolderAndRemovedOnStop)
{
    QTemporaryDir folder;
    const QString link = folder.path() + "/ports/COM7";
    sim::Simulator device(sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51));
    EXPECT_FALSE(device.linkAs(link)) << "nothing to link to before start";
    ASSERT_TRUE(device.start());
    ASSERT_TRUE(device.linkAs(link)) << qPrintable(device.error());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), device.devicePath());
    RawLine line(link);
    line.send("*V#");
    EXPECT_EQ(line.receive(20).size(), 20);
    device.stop();
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST(Simulator, ClosingMidAnswerHangsUpTheLine)
{
    QTemporaryDir folder;
    sim::Simulator device(sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51));
    ASSERT_TRUE(device.start());
    ASSERT_TRUE(device.linkAs(folder.path() + "/ports/COM3"));
    sim::Misbehaviour gone;
    gone.closeMidAnswer = true;
    device.setMisbehaviour(gone);
    RawLine line(device.devicePath());
    line.send("*V#");
    bool hungUp = false;
    for (int i = 0; i < 50 && !hungUp; ++i)
        hungUp = !line.readOnce(5000).has_value();
    EXPECT_TRUE(hungUp);
    EXPECT_TRUE(device.hungUp());
    EXPECT_FALSE(QFileInfo(folder.path() + "/ports/COM3").isSymLink()) << "a gone device leaves no link";
}

TEST(Simulator, ProfileChangesShowInTheNextAnswer)
{
    sim::Simulator device(sim::DeviceProfile::defaults(sim::DeviceKind::TikaV1));
    ASSERT_TRUE(device.start());
    device.changeProfile([](sim::DeviceProfile& p) { p.readingsStatus = 1; });
    RawLine line(device.devicePath());
    line.send("*@#");
    const QByteArray answer = line.receive(57);
    ASSERT_EQ(answer.size(), 57);
    EXPECT_EQ(answer.at(3), 1);
}

TEST(LiveReadings, MoveWhileTotalsNeverGoDown)
{
    const std::array<double, 13> start = sim::DeviceProfile::defaults(sim::DeviceKind::Qmr51).readings;
    std::array<double, 13> previous = sim::liveReadings(start, 0);
    EXPECT_EQ(previous, start);
    bool powerMoved = false;
    for (double t = 5; t <= 3600; t += 5) {
        const std::array<double, 13> now = sim::liveReadings(start, t);
        for (int total : {1, 5, 8, 11, 12})
            EXPECT_GE(now[total], previous[total]) << "field " << total + 1 << " at " << t << " s";
        EXPECT_GE(now[0], start[0] * 0.7 - 1);
        EXPECT_LE(now[0], start[0] * 1.3 + 1);
        powerMoved = powerMoved || now[0] != start[0];
        EXPECT_EQ(now[10], start[10]) << "the tariff indicator stays";
        previous = now;
    }
    EXPECT_TRUE(powerMoved);
    EXPECT_GT(previous[1], start[1]);
}

} // namespace
