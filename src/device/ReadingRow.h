#pragma once
#include <QtGlobal>
#include <array>
#include <cstdint>

namespace device {

// How the four bytes of a value field are read. The TIKA V2 sends whole numbers (unsigned 32-bit);
// the QMR51 and the TIKA V1 send IEEE single-precision numbers. Both most significant byte first.
enum class FieldEncoding : std::uint8_t { Float32, UInt32 };

// Tariff named in the grid. None for a TIKA V2 (it reports no tariff) and for rows without values.
enum class Tariff : std::uint8_t { None, Low, High };

// One row of the readings grid, kept as the raw reply fields so that the grid, a running log of
// every poll since the connect, costs 64 bytes per row; the cell texts are made on demand
// (ReadingFormat) in the user's locale.
struct ReadingRow {
    // The moment the reply arrived, milliseconds since the epoch; shown in local time.
    qint64 takenAtMsecs = 0;
    // The thirteen value fields as 32-bit patterns (field k at index k - 1). Only the first
    // completeFields of them hold data.
    std::array<quint32, 13> fields{};
    // Status of the reply: 0 readings valid, 1 meter port busy, 2 overflow, 3 meter port error;
    // any other value (e.g. 252 time-out) means no reply worth showing: date and time only.
    std::uint8_t status = 0;
    // Fields the reply held in full (0 ... 13); 0 whenever status is not 0.
    std::uint8_t completeFields = 0;
    FieldEncoding encoding = FieldEncoding::Float32;
    Tariff tariff = Tariff::None;
};

inline constexpr int kReadingFieldCount = 13;
static_assert(sizeof(ReadingRow) == 64, "a grid row is meant to stay at 64 bytes");

} // namespace device
