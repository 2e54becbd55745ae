#include "QtPrinters.h"
#include "platform/DurableAppend.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

// The folder and the file are made; a line a crash cut off gets its line end before the next one;
// a file where no folder can be is refused with a reason.
TEST(DurableAppend, LinesFollowEachOtherWholeAndAPathThatCannotBeIsAnError)
{
    QTemporaryDir root;
    const QString path = root.filePath("records/2026-12.jsonl");
    EXPECT_EQ(platform::durableAppend(path, "{\"a\":1}\n"), QString());
    EXPECT_EQ(platform::durableAppend(path, "{\"b\":2}\n"), QString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite | QIODevice::Append) && file.write("{\"c\":") == 5);
    file.close();
    EXPECT_EQ(platform::durableAppend(path, "{\"d\":4}\n"), QString());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("{\"a\":1}\n{\"b\":2}\n{\"c\":\n{\"d\":4}\n"));
    EXPECT_NE(platform::durableAppend(path + "/under-a-file.jsonl", "{}\n"), QString());
}

#ifndef _WIN32
// A disk that takes only part of the line (here: a file-size limit that leaves room for 5 bytes).
TEST(DurableAppend, AWriteThatTakesOnlyPartOfTheLineIsAnError)
{
    QTemporaryDir root;
    const QString path = root.filePath("short.jsonl");
    ASSERT_EQ(platform::durableAppend(path, "0123456789\n"), QString());
    rlimit before{}, small{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    small = {16, before.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString why = platform::durableAppend(path, "abcdefghij\n");
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(why, QStringLiteral("only 5 of 11 bytes were written"));
}
#endif
