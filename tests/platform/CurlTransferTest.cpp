// Downloads over real servers on 127.0.0.1: the Python scripts in tests/data/net/.
#include "LocalServers.h"
#include "firmware/ModuleImages.h"
#include "platform/CurlTransfer.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>
#include <utility>

using namespace std::chrono_literals;

namespace {

// A bound, not an expectation: a broken transfer must fail the test instead of hanging it.
bool waitFor(const platform::TransferJob& job)
{
    const auto giveUp = std::chrono::steady_clock::now() + 60s;
    while (!job.finished() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(5ms);
    return job.finished();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

const QByteArray image = QByteArray::fromHex("e9") + QByteArray(4999, '\x5a');
const QByteArray previous("previous content");

// One HTTP server for the whole suite; its files live in root.
class Http : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root = new QTemporaryDir;
        writeFile(root->filePath("image.bin"), image);
        server = new testsupport::LocalServer("http_server.py", {"--root", root->path()});
    }
    static void TearDownTestSuite()
    {
        delete std::exchange(server, nullptr);
        delete std::exchange(root, nullptr);
    }
    void SetUp() override { ASSERT_NE(server->port(), 0) << server->problem().toStdString(); }
    static QString url(const QString& path) { return "http://" + server->address() + path; }

    static inline QTemporaryDir* root = nullptr;
    static inline testsupport::LocalServer* server = nullptr;
    QTemporaryDir local;
    platform::CurlTransfer transfer;
};

// The local file held "previous content": a failure before any data leaves it, one part-way
// leaves the part, and an announced size the body does not reach is a failure.
TEST_F(Http, WritesTheAnswerOnlyWhenTheServerHasOne)
{
    struct Case {
        const char* path;
        bool succeeds;
        QByteArray localAfter;
        qint64 expected;
    };
    const Case cases[] = {
        {"/files/image.bin", true, image, 5000},
        {"/redirect/image.bin", true, image, 5000},
        {"/empty/image.bin", true, QByteArray(""), 0},
        {"/notfound/image.bin", false, previous, -1},
        {"/dropped/image.bin", false, QByteArray::fromHex("e9") + QByteArray(100, '\0'), 4096},
    };
    const QString target = local.filePath("out.bin");
    for (const Case& c : cases) {
        ASSERT_TRUE(writeFile(target, previous));
        auto job = transfer.httpGet(url(c.path), target);
        ASSERT_TRUE(waitFor(*job)) << c.path;
        EXPECT_EQ(job->succeeded(), c.succeeds) << c.path << ": " << job->error().toStdString();
        EXPECT_EQ(job->error().isEmpty(), c.succeeds) << c.path;
        EXPECT_EQ(readFile(target), c.localAfter) << c.path;
        EXPECT_EQ(job->expectedBytes(), c.expected) << c.path;
    }
}

// The server holds a gated answer back until its .release file exists (never, here), so the job is
// surely still running when it is cancelled, dropped or runs out of time.
TEST_F(Http, ACancelledDroppedOrTimedOutJobStopsWithoutWriting)
{
    const QString target = local.filePath("out.bin");
    auto job = transfer.httpGet(url("/gated/image.bin"), target);
    EXPECT_FALSE(job->finished());
    job->cancel();
    ASSERT_TRUE(waitFor(*job));
    EXPECT_FALSE(job->succeeded());
    EXPECT_EQ(job->error(), "cancelled");

    auto dropped = transfer.httpGet(url("/gated/image.bin"), target);
    EXPECT_FALSE(dropped->finished());
    dropped.reset(); // cancels and waits for its thread

    platform::CurlLimits limits;
    limits.httpTotalTimeout = 1s;
    platform::CurlTransfer impatient(limits);
    auto timedOut = impatient.httpGet(url("/gated/image.bin"), target);
    ASSERT_TRUE(waitFor(*timedOut));
    EXPECT_FALSE(timedOut->succeeded());
    EXPECT_FALSE(timedOut->error().isEmpty());
    EXPECT_NE(timedOut->error(), "cancelled");
    EXPECT_FALSE(QFile::exists(target));
}

// Closing the tool while the image server hangs neither waits for the server nor leaves half a
// file: the old images stay. Which answers replace an image is pinned in ModuleImagesTest.
TEST_F(Http, ClosingDuringAHangingModuleImageDownloadKeepsTheOldImages)
{
    ASSERT_TRUE(QDir(local.path()).mkdir("DATA"));
    ASSERT_TRUE(writeFile(local.filePath("DATA/TIKAv1.bin"), previous));
    ASSERT_TRUE(writeFile(local.filePath("DATA/TIKAv2.bin"), previous));
    {
        firmware::ModuleImages images(transfer, url("/gated"), local.path());
        images.start();
        EXPECT_FALSE(images.finished()) << "start() returns before the server has answered";
    }
    EXPECT_EQ(readFile(local.filePath("DATA/TIKAv1.bin")), previous);
    EXPECT_EQ(readFile(local.filePath("DATA/TIKAv2.bin")), previous);
    EXPECT_EQ(QDir(local.filePath("DATA")).entryList(QDir::Files), QStringList({"TIKAv1.bin", "TIKAv2.bin"}));
}

// FTP, as the QMR51 upgrade fetches its list and HEX file.
TEST(Ftp, FetchesTheFileAndKnowsItsSizeOrReportsTheFailure)
{
    QTemporaryDir root;
    QByteArray hexFile;
    for (int line = 0; line < 400; ++line)
        hexFile += ":10000000000102030405060708090A0B0C0D0E0F78\r\n";
    ASSERT_TRUE(writeFile(root.filePath("QMR51v2.hex"), hexFile));
    ASSERT_TRUE(testsupport::pythonHasModule("pyftpdlib")) << "the FTP tests need Debian's python3-pyftpdlib";
    testsupport::LocalServer server("ftp_server.py",
                                    {"--root", root.path(), "--user", "tester", "--password", "Tq4wZn7KbP"});
    ASSERT_NE(server.port(), 0) << server.problem().toStdString();
    platform::CurlTransfer transfer;
    QTemporaryDir local;
    const QString target = local.filePath("temp.tmp");

    auto job = transfer.ftpGet({server.address(), "tester", "Tq4wZn7KbP"}, "/QMR51v2.hex", target);
    ASSERT_TRUE(waitFor(*job));
    EXPECT_TRUE(job->succeeded()) << job->error().toStdString();
    EXPECT_EQ(readFile(target), hexFile);
    EXPECT_EQ(job->expectedBytes(), hexFile.size());

    QFile::remove(target);
    auto refused = transfer.ftpGet({server.address(), "tester", "Tq4wZn7KbQ"}, "/QMR51v2.hex", target);
    ASSERT_TRUE(waitFor(*refused));
    EXPECT_FALSE(refused->succeeded());
    EXPECT_FALSE(refused->error().isEmpty());
    EXPECT_FALSE(QFile::exists(target));
}

} // namespace
