// Downloads over a real HTTP server on 127.0.0.1 (tests/data/net/http_server.py). FTP goes over
// ftp_server.py in UpgradeQmr51Test, the whole upgrade on this transfer.
#include "LocalServers.h"
#include "platform/CurlTransfer.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

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

QByteArray readFile(const QString& path) { QFile f(path); return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>"); }
bool writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

const QByteArray image = QByteArray::fromHex("e9") + QByteArray(4999, '\x5a');
const QByteArray previous("previous content");

struct Http : ::testing::Test {
    QTemporaryDir root, local;
    testsupport::LocalServer server{"http_server.py", {"--root", root.path()}};
    platform::CurlTransfer transfer;
    const QString target = local.filePath("out.bin");

    void SetUp() override
    {
        ASSERT_TRUE(writeFile(root.filePath("image.bin"), image));
        ASSERT_NE(server.port(), 0) << server.problem().toStdString();
    }
    QString url(const QString& path) const { return "http://" + server.address() + path; }
};

// The local file held "previous content". A moved image is followed; an error page is no image and
// leaves the file alone; an answer cut short of its announced size fails and leaves the part.
TEST_F(Http, WritesTheAnswerOnlyWhenTheServerHasOne)
{
    struct Case { const char* path; bool succeeds; QByteArray localAfter; qint64 expected; };
    const Case cases[] = {
        {"/redirect/image.bin", true, image, 5000},
        {"/notfound/image.bin", false, previous, -1},
        {"/dropped/image.bin", false, QByteArray::fromHex("e9") + QByteArray(100, '\0'), 4096},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_TRUE(writeFile(target, previous));
        auto job = transfer.httpGet(url(c.path), target);
        ASSERT_TRUE(waitFor(*job));
        EXPECT_EQ(job->succeeded(), c.succeeds) << job->error().toStdString();
        EXPECT_EQ(job->error().isEmpty(), c.succeeds);
        EXPECT_EQ(readFile(target), c.localAfter);
        EXPECT_EQ(job->expectedBytes(), c.expected);
    }
}

// The server never answers /hang/, so the job is surely still running when it is cancelled (the
// Cancel button, or the tool closing during a download).
TEST_F(Http, ACancelledJobStopsWithoutWriting)
{
    auto job = transfer.httpGet(url("/hang/image.bin"), target);
    job->cancel();
    ASSERT_TRUE(waitFor(*job));
    EXPECT_FALSE(job->succeeded());
    EXPECT_EQ(job->error(), "cancelled");
    EXPECT_FALSE(QFile::exists(target));
}

} // namespace
