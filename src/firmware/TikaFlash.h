#pragma once
#include "device/UnitAttempt.h"
#include "firmware/FlashScript.h"
#include "firmware/UpgradeHost.h"
#include "platform/Programs.h"
#include <QString>
#include <cstdint>
#include <optional>

namespace device {
class Session;
}

namespace firmware {

class EsptoolOutput;

// The TIKA side of an upgrade. The tool does not flash a module itself: esptool does, through a
// script written into the program folder (see FlashScript). esptool resets the module into its
// ROM boot loader over the serial line, writes boot_app0, the boot loader, the partition table and
// the application image, verifies what it wrote ("Hash of data verified.") and resets the module
// into the new firmware.
//
// esptool needs the serial port for itself, so the tool closes it first and takes it back only
// after esptool has ended: at 115200 baud a 1 MB image takes about a minute. Then the module boots
// its new firmware, silent and deaf meanwhile; it is asked who it is every 0.25 s until it answers,
// so the tool goes on the moment the module is up instead of after a fixed wait.
class TikaFlash {
public:
    // How a flash ended. Only Flashed means the module runs the new image: esptool exited 0 after
    // verifying every byte it wrote.
    enum class Outcome {
        Flashed,
        Refused,    // the image is no image this module can boot: nothing ran, the module is untouched
        NotRun,     // no script, no esptool or no port: nothing was started, the module is untouched
        Failed,     // esptool ended with a non-zero exit status or could not be started
        TimedOut,   // esptool was still running after kLimitSeconds and was stopped
        Stopped,    // the user closed the progress window and said Yes to stopping; esptool was stopped
    };

    // How a flash ended, and what the user was told about it (empty after a good flash).
    struct Result {
        Outcome outcome = Outcome::NotRun;
        QString message;
        // Milliseconds from esptool's end to the module's first whole answer; -1 when it did not
        // answer within the boot wait (or was not asked: the flash did not end well).
        int reconnectMs = -1;
    };

    // Until esptool reports a percentage, the bar rises over this long.
    static constexpr double kBarSeconds = 20.0;
    // How long a module may take to answer after esptool's hard reset, unless set otherwise.
    static constexpr double kBootWaitSeconds = 20.0;
    // How often a booting module is asked who it is; also how long each answer is waited for.
    static constexpr double kAskSeconds = 0.25;
    // A flash that takes longer than this has hung (a 4 MB image at 115200 baud takes about 4
    // minutes with compression; the TIKA images are far smaller).
    static constexpr double kLimitSeconds = 300.0;

    // The flash of the module kind the session knows (a TIKA V1 when it knows none) on the
    // session's port, with esptool started through `programs` in programFolder.
    TikaFlash(device::Session& session, platform::Programs& programs, QString programFolder, UpgradeHost& host);

    // For modules whose first start takes longer than kBootWaitSeconds (seconds above 0).
    void setBootWaitSeconds(double seconds) { bootWaitSeconds_ = seconds; }

    // The module image DATA/TIKAv1.bin (TIKAv2.bin) in the program folder, and a sentence for the
    // technician when it is not there (nothing can be flashed then); empty when it is.
    QString imageFile() const;
    QString missingImage() const;
    // Why the image at imagePath (as for run()) must not go on this module, in a sentence for the
    // technician: it cannot be read, or it is no image the module's chip boots (see
    // espImageProblem). Empty when it may be flashed.
    QString imageRefusal(const QString& imagePath = {}) const;

    // The TIKA branch of an upgrade once the image is there. An image that imageRefusal() refuses
    // is told to the user and nothing else happens (Refused: the port stays as it was, no script,
    // no esptool). Otherwise the port is closed, the progress window shows the flash and
    // flashModule runs. The caller connects again afterwards.
    // imagePath: another image than the module image (absolute, or relative to the program
    // folder); empty for the module image.
    Result run(const QString& imagePath = {});

    // Writes the script for COM<portNumber> and imagePath (relative to the program folder), runs
    // it with the main window disabled, shows esptool's progress and its last line, and waits
    // until it has ended (at most kLimitSeconds). After a good flash the module is asked who it is
    // until it answers or the boot wait is over (the progress window says it waits for the module;
    // closing it ends the wait); the port is closed again afterwards. Every failure is told to the
    // user with esptool's exit status and its "A fatal error occurred" line (or its last lines).
    // The progress window is unloaded and the main window enabled again, whatever happens. The
    // serial port must be closed.
    Result flashModule(std::uint8_t portNumber, const QString& imagePath);

private:
    // The script for this system, or nothing with the reason in `problem`.
    std::optional<FlashScript> prepareScript(std::uint8_t port, const QString& imagePath, QString& problem);
    // Empty when the script is on disk, else why not.
    QString writeScript(const FlashScript& script);
    Result runScript(const FlashScript& script);
    Outcome watch(platform::RunningProgram& program, EsptoolOutput& output);
    // Asks the module on the session's port who it is until it answers: milliseconds from now to
    // its answer, or -1.
    int awaitModule();

    device::DeviceKind kind() const;

    device::Session& session_;
    platform::Programs& programs_;
    QString programFolder_;
    UpgradeHost& host_;
    double bootWaitSeconds_ = kBootWaitSeconds;
};

// How a flash that did not end in Flashed counts for a unit: a refused image is the input's fault,
// a stop the user's, anything else esptool's.
device::UnitClass unitClassOf(TikaFlash::Outcome outcome);

} // namespace firmware
