#include "FakePlatform.h"
#include "firmware/ModuleImages.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// The fake transfer (a URL it has no file for fails), with the two ways a server can go wrong
// after sending a body: announcing a size the body does not have (a proxy that cut or padded it),
// and reporting a failure at the end. How the real transfer ends each way is pinned over a real
// server in CurlTransferTest; closing during a download there too.
class ImageServer : public fakes::FakeFileTransfer {
public:
    std::shared_ptr<platform::TransferJob> httpGet(const QString& url, const QString& localPath) override
    {
        auto job = FakeFileTransfer::httpGet(url, localPath);
        auto& answer = static_cast<fakes::FakeTransferJob&>(*job);
        answer.expected = announced.value(url, answer.expected);
        answer.ok = answer.ok && !failsAtTheEnd.contains(url);
        return job;
    }
    QMap<QString, qint64> announced;
    QStringList failsAtTheEnd;
};

const QString v1Url = QStringLiteral("http://images.test/TIKAv1.bin");
const QString v2Url = QStringLiteral("http://images.test/TIKAv2.bin");
const QByteArray oldImage("old module image");
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

// TIKA V1 gets the case under test; TIKA V2 always gets a good image, so a bad first download
// must not keep the second from being installed.
TEST(ModuleImages, ReplaceAnImageOnlyWithACompleteEspImage)
{
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
        {"a single magic byte", QByteArray("\xe9", 1), 1, false, true},
        {"not on the server", QByteArray(), -1, false, false},
        {"failed after part of the body", newImage.left(1000), newImage.size(), true, false},
        {"empty answer", QByteArray(""), 0, false, false},
        {"an HTML page with success", html, html.size(), false, false},
        {"shorter than announced", newImage.left(2000), newImage.size(), false, false},
        {"longer than announced", newImage, 100, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        ASSERT_TRUE(QDir(folder.path()).mkdir("DATA"));
        writeFile(folder.filePath("DATA/TIKAv1.bin"), oldImage);
        writeFile(folder.filePath("DATA/TIKAv2.bin"), oldImage);
        ImageServer server;
        if (!c.body.isNull())
            server.files[v1Url] = c.body;
        server.announced[v1Url] = c.announced;
        if (c.failsAtTheEnd)
            server.failsAtTheEnd.append(v1Url);
        server.files[v2Url] = newImage;
        {
            firmware::ModuleImages images(server, "http://images.test/", folder.path());
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

TEST(ModuleImages, AMissingImageIsCreatedButAMissingDataFolderIsNot)
{
    ImageServer server;
    server.files[v2Url] = newImage;
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir("DATA"));
    {
        firmware::ModuleImages images(server, "http://images.test", folder.path());
        images.start();
        ASSERT_TRUE(images.waitForFinished(30s));
    }
    EXPECT_EQ(readFile(folder.filePath("DATA/TIKAv2.bin")), newImage);
    EXPECT_EQ(QDir(folder.filePath("DATA")).entryList(QDir::Files), QStringList({"TIKAv2.bin"}));

    ImageServer other;
    other.files[v1Url] = newImage;
    QTemporaryDir bare;
    firmware::ModuleImages images(other, "http://images.test", bare.path());
    images.start();
    ASSERT_TRUE(images.waitForFinished(30s));
    EXPECT_TRUE(other.requests.isEmpty());
    EXPECT_TRUE(QDir(bare.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

} // namespace
