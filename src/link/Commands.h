#pragma once
#include <QByteArray>
#include <cstdint>

namespace comlink {

// The devices' command bytes. A reply's marker is the command byte + 1.
enum Command : std::uint8_t {
    kReadReadings = 64,   // '@' meter readings
    kWriteSettings = 66,  // 'B' settings record, acknowledged with "*U#"
    kReadDebugLog = 68,   // 'D' debug log, long reply with a two-byte length
    kIdentify = 86,       // 'V' version, settings and serial number
    kSetInput1 = 133,     // preset pulse counter 1
    kSetInput2 = 134,     // preset pulse counter 2
    kFirmwareBlock = 208, // one 128-byte image block, acknowledged
    kFirmwareClose = 210, // closing frame of an upgrade, acknowledged
};

// How an exchange ended (the status of a Reply).
enum Status : std::uint8_t {
    kOk = 0,
    kLengthOverflow = 250,  // a debug log announced more than 1535 bytes
    kWrongEnd = 251,        // a complete frame that did not end in '#'
    kTimedOut = 252,        // nothing complete before the deadline (also: the port failed)
    kNotAcknowledged = 255, // bytes came back, but not "*U#"
};

// What came back for a request: how the exchange ended, and the reply bytes. For a standard reply
// the bytes are everything from the first data byte on, as it arrived: the data, the frame's
// closing '#' and whatever followed it (a reply is read by its announced length, and the device
// kind is told by the whole answer's length). A TIKA module's readings carry a status byte of their
// own: that byte is the status, the bytes behind it the data. A debug log is its data alone.
//
// The outcome says what became of the request, the one thing a flow acts on: the status byte keeps
// the device's own rule (a settings answer is always 252, acknowledged or not) and is what a
// message quotes.
enum class Outcome : std::uint8_t {
    Answered,     // a whole reply with status 0
    Acknowledged, // "*U#" came back (settings, firmware frames)
    Refused,      // bytes came back, but not the acknowledgement
    DeviceStatus, // a whole reply whose own status byte is not 0 (a TIKA module's readings)
    Malformed,    // a reply against the frame rules: a wrong end byte, an overlong debug log
    NoAnswer,     // nothing whole before the deadline
    LineLost,     // the port failed under the request (an unplugged adapter)
};
struct Reply {
    std::uint8_t status = kTimedOut;
    QByteArray data;
    Outcome outcome = Outcome::NoAnswer;
    bool ok() const { return status == kOk; }
    bool operator==(const Reply&) const = default;
};

// Whether a standard reply's first data byte is a status of the device's own: a TIKA module's
// readings start with one, every other reply is data only. The one who asks knows which it is.
enum class ReplyForm : std::uint8_t { DataOnly, StatusFirst };

inline constexpr char kFrameStart = '*';
inline constexpr char kFrameEnd = '#';
inline constexpr double kReplySeconds = 0.8;      // the device answers within 0.8 s
inline constexpr double kLongReplySeconds = 0.5;  // after the debug log header: 0.5 s for the rest
inline constexpr int kLongReplyMaxHigh = 5;        // 5 * 256 + 255 = 1535 bytes at most

} // namespace comlink
