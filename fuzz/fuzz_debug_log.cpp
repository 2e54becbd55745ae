// The debug-log handling: the Read button's reading of the command-68 result, the log box's
// byte <-> text conversion and the saved file. The log is whatever the module sends; every byte
// 0 ... 255 must survive being shown and saved, and the proposed file name never holds a '/' or
// ':' whatever the caption, date and time texts hold.
//
// Input: the reply to command 68, written status byte first; the same bytes, read as UTF-16,
// also serve as text the user typed into the log box, and split in three as caption, date and time.
#include "Bytes.h"
#include "FuzzCheck.h"
#include "diagnostics/DebugLogText.h"
#include <array>

namespace {

bool isKnownMessage(const QString& text)
{
    static const std::array<QString, 6> known{
        QStringLiteral("P1 busy. Please retry"), QStringLiteral("Buffer (1200bytes) overflow"),
        QStringLiteral("P1 not connected or protocol not set correctly"), QStringLiteral("RX Length Overflow"),
        QStringLiteral("Wrong end character received"), QStringLiteral("RX timed out")};
    return std::find(known.begin(), known.end(), text) != known.end();
}

void checkReadOutcome(const QByteArray& result)
{
    if (result.isEmpty())
        return;
    const diagnostics::DebugLogReadOutcome outcome = diagnostics::interpretDebugLogResult(fakes::replyOf(result));
    FUZZ_CHECK(outcome.message.isEmpty() || isKnownMessage(outcome.message));
    FUZZ_CHECK(outcome.message.isEmpty() || outcome.appendBytes.isEmpty());
    const bool logText = !result.isEmpty() && result.at(0) == 0 && result.size() != 2;
    FUZZ_CHECK(outcome.appendBytes == (logText ? result.mid(1) : QByteArray()));
    if (result.isEmpty() || (result.at(0) == 0 && result.size() != 2))
        FUZZ_CHECK(outcome.message.isEmpty());
}

// Shown and saved again, the log is the same bytes; the file adds CR LF.
void checkRoundTrip(const QByteArray& bytes)
{
    const QString shown = diagnostics::logBytesToText(bytes);
    FUZZ_CHECK(shown.size() == bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        FUZZ_CHECK(shown.at(i).unicode() == fuzzing::byteAt(bytes, i));
}

void checkFileName(const QString& caption, const QString& date, const QString& time)
{
    const QString name = diagnostics::proposedDebugLogFileName(caption, date, time);
    FUZZ_CHECK(!name.contains(u'/') && !name.contains(u':'));
    FUZZ_CHECK(name.endsWith(QStringLiteral(".txt")));
    FUZZ_CHECK(name.contains(QStringLiteral("-debuglog-")));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = fuzzing::bytesOf(data, size);
    checkReadOutcome(bytes);
    checkRoundTrip(bytes);
    checkRoundTrip(bytes.mid(1));

    const QString typed(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
    const qsizetype third = typed.size() / 3;
    checkFileName(typed.left(third), typed.mid(third, third), typed.mid(2 * third));
    checkFileName(QString::fromLatin1(bytes), QString(), QString());
    return 0;
}
