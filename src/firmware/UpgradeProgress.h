#pragma once
#include <QtGlobal>

namespace firmware {

// What the progress bar (0 .. 100) shows during the phases of an upgrade. Every value is clamped
// to 0 .. 100, so a clock that jumped (midnight, a slow pass) never makes the bar run backwards
// past zero or over the top.

// The smaller of two values.
double Min(double a, double b);

// A timed wait shown as a bar that rises from 0 to 100: 100 - Min(left / total * 100, 100).
// Zero or fewer seconds left is 100; a totalSeconds of zero or less is 100 as well.
int countdownPercent(double secondsLeft, double totalSeconds);

// One pass of the version-list poll: +5, and back to 0 once the bar has reached 99, so the user
// sees the tool is alive while the server answers.
int nextPollPercent(int percent);

// The HEX download on 10 .. 90. With the size the server announced (expectedBytes >= 0):
// 10 + 80 * received / expected. Without one: a creep with time, half-way after 2.5 s, that
// never reaches 90 before the download is over.
int downloadPercent(qint64 receivedBytes, qint64 expectedBytes, double elapsedSeconds);

// The block transfer: Min(block / count * 100, 100); 100 when count is 0.
int blockPercent(int block, int count);

} // namespace firmware
