#pragma once
#include "device/DeviceKind.h"
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace device {

// The settings a device keeps itself, as the settings frame of the window shows them, and the
// bytes they travel as: read inside the identification answer (command 86), written with the
// settings command 66. The tool holds no copy on disk.

// The output function lists hold 14 quantities ("Import High" ... "Export Power >"); the wire value
// is the list position. Only the last one, "Export Power >", lets the power difference go above the
// power level: exporting, the difference is a separate threshold, not a band below the level.
inline constexpr int kOutputFunctionCount = 14;
inline constexpr int kExportPowerFunction = 13;
// Highest power difference the device accepts; a read difference of 32768 or more means "not set".
inline constexpr int kMaxPowerDiffW = 32767;
// A "not set" difference is shown as this value.
inline constexpr int kUnsetPowerDiffShownW = 100;
// Reply length (the closing '#' included) from which a TIKA answer carries the four delay bytes.
inline constexpr int kTikaDelaysMinReplyLength = 33;

// Values of the settings controls. Every value is what the control holds; the builders below take
// each single-byte value as 0 ... 255 and each power value as 0 ... 65535 (clamped, never wrapped,
// so an out-of-range control cannot send a wildly different setting).
struct SettingsRecord {
    int protocolPosition = 0;            // cmbProtocol list position (protocol table)
    int intervalSeconds = 60;            // QMR51 refresh interval; a TIKA keeps none
    int modbusAddress = 1;               // TIKA only; 0 means no Modbus
    std::array<int, 2> divider{10, 10};  // pulse divider of Out 1, Out 2 (QMR51: [0] only)
    std::array<int, 2> outputFunction{}; // cmbOutSelector list position of Out 1, Out 2
    std::array<int, 2> powerLevelW{};    // Out 1, Out 2
    std::array<int, 2> powerDiffW{};     // Out 1, Out 2
    std::array<int, 4> delayMinutes{};   // on, off of Out 1; on, off of Out 2
};

// ---- Protocol table: cmbProtocol list position <-> wire values --------------------------------
// Positions: 0 "2.0 (NL)", 1 "4.0 (NL)", 2 "5.0 (NL)", 3 "BE", 4 "DK", 5 "A1" (4 and 5 TIKA only).

// TIKA protocol code for a list position: 2, 4, 5, 6, 7, 8; any other position gives 6 (BE).
std::uint8_t tikaProtocolCode(int listPosition);
// List position for a TIKA protocol code; an unknown code selects 3 (BE).
int tikaProtocolPosition(int code);

// A QMR51 stores the country (1 = Netherlands, 2 = Belgium) and the Dutch DSMR version apart.
struct QmrProtocol {
    std::uint8_t country;
    std::uint8_t code;
};
// Country and code for a list position; any position but 0 ... 2 gives Belgium (2, 5).
QmrProtocol qmrProtocol(int listPosition);
// List position for a QMR51 country and code: any country but 1 is BE (3) whatever the code;
// in the Netherlands code 2 is position 0, code 4 position 1, every other code position 2.
int qmrProtocolPosition(int country, int code);

// ---- Command 66 payloads -----------------------------------------------------------------------

// True when a TIKA firmware a.b.c.d takes the four delay bytes (18-byte payload): every version
// from 24.0 on except the 24.1 line, which predates the delays.
bool tikaTakesDelays(const std::array<std::uint8_t, 4>& fwVersion);
// QMR51: interval, country, protocol code, divider of Out 1 (4 bytes).
QByteArray qmrSettingsPayload(const SettingsRecord& settings);
// TIKA: protocol code, Modbus address, dividers, functions, then level and difference of Out 1 and
// Out 2 as 16-bit values (high byte first); the four delays follow when the firmware takes them.
// 14 or 18 bytes.
QByteArray tikaSettingsPayload(const SettingsRecord& settings, const std::array<std::uint8_t, 4>& fwVersion);
// The payload for the connected kind (a TIKA module or a QMR51).
QByteArray settingsPayload(const SettingsRecord& settings, DeviceKind kind,
                           const std::array<std::uint8_t, 4>& fwVersion);

// ---- Read-back from the identification answer ---------------------------------------------------
// The read-back fills the window's controls in a fixed order, using whatever bounds the controls
// have at that moment; these helpers give the raw fields and the rules, the caller supplies bounds.
// `reply` is the reply bytes of command 86 (data first), already accepted by identifyDevice, so
// every field read here lies inside it (a byte beyond the reply would read 0).

// QMR51 fields: interval (seconds), cmbProtocol position, divider.
struct QmrReadBack {
    int intervalSeconds;
    int protocolPosition;
    int divider;
};
QmrReadBack qmrReadBack(const QByteArray& reply);

// Raw TIKA fields of one output (0 = Out 1, 1 = Out 2).
struct TikaOutputBytes {
    int function;      // list position as sent; >= kOutputFunctionCount is invalid
    int divider;
    int powerLevelW;   // 0 ... 65535
    int powerDiffW;    // 0 ... 65535; 32768 and up = not set
    bool hasDelays;    // the answer is long enough for the delay bytes
    int delayOnMinutes;  // 0 when !hasDelays
    int delayOffMinutes; // 0 when !hasDelays
};
TikaOutputBytes tikaOutputBytes(const QByteArray& reply, int output);
// cmbProtocol position from a TIKA answer.
int tikaProtocolPositionOf(const QByteArray& reply);
// Modbus address from a TIKA answer.
int tikaModbusAddress(const QByteArray& reply);

// The read-back rules, given the bounds in force on the control:
// a divider above the upper bound falls back to 1 (one output pulse per input pulse);
int dividerShown(int dividerByte, int upperBound);
// a level at or above the upper bound becomes the upper bound;
int powerLevelShown(int levelW, int upperBound);
// the difference may rise to 32767 for "Export Power >", otherwise up to the level just set;
int powerDiffUpperBound(int function, int levelShownW);
// a "not set" difference (32768 and up) shows 100; otherwise it is capped at the upper bound;
int powerDiffShown(int diffW, int upperBound);
// a delay above the upper bound becomes the upper bound.
int delayShown(int delayMinutes, int upperBound);

} // namespace device
