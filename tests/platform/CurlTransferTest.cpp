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

// Bounds, not expectations: a broken transfer must fail the test instead of hanging it.
constexpr auto patience = 60s;

bool waitFor(const platform::TransferJob& job)
{
    const auto giveUp = std::chrono::steady_clock::now() + patience;
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

QByteArray pattern(int length, char first)
{
    QByteArray bytes(length, '\0');
    bytes[0] = first;
    for (int i = 1; i < length; ++i)
        bytes[i] = char((i * 7 + 3) & 0xff);
    return bytes;
}

const QByteArray image = pattern(5000, '\xe9');
const QByteArray imageV2 = pattern(7000, '\xe9');
const QByteArray previous("previous content");

// One HTTP server for the whole suite; its files live in root.
class HttpTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root = new QTemporaryDir;
        writeFile(root->filePath(QStringLiteral("image.bin")), image);
        writeFile(root->filePath(QStringLiteral("TIKAv1.bin")), image);
        writeFile(root->filePath(QStringLiteral("TIKAv2.bin")), imageV2);
        server = new testsupport::LocalServer(QStringLiteral("http_server.py"),
                                              {QStringLiteral("--root"), root->path()});
    }
    static void TearDownTestSuite()
    {
        delete std::exchange(server, nullptr);
        delete std::exchange(root, nullptr);
    }
    void SetUp() override { ASSERT_NE(server->port(), 0) << server->problem().toStdString(); }
    static QString url(const QString& path) { return QStringLiteral("http://") + server->address() + path; }
    static void release(const QString& name) { writeFile(root->filePath(name + QStringLiteral(".release")), "go"); }

    static inline QTemporaryDir* root = nullptr;
    static inline testsupport::LocalServer* server = nullptr;
    QTemporaryDir local;
    platform::CurlTransfer transfer;
};

struct HttpCase {
    const char* name;
    const char* path;
    bool succeeds;
    QByteArray localAfter; // what the local file holds afterwards (it held "previous content")
    qint64 expected;
};

void PrintTo(const HttpCase& c, std::ostream* out) { *out << c.name; }

class HttpGet : public HttpTest, public ::testing::WithParamInterface<HttpCase> {};

TEST_P(HttpGet, writesTheAnswerOnlyWhenTheServerHasOne)
{
    const HttpCase& c = GetParam();
    const QString target = local.filePath(QStringLiteral("out.bin"));
    ASSERT_TRUE(writeFile(target, previous));
    auto job = transfer.httpGet(url(QString::fromLatin1(c.path)), target);
    ASSERT_TRUE(waitFor(*job));
    EXPECT_EQ(job->succeeded(), c.succeeds) << job->error().toStdString();
    EXPECT_EQ(job->error().isEmpty(), c.succeeds);
    EXPECT_EQ(readFile(target), c.localAfter);
    EXPECT_EQ(job->bytesReceived(), c.localAfter == previous ? 0 : c.localAfter.size());
    EXPECT_EQ(job->expectedBytes(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpGet,
    ::testing::Values(HttpCase{"with_length", "/files/image.bin", true, image, 5000},
                      HttpCase{"without_length", "/nolength/image.bin", true, image, -1},
                      HttpCase{"redirected", "/redirect/image.bin", true, image, 5000},
                      HttpCase{"empty_file", "/empty/image.bin", true, QByteArray(""), 0},
                      HttpCase{"not_found", "/notfound/image.bin", false, previous, -1},
                      HttpCase{"missing_file", "/files/nothing.bin", false, previous, -1},
                      HttpCase{"server_error", "/servererror/image.bin", false, previous, -1},
                      HttpCase{"dropped_mid_body", "/dropped/image.bin", false,
                               QByteArray::fromHex("e9") + QByteArray(100, '\0'), 4096}),
    [](const ::testing::TestParamInfo<HttpCase>& info) { return std::string(info.param.name); });

TEST_F(HttpTest, anUnreachableServerFailsWithAReasonAndLeavesTheFile)
{
    const QString target = local.filePath(QStringLiteral("out.bin"));
    ASSERT_TRUE(writeFile(target, previous));
    const quint16 closed = testsupport::closedLoopbackPort();
    ASSERT_NE(closed, 0);
    auto job = transfer.httpGet(QStringLiteral("http://127.0.0.1:%1/files/image.bin").arg(closed), target);
    ASSERT_TRUE(waitFor(*job));
    EXPECT_FALSE(job->succeeded());
    EXPECT_FALSE(job->error().isEmpty());
    EXPECT_EQ(readFile(target), previous);
}

// The server holds its answer back until the test releases it, so the job is surely still
// running when it is cancelled or dropped.
TEST_F(HttpTest, aCancelledOrDroppedJobStopsWithoutWriting)
{
    const QString target = local.filePath(QStringLiteral("out.bin"));
    auto job = transfer.httpGet(url(QStringLiteral("/gated/image.bin")), target);
    EXPECT_FALSE(job->finished());
    job->cancel();
    ASSERT_TRUE(waitFor(*job));
    EXPECT_FALSE(job->succeeded());
    EXPECT_EQ(job->error(), QStringLiteral("cancelled"));
    EXPECT_FALSE(QFile::exists(target));

    auto dropped = transfer.httpGet(url(QStringLiteral("/gated/image.bin")), target);
    EXPECT_FALSE(dropped->finished());
    dropped.reset(); // cancels and waits for its thread
    EXPECT_FALSE(QFile::exists(target));
}

// ---- FTP, as the QMR51 upgrade fetches its list and HEX file ----

const QString ftpPassword = QStringLiteral("Tq4wZn7KbP");

QByteArray upgradeList()
{
    QByteArray list(92, '\x11');
    list.replace(40, 4, QByteArray::fromHex("04000005")); // bytes 41..44: version 4.0.0.5
    return list;
}

QByteArray hexFile()
{
    QByteArray text;
    for (int line = 0; line < 400; ++line)
        text += ":10000000000102030405060708090A0B0C0D0E0F78\r\n";
    return text + ":00000001FF\r\n";
}

class FtpTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root = new QTemporaryDir;
        writeFile(root->filePath(QStringLiteral("DENA_UPGlist.bin")), upgradeList());
        writeFile(root->filePath(QStringLiteral("QMR51v2.hex")), hexFile());
        if (testsupport::pythonHasModule(QStringLiteral("pyftpdlib")))
            server = new testsupport::LocalServer(QStringLiteral("ftp_server.py"),
                                                  {QStringLiteral("--root"), root->path(), QStringLiteral("--user"),
                                                   QStringLiteral("tester"), QStringLiteral("--password"), ftpPassword});
    }
    static void TearDownTestSuite()
    {
        delete std::exchange(server, nullptr);
        delete std::exchange(root, nullptr);
    }
    void SetUp() override
    {
        ASSERT_TRUE(server) << "the FTP tests need Debian's python3-pyftpdlib";
        ASSERT_NE(server->port(), 0) << server->problem().toStdString();
    }

    static inline QTemporaryDir* root = nullptr;
    static inline testsupport::LocalServer* server = nullptr;
    QTemporaryDir local;
    platform::CurlTransfer transfer;
};

struct FtpCase {
    const char* name;
    const char* remotePath;
    const char* password;
    QByteArray content; // empty: the transfer fails and writes nothing
    qint64 expected;
};

void PrintTo(const FtpCase& c, std::ostream* out) { *out << c.name; }

class FtpGet : public FtpTest, public ::testing::WithParamInterface<FtpCase> {};

TEST_P(FtpGet, fetchesTheFileAndKnowsItsSize)
{
    const FtpCase& c = GetParam();
    const QString target = local.filePath(QStringLiteral("temp.tmp"));
    auto job = transfer.ftpGet({server->address(), QStringLiteral("tester"), QString::fromLatin1(c.password)},
                               QString::fromLatin1(c.remotePath), target);
    ASSERT_TRUE(waitFor(*job));
    const bool succeeds = !c.content.isEmpty();
    EXPECT_EQ(job->succeeded(), succeeds) << job->error().toStdString();
    EXPECT_EQ(job->error().isEmpty(), succeeds);
    EXPECT_EQ(readFile(target), succeeds ? c.content : QByteArray("<missing>"));
    EXPECT_EQ(job->expectedBytes(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FtpGet,
    ::testing::Values(FtpCase{"upgrade_list", "/DENA_UPGlist.bin", "Tq4wZn7KbP", upgradeList(), 92},
                      FtpCase{"hex_file", "/QMR51v2.hex", "Tq4wZn7KbP", hexFile(), 400 * 45 + 13},
                      FtpCase{"missing_file", "/QMR51v3.hex", "Tq4wZn7KbP", {}, -1},
                      FtpCase{"wrong_password", "/QMR51v2.hex", "Tq4wZn7KbQ", {}, -1}),
    [](const ::testing::TestParamInfo<FtpCase>& info) { return std::string(info.param.name); });

// ---- the start-up download of the module images, over the same server ----

class ModuleImagesOverHttp : public HttpTest {
protected:
    void SetUp() override
    {
        HttpTest::SetUp();
        ASSERT_TRUE(QDir(local.path()).mkdir(QStringLiteral("DATA")));
        ASSERT_TRUE(writeFile(v1Path(), previous));
        ASSERT_TRUE(writeFile(v2Path(), previous));
    }
    QString v1Path() const { return local.filePath(QStringLiteral("DATA/TIKAv1.bin")); }
    QString v2Path() const { return local.filePath(QStringLiteral("DATA/TIKAv2.bin")); }
    QStringList dataFiles() const { return QDir(local.filePath(QStringLiteral("DATA"))).entryList(QDir::Files, QDir::Name); }
};

// Which answers replace an image is pinned with a fake transfer in ModuleImagesTest, and how each
// server failure ends a transfer in HttpGet above; here both together on a real server.
TEST_F(ModuleImagesOverHttp, completeImagesReplaceTheOldOnes)
{
    firmware::ModuleImages images(transfer, url(QStringLiteral("/files")), local.path());
    images.start();
    ASSERT_TRUE(images.waitForFinished(patience));
    EXPECT_EQ(readFile(v1Path()), image);
    EXPECT_EQ(readFile(v2Path()), imageV2);
    EXPECT_EQ(dataFiles(), QStringList({QStringLiteral("TIKAv1.bin"), QStringLiteral("TIKAv2.bin")}));
}

TEST_F(ModuleImagesOverHttp, startReturnsBeforeTheServerHasAnswered)
{
    firmware::ModuleImages images(transfer, url(QStringLiteral("/gated")), local.path());
    images.start();
    // The server answers only after the release below; a start() that waited for it would
    // come back finished (the transfer's own time-out) with the old images.
    EXPECT_FALSE(images.finished());
    EXPECT_EQ(readFile(v1Path()), previous);
    release(QStringLiteral("TIKAv1.bin"));
    release(QStringLiteral("TIKAv2.bin"));
    ASSERT_TRUE(images.waitForFinished(patience));
    EXPECT_EQ(readFile(v1Path()), image);
    EXPECT_EQ(readFile(v2Path()), imageV2);
}

} // namespace
