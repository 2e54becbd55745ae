#pragma once
#include "link/Commands.h"
#include <QByteArray>
#include <initializer_list>

namespace fakes {

// Byte strings written as numbers, the way the device's frames are documented: bytes({42, 86, 35}).
inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(values.size()));
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

// A reply written the way a device's answers are listed: the status byte first, then the bytes.
inline comlink::Reply replyOf(const QByteArray& statusThenBytes)
{
    return {static_cast<std::uint8_t>(statusThenBytes.at(0)), statusThenBytes.mid(1)};
}

// The same notation back: the status byte, then the reply bytes.
inline QByteArray statusThenBytes(const comlink::Reply& reply)
{
    return QByteArray(1, static_cast<char>(reply.status)) + reply.data;
}

} // namespace fakes
