#pragma once
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

} // namespace fakes
