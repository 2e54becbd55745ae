#pragma once
#include <QByteArray>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// An invariant of a fuzz target. A broken one aborts, which libFuzzer reports as a crash and keeps
// the input that broke it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzzing {

// The fuzz input as a byte string that owns its bytes: a QByteArray built with fromRawData would
// read libFuzzer's buffer, but the code under test may keep what it was given.
inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

inline std::uint8_t byteAt(const QByteArray& bytes, qsizetype index)
{
    return static_cast<std::uint8_t>(bytes.at(index));
}

} // namespace fuzzing
