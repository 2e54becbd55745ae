// Downloads over a real HTTP(S) server on 127.0.0.1 (tests/data/net/http_server.py). FTP goes over
// ftp_server.py in UpgradeQmr51Test, the whole upgrade on this transfer.
#include "LocalServers.h"
#include "TestFiles.h"
#include "platform/CurlTransfer.h"
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using fakes::readFile;
using fakes::writeFile;

bool waitFor(const platform::TransferJob& job) { return fakes::eventually([&job] { return job.finished(); }); }

const QByteArray image = QByteArray::fromHex("e9") + QByteArray(4999, '\x5a');
const QByteArray previous("previous content");
constexpr qint64 roomy = 1 << 20;

// A plain server, and an HTTPS one with a certificate for 127.0.0.1 that it makes when it starts
// (its /downgrade/ leads to the plain one).
struct Http : ::testing::Test {
    QTemporaryDir root, local, tls;
    testsupport::LocalServer server{"http_server.py", {"--root", root.path()}};
    testsupport::LocalServer secure{"http_server.py", {"--root", root.path(), "--tls", tls.path(), "--downgrade", "http://" + server.address()}};
    platform::CurlTransfer transfer, trusting{{}, tls.filePath("cert.pem")};
    const QString target = local.filePath("out.bin");

    void SetUp() override
    {
        ASSERT_TRUE(writeFile(root.filePath("image.bin"), image));
        ASSERT_TRUE(server.port != 0 && secure.port != 0) << server.problem.toStdString() << secure.problem.toStdString();
    }
    QString url(const QString& path) const { return "http://" + server.address() + path; }
};

// The local file held "previous content". A moved image is followed; an error page is no image and
// leaves the file alone; an answer cut short of its announced size fails and leaves the part. A
// file above the limit fails, announced (nothing written) or not (counted while it arrives; a part
// may be left, so the file is not looked at: a null localAfter). Over https ('s' trusting the
// server's certificate, 'u' with the system's store only) an unknown certificate and a redirect to
// http:// fail. The server never answers /hang/, so a job cancelled there (the Cancel button, or
// the tool closing during a download) is surely still running.
TEST_F(Http, WritesTheAnswerOnlyWhenTheServerHasOneAndNothingWhenCancelled)
{
    struct Case { char over; const char* path; qint64 maxBytes; QString error; QByteArray localAfter; qint64 expected; };
    const QString tooLarge = "the file is larger than 4999 bytes";
    const Case cases[] = {
        {'h', "/redirect/image.bin", roomy, "", image, 5000},
        {'h', "/notfound/image.bin", roomy, "HTTP response code said error", previous, -1},
        {'h', "/dropped/image.bin", roomy, "Transferred a partial file", QByteArray::fromHex("e9") + QByteArray(100, '\0'), 4096},
        {'h', "/unsized/image.bin", 5000, "", image, -1},
        {'h', "/files/image.bin", 4999, tooLarge, previous, -1},
        {'h', "/unsized/image.bin", 4999, tooLarge, {}, -1},
        {'s', "/redirect/image.bin", roomy, "", image, 5000},
        {'u', "/files/image.bin", roomy, "SSL peer certificate or SSH remote key was not OK", previous, -1},
        {'s', "/downgrade/image.bin", roomy, "Unsupported protocol", previous, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.over) + c.path + " " + std::to_string(c.maxBytes));
        ASSERT_TRUE(writeFile(target, previous));
        auto job = c.over == 'h' ? transfer.httpGet(url(c.path), target, c.maxBytes)
                                 : (c.over == 's' ? trusting : transfer).httpGet("https://" + secure.address() + c.path, target, c.maxBytes);
        ASSERT_TRUE(waitFor(*job));
        EXPECT_EQ(job->succeeded(), c.error.isEmpty());
        EXPECT_TRUE(c.error.isEmpty() ? job->error().isEmpty() : job->error().startsWith(c.error)) << job->error().toStdString();
        if (!c.localAfter.isNull()) {
            EXPECT_EQ(readFile(target), c.localAfter);
        }
        EXPECT_EQ(job->expectedBytes(), c.expected);
    }

    QFile::remove(target);
    auto job = transfer.httpGet(url("/hang/image.bin"), target, roomy);
    job->cancel();
    ASSERT_TRUE(waitFor(*job));
    EXPECT_FALSE(job->succeeded());
    EXPECT_EQ(job->error(), "cancelled");
    EXPECT_FALSE(QFile::exists(target));
}

} // namespace
