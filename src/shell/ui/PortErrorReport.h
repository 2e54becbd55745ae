#pragma once
#include <QString>
#include <cstdint>

namespace shell {

class Tool;

// Tells the technician on the status line why a port let the tool down (see PortErrorText): a
// port that cannot be opened, with the device node and what to do (for a permission error, the
// dialout group and the command), and a device lost during an exchange. The captions and message
// boxes of the connect and the poll stay as they are; this only adds the reason. A later open that
// works replaces the note with the port's name and node.
class PortErrorReport {
public:
    // Listens to the session for a line that went away under an exchange.
    explicit PortErrorReport(Tool& tool);

    // After the session tried to open COM<portNumber>.
    void afterOpen(std::uint8_t portNumber, bool opened);

    // The note this reporter last put on the status line; empty when none is up.
    const QString& note() const { return note_; }

private:
    void lineLost();
    void show(const QString& text);

    Tool& tool_;
    QString note_;
};

} // namespace shell
