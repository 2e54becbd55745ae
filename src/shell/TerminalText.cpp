#include "shell/TerminalText.h"

namespace shell {

QByteArray escapedForTerminal(const QByteArray& bytes, LineFeeds lineFeeds)
{
    static constexpr char kHexDigits[] = "0123456789abcdef";
    QByteArray text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\n' && lineFeeds == LineFeeds::Kept)
            text += '\n';
        else if (byte == '\n')
            text += "\\n";
        else if (byte == '\r')
            text += "\\r";
        else if (byte == '\t')
            text += "\\t";
        else if (byte == '\\')
            text += "\\\\";
        else if (byte >= 0x20 && byte < 0x7F)
            text += c;
        else
            text += QByteArray("\\x") + kHexDigits[byte >> 4] + kHexDigits[byte & 0x0F];
    }
    return text;
}

} // namespace shell
