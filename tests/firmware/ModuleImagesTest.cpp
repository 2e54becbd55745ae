#include "firmware/ModuleImages.h"
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

// What the module-image server does for one URL.
struct Reply {
    QByteArray body;       // written to the local file, even when the transfer then fails
    bool succeeded = true;
    qint64 announced = -1; // Content-Length, -1 for none
    bool writesFile = true;
};

class ScriptedJob : public platform::TransferJob {
public:
    bool finished() const override { return done; }
    bool succeeded() const override { return done && ok; }
    qint64 bytesReceived() const override { return bytes; }
    qint64 expectedBytes() const override { return expected; }
    QString error() const override { return {}; }
    void cancel() override
    {
        cancelled = true;
        done = true;
    }
    std::atomic<bool> done = false;
    std::atomic<bool> ok = false;
    std::atomic<bool> cancelled = false;
    std::atomic<qint64> bytes = 0;
    std::atomic<qint64> expected = -1;
};

// Answers each URL from a table, at once or, while gated, only when the test releases it.
// Called from the downloader's worker thread.
class ScriptedTransfer : public platform::FileTransfer {
public:
    std::shared_ptr<platform::TransferJob> ftpGet(const platform::FtpAccount&, const QString&, const QString&) override
    {
        ADD_FAILURE() << "module images come over HTTP";
        return nullptr;
    }
    std::shared_ptr<platform::TransferJob> httpGet(const QString& url, const QString& localPath) override
    {
        std::lock_guard lock(mutex);
        requests.append(url);
        auto job = std::make_shared<ScriptedJob>();
        lastJob = job;
        if (gated)
            waiting.append({job, replies.value(url, Reply{{}, false, -1, false}), localPath});
        else
            deliver(job, replies.value(url, Reply{{}, false, -1, false}), localPath);
        return job;
    }
    void release()
    {
        std::lock_guard lock(mutex);
        for (const Pending& p : waiting)
            deliver(p.job, p.reply, p.localPath);
        waiting.clear();
    }
    QStringList requestsMade()
    {
        std::lock_guard lock(mutex);
        return requests;
    }

    QMap<QString, Reply> replies;
    bool gated = false;
    std::shared_ptr<ScriptedJob> lastJob;

private:
    struct Pending {
        std::shared_ptr<ScriptedJob> job;
        Reply reply;
        QString localPath;
    };
    static void deliver(const std::shared_ptr<ScriptedJob>& job, const Reply& reply, const QString& localPath)
    {
        if (job->cancelled)
            return;
        if (reply.writesFile) {
            QFile out(localPath);
            if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
                out.write(reply.body);
        }
        job->bytes = reply.body.size();
        job->expected = reply.announced;
        job->ok = reply.succeeded;
        job->done = true;
    }
    std::mutex mutex;
    QStringList requests;
    QList<Pending> waiting;
};

const QString v1Url = QStringLiteral("http://images.test/TIKAv1.bin");
const QString v2Url = QStringLiteral("http://images.test/TIKAv2.bin");
const QByteArray oldImage = QByteArray::fromHex("e9030220") + QByteArray("old module image");
const QByteArray newImage = QByteArray::fromHex("e9060230") + QByteArray(3000, '\x5a');

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

class ModuleImagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("DATA")));
        writeFile(v1Path(), oldImage);
        writeFile(v2Path(), oldImage);
    }
    QString v1Path() const { return folder.path() + QStringLiteral("/DATA/TIKAv1.bin"); }
    QString v2Path() const { return folder.path() + QStringLiteral("/DATA/TIKAv2.bin"); }
    QStringList dataFiles() const { return QDir(folder.path() + QStringLiteral("/DATA")).entryList(QDir::Files, QDir::Name); }
    void runToEnd(firmware::ModuleImages& images)
    {
        images.start();
        ASSERT_TRUE(images.waitForFinished(30s));
    }

    QTemporaryDir folder;
    ScriptedTransfer transfer;
};

TEST_F(ModuleImagesTest, asksForTikaV1ThenTikaV2UnderTheBaseUrl)
{
    firmware::ModuleImages images(transfer, QStringLiteral("http://images.test/"), folder.path());
    runToEnd(images);
    EXPECT_EQ(transfer.requestsMade(), QStringList({v1Url, v2Url}));
}

struct DownloadCase {
    const char* name;
    Reply reply;
    bool replaces;
};

void PrintTo(const DownloadCase& c, std::ostream* out) { *out << c.name; }

class ModuleImageDownload : public ModuleImagesTest, public ::testing::WithParamInterface<DownloadCase> {};

// TIKA V1 gets the case under test; TIKA V2 always gets a good image, so a bad first download
// must not keep the second from being installed.
TEST_P(ModuleImageDownload, replacesTheImageOnlyWithACompleteEspImage)
{
    transfer.replies[v1Url] = GetParam().reply;
    transfer.replies[v2Url] = Reply{newImage, true, newImage.size()};
    firmware::ModuleImages images(transfer, QStringLiteral("http://images.test"), folder.path());
    runToEnd(images);

    EXPECT_EQ(readFile(v1Path()), GetParam().replaces ? GetParam().reply.body : oldImage);
    EXPECT_EQ(readFile(v2Path()), newImage);
    EXPECT_EQ(dataFiles(), QStringList({QStringLiteral("TIKAv1.bin"), QStringLiteral("TIKAv2.bin")}))
        << "the temporary download files are gone";
}

const QByteArray htmlPage("<html><body>Please log in</body></html>");

INSTANTIATE_TEST_SUITE_P(
    Cases, ModuleImageDownload,
    ::testing::Values(
        DownloadCase{"complete_with_announced_size", Reply{newImage, true, newImage.size()}, true},
        DownloadCase{"complete_without_announced_size", Reply{newImage, true, -1}, true},
        DownloadCase{"single_magic_byte", Reply{QByteArray("\xe9", 1), true, 1}, true},
        DownloadCase{"server_said_not_found", Reply{{}, false, -1, false}, false},
        DownloadCase{"failed_after_part_of_the_body", Reply{newImage.left(1000), false, newImage.size()}, false},
        DownloadCase{"empty_answer", Reply{{}, true, 0}, false},
        DownloadCase{"html_page_with_success", Reply{htmlPage, true, htmlPage.size()}, false},
        DownloadCase{"wrong_first_byte", Reply{QByteArray::fromHex("e8060230aabbcc"), true, 7}, false},
        DownloadCase{"shorter_than_announced", Reply{newImage.left(2000), true, newImage.size()}, false},
        DownloadCase{"longer_than_announced", Reply{newImage, true, 100}, false}),
    [](const ::testing::TestParamInfo<DownloadCase>& info) { return std::string(info.param.name); });

TEST_F(ModuleImagesTest, aGoodDownloadCreatesAMissingImage)
{
    QFile::remove(v2Path());
    transfer.replies[v2Url] = Reply{newImage, true, newImage.size()};
    firmware::ModuleImages images(transfer, QStringLiteral("http://images.test"), folder.path());
    runToEnd(images);
    EXPECT_EQ(readFile(v2Path()), newImage);
    EXPECT_EQ(readFile(v1Path()), oldImage);
}

TEST_F(ModuleImagesTest, withoutADataFolderNothingIsFetchedOrCreated)
{
    QTemporaryDir bare;
    transfer.replies[v1Url] = Reply{newImage, true, newImage.size()};
    firmware::ModuleImages images(transfer, QStringLiteral("http://images.test"), bare.path());
    runToEnd(images);
    EXPECT_TRUE(transfer.requestsMade().isEmpty());
    EXPECT_TRUE(QDir(bare.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

// Closing the tool while the server hangs must neither wait for the server nor leave half a file.
TEST_F(ModuleImagesTest, closingDuringAHangingDownloadCancelsItAndKeepsTheOldImage)
{
    transfer.gated = true;
    transfer.replies[v1Url] = Reply{newImage, true, newImage.size()};
    {
        firmware::ModuleImages images(transfer, QStringLiteral("http://images.test"), folder.path());
        images.start();
        for (int pass = 0; pass < 3000 && transfer.requestsMade().isEmpty(); ++pass)
            std::this_thread::sleep_for(10ms);
        ASSERT_EQ(transfer.requestsMade(), QStringList({v1Url}));
    }
    ASSERT_TRUE(transfer.lastJob);
    EXPECT_TRUE(transfer.lastJob->cancelled);
    transfer.release(); // a late answer after the close changes nothing
    EXPECT_EQ(transfer.requestsMade(), QStringList({v1Url})) << "TIKA V2 is not started after the close";
    EXPECT_EQ(readFile(v1Path()), oldImage);
    EXPECT_EQ(dataFiles(), QStringList({QStringLiteral("TIKAv1.bin"), QStringLiteral("TIKAv2.bin")}));
}

} // namespace
