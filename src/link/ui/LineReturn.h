#pragma once
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <optional>

namespace shell {
class Tool;
}

namespace comlink {

// A line that went away and comes back by itself. When the line of the connected device hangs up
// (adapter unplugged, module switched off), the refresh stops: a poll of a line that is gone only
// adds empty rows. The port is released and watched; once the same port number offers a device
// node again (an adapter plugged back in keeps its number through a ports/COM<n> link), the tool
// connects to it like the Open button does, so a different device there is shown as the new
// device it is. The user closing the port, picking another or starting a search ends the watch.
class LineReturn {
public:
    explicit LineReturn(shell::Tool& tool);

    bool watching() const { return port_.has_value(); }
    // Ends the watch (the user took the port in hand).
    void cancel();

    // How often the port list is looked at while a line is gone, and how many connects are tried
    // once the port is back (a module that was switched on again may still be starting).
    static constexpr int kLookMs = 500;
    static constexpr int kAttempts = 5;

    // One look at the port list (the watch timer's tick).
    void look();

private:
    void lineLost();
    void lookNow();

    shell::Tool& tool_;
    QTimer timReturn_;
    std::optional<std::uint8_t> port_;
    int attemptsLeft_ = 0;
    QObject connections_;
};

} // namespace comlink
