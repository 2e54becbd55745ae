#include "EspImages.h"
#include "UpgradeFakes.h"
#include "firmware/ModuleImages.h"
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using upgradefakes::readFile;

namespace {

// The fake transfer (a URL it has no file for fails), with the two ways a server can go wrong
// after sending TIKA V1's body: announcing a size the body does not have (a proxy that cut it),
// and reporting a failure at the end. How the real transfer ends each way is pinned over a real
// server in CurlTransferTest, a cancelled download there too.
struct ImageServer : fakes::FakeFileTransfer {
    std::shared_ptr<platform::TransferJob> httpGet(const QString& url, const QString& localPath, qint64 maxBytes) override
    {
        auto job = std::static_pointer_cast<fakes::FakeTransferJob>(FakeFileTransfer::httpGet(url, localPath, maxBytes));
        if (url.endsWith("/TIKAv1.bin")) {
            job->expected = announced;
            job->ok = job->ok && !failsAtTheEnd;
        }
        return job;
    }
    qint64 announced = -1;
    bool failsAtTheEnd = false;
};

const QString v1Url = QStringLiteral("http://images.test/TIKAv1.bin"), v2Url = QStringLiteral("http://images.test/TIKAv2.bin");

// TIKA V1 gets the case under test; TIKA V2, which has no image yet, always gets a good one: a bad
// first download must not keep the second from being installed, and a missing image is created.
// Without a DATA folder nothing is fetched and the folder is not made.
TEST(ModuleImages, ReplaceAnImageOnlyWithOneTheModuleBoots)
{
    const QByteArray oldImage("old module image"), newImage = espimages::good(espimages::esp32);
    const QByteArray s3Image = espimages::good(espimages::esp32s3);
    struct Case { const char* name; QByteArray body; qint64 announced; bool failsAtTheEnd, replaces, noDataFolder = false; };
    const Case cases[] = {
        {"complete, size announced", newImage, newImage.size(), false, true},
        {"complete, no size announced", newImage, -1, false, true},
        {"not on the server", QByteArray(), -1, false, false}, // null: the server has no such file
        {"failed after part of the body", newImage.left(1000), newImage.size(), true, false},
        {"shorter than announced", newImage.left(200), newImage.size(), false, false},
        {"built for the other chip", s3Image, -1, false, false},
        {"above 16 MiB", newImage + QByteArray(16 * 1024 * 1024, '\0'), -1, false, false},
        {"no DATA folder", newImage, -1, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const QDir data(folder.filePath("DATA"));
        ASSERT_TRUE(c.noDataFolder || (data.mkpath(".") && upgradefakes::writeFile(data.filePath("TIKAv1.bin"), oldImage)));
        ImageServer server;
        if (!c.body.isNull())
            server.files[v1Url] = c.body;
        server.files[v2Url] = s3Image;
        server.announced = c.announced;
        server.failsAtTheEnd = c.failsAtTheEnd;
        {
            // Every other case names the server with a closing slash, which is ignored.
            firmware::ModuleImages images(server, (&c - cases) % 2 ? "http://images.test/" : "http://images.test", folder.path());
            images.start();
            ASSERT_TRUE(images.waitForFinished(30s));
        }
        if (c.noDataFolder) {
            EXPECT_TRUE(server.requests.isEmpty());
            EXPECT_TRUE(QDir(folder.path()).isEmpty());
            continue;
        }
        EXPECT_EQ(server.requests, QStringList({v1Url, v2Url}));
        EXPECT_EQ(readFile(data.filePath("TIKAv1.bin")), c.replaces ? c.body : oldImage);
        EXPECT_EQ(readFile(data.filePath("TIKAv2.bin")), s3Image);
        EXPECT_EQ(data.entryList(QDir::Files), QStringList({"TIKAv1.bin", "TIKAv2.bin"})) << "the temporary download files are gone";
    }
}

} // namespace
