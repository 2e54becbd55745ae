#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace firmware {

// What the Intel HEX loader made of a firmware file.
struct HexImage {
    // Index i holds the byte for device address i (segment base + 16-bit record address);
    // 0xFF wherever no record wrote. Ends at the highest address written plus one.
    QByteArray image;
    // True when every record line read had a right checksum and the end-of-file record ":..01.."
    // was reached. A file cut short by an interrupted download is therefore never clean.
    bool clean = false;
    // Empty unless the file was refused; then `image` is empty and this is a sentence for the
    // user (which line, and why). The caller shows it.
    QString refusal;
    // The loader's warnings in the order the lines gave them, each for a message box the user
    // confirms. The image is loaded all the same (see hexFileToImage).
    QStringList warnings;
};

// A record line holds at most 253 characters: the QMR51 tools of old counted line positions in
// 8 bits, and every firmware published for the device keeps to it.
inline constexpr int kMaxHexLineChars = 253;
// No QMR51 image comes anywhere near this; a bigger one means a wrong or damaged file.
inline constexpr qsizetype kMaxHexImageBytes = 1024 * 1024;
// With skipBootLoader, records whose own 16-bit address lies above this are left out: the boot loader of
// the QMR51 lives there and must not be overwritten by an upgrade.
inline constexpr std::uint16_t kLastApplicationAddress = 0x7FFF;

// Reads the Intel HEX file at path into one flat image. Records are read by fixed positions:
// type 00 data is loaded (a wrong checksum warns but the data is loaded), 01 ends reading (later
// lines are never read), 02 sets the segment base (not applied when its checksum is wrong),
// 03/04/05 are ignored silently, any other type warns and is skipped. The three warnings keep
// their fixed Dutch/English texts. With skipBootLoader, a data record whose own
// address (without segment base) is above 0x7FFF is skipped; one starting at or below it is
// loaded whole. Lines end in LF or CR LF; empty lines are skipped.
// Refused (empty image, `refusal` set): a file that cannot be opened, a character other than a
// hex digit after the start character, a line longer than 253 characters, a line shorter than
// its fields (11 characters, a data record's count, a segment record's 4 digits), a segment base
// from 0x8000 up, an image that would pass 1 MiB.
HexImage hexFileToImage(const QString& path, bool skipBootLoader);

// A file may hold a warning on every line; nobody reads a thousand message boxes, and a hostile
// file could raise a million. The user is shown the first kShownHexWarnings of `warnings` as they
// are and, when there are more, one more line that counts the rest.
inline constexpr int kShownHexWarnings = 5;
QStringList hexWarningsToShow(const QStringList& warnings);

// The same conversion on HEX text already in memory (a download buffer, a test table).
HexImage hexTextToImage(const QByteArray& text, bool skipBootLoader);

// Two upper-case hex digits: the two's complement (mod 256) of the sum of the digit pairs from
// position 2 (after the start character) to the end of the line, its own checksum pair included,
// so a right line gives "00". On a line of odd length the last pair is a single digit.
QString lineChecksum(QByteArrayView line);

// Value of a text of at most two hex digits (upper or lower case). Characters are not validated,
// as on the device tools of old: any other character counts as its code - 48 ("G" is 23).
// Results outside 0..255 wrap modulo 256, so only the last two characters matter.
std::uint8_t hexByte(QByteArrayView text);

} // namespace firmware
