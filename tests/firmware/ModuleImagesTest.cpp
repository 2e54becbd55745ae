#include "FakePlatform.h"
#include "firmware/ModuleImages.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// The fake transfer (a URL it has no file for fails), with the two ways a server can go wrong
// after sending TIKA V1's body: announcing a size the body does not have (a proxy that cut it),
// and reporting a failure at the end. How the real transfer ends each way is pinned over a real
// server in CurlTransferTest, a cancelled download there too.
struct ImageServer : fakes::FakeFileTransfer {
    std::shared_ptr<platform::TransferJob> httpGet(const QString& url, const QString& localPath) override
    {
        auto job = FakeFileTransfer::httpGet(url, localPath);
        auto& answer = static_cast<fakes::FakeTransferJob&>(*job);
        if (url.endsWith("/TIKAv1.bin")) {
            answer.expected = announced;
            answer.ok = answer.ok && !failsAtTheEnd;
        }
        return job;
    }
    qint64 announced = -1;
    bool failsAtTheEnd = false;
};

const QString v1Url = QStringLiteral("http://images.test/TIKAv1.bin");
const QString v2Url = QStringLiteral("http://images.test/TIKAv2.bin");

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// TIKA V1 gets the case under test; TIKA V2, which has no image yet, always gets a good one: a bad
// first download must not keep the second from being installed, and a missing image is created.
TEST(ModuleImages, ReplaceAnImageOnlyWithACompleteEspImage)
{
    const QByteArray oldImage("old module image");
    const QByteArray newImage = QByteArray::fromHex("e9060230") + QByteArray(3000, '\x5a');
    const QByteArray html("<html><body>Please log in</body></html>");
    struct Case {
        const char* name;
        QByteArray body; // null: the server has no such file
        qint64 announced;
        bool failsAtTheEnd;
        bool replaces;
    };
    const Case cases[] = {
        {"complete, size announced", newImage, newImage.size(), false, true},
        {"complete, no size announced", newImage, -1, false, true},
        {"not on the server", QByteArray(), -1, false, false},
        {"failed after part of the body", newImage.left(1000), newImage.size(), true, false},
        {"an HTML page with success", html, html.size(), false, false},
        {"shorter than announced", newImage.left(2000), newImage.size(), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        ASSERT_TRUE(QDir(folder.path()).mkdir("DATA"));
        QFile old(folder.filePath("DATA/TIKAv1.bin"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write(oldImage) == oldImage.size());
        old.close();
        ImageServer server;
        if (!c.body.isNull())
            server.files[v1Url] = c.body;
        server.files[v2Url] = newImage;
        server.announced = c.announced;
        server.failsAtTheEnd = c.failsAtTheEnd;
        {
            // Every other case names the server with a closing slash, which is ignored.
            const bool slash = (&c - cases) % 2 == 1;
            firmware::ModuleImages images(server, slash ? "http://images.test/" : "http://images.test", folder.path());
            images.start();
            ASSERT_TRUE(images.waitForFinished(30s));
        }
        EXPECT_EQ(server.requests, QStringList({v1Url, v2Url}));
        EXPECT_EQ(readFile(folder.filePath("DATA/TIKAv1.bin")), c.replaces ? c.body : oldImage);
        EXPECT_EQ(readFile(folder.filePath("DATA/TIKAv2.bin")), newImage);
        EXPECT_EQ(QDir(folder.filePath("DATA")).entryList(QDir::Files), QStringList({"TIKAv1.bin", "TIKAv2.bin"}))
            << "the temporary download files are gone";
    }
}

TEST(ModuleImages, AMissingDataFolderIsNotCreated)
{
    ImageServer server;
    server.files[v1Url] = "\xe9";
    QTemporaryDir bare;
    firmware::ModuleImages images(server, "http://images.test", bare.path());
    images.start();
    ASSERT_TRUE(images.waitForFinished(30s));
    EXPECT_TRUE(server.requests.isEmpty());
    EXPECT_TRUE(QDir(bare.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

} // namespace
