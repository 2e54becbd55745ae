#include "shell/PortErrorText.h"
#include <gtest/gtest.h>

// A text names the port and the node that was tried, says in the port's own words what went wrong
// (Permission denied, no such port, ...) and what to do: when the port cannot be opened, when it
// stops answering, when it is still open from the last attempt.
TEST(PortTexts, NameThePortItsNodeAndWhatToDo)
{
    struct Text { int port; const char* listedPath; const char* lastError; const char* start; const char* advice; };
    const Text cases[] = {
        {3, "/dev/ttyUSB0", "/dev/ttyUSB0: Permission denied", "COM3 (/dev/ttyUSB0) cannot be opened: permission denied.",
         "run  sudo usermod -aG dialout $USER  then log out and in again."},
        {3, "", "/dev/ttyS0: Operation not permitted", "COM3 (/dev/ttyS0) cannot be opened: permission denied.", ""},
        // Qt's lock file held by another program is a busy port, not a group membership.
        {3, "/dev/ttyUSB0", "/dev/ttyUSB0: Permission error while locking the device",
         "COM3 (/dev/ttyUSB0) cannot be opened: another program is using it.", "press Open again."},
        {3, "", "/dev/ttyACM0: Device or resource busy", "COM3 (/dev/ttyACM0) cannot be opened: another program", ""},
        {12, "", "COM12: no such port", "COM12 cannot be opened: there is no such device.", "then press Scan."},
        {12, "", "/dev/ttyUSB3: No such file or directory", "COM12 (/dev/ttyUSB3) cannot be opened: there is no such", ""},
        {4, "/dev/ttyACM0", "/dev/ttyACM0: No such device or address",
         "COM4 (/dev/ttyACM0) cannot be opened: the device has gone", "Plug it in again, then press Scan."},
        {4, "", "/dev/pts/4: the line has hung up", "COM4 (/dev/pts/4) cannot be opened: the device has gone", ""},
        {4, "", "/dev/ttyUSB0: Input/output error", "COM4 (/dev/ttyUSB0) cannot be opened: the device has gone", ""},
        {4, "/dev/ttyACM0", "/dev/ttyACM0: Inappropriate ioctl for device",
         "COM4 (/dev/ttyACM0) cannot be opened: Inappropriate ioctl for device.", ""},
        // The node tried is named, even when the listing has another one for the number by now.
        {5, "/dev/ttyUSB1", "/dev/ttyUSB0: Permission denied", "COM5 (/dev/ttyUSB0) cannot be opened: permission", ""},
    };
    for (const Text& c : cases) {
        const QString text = shell::portOpenFailedText(c.port, c.listedPath, c.lastError);
        EXPECT_TRUE(text.startsWith(QString::fromLatin1(c.start))) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QString::fromLatin1(c.advice))) << text.toStdString();
    }
    EXPECT_EQ(shell::portOpenFailedText(6, "", ""), "COM6 cannot be opened.");

    EXPECT_EQ(shell::portLostText(7, {}, "/dev/pts/3: the line has hung up"),
              QStringLiteral("COM7 (/dev/pts/3) stopped answering: the device was unplugged or switched off (the line "
                             "has hung up). Plug it in again, then press Scan."));
    EXPECT_TRUE(shell::portStillOpenText(7, "/dev/pts/3").startsWith("COM7 (/dev/pts/3) is still open from the last attempt."));
}
