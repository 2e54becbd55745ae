#pragma once

namespace shell {
class Tool;
}

namespace comlink {

// The port list and its buttons: closing a connection, picking another port, and the search for
// the port on which a device answers.
class PortHandlers {
public:
    explicit PortHandlers(shell::Tool& tool);

    // Both wait for a request under way, then close.
    void cmdCloseCom_Click();
    // A new choice in the port list always starts from a closed connection.
    void cmbComPort_Click();
    // Ends the connection: settings timer off, port closed (the refresh stops with the session),
    // caption and buttons back to "not connected". Harmless when nothing is open.
    void closeConnection();
    // In its turn, lists the machine's serial ports and connects to one after the other until a
    // device answers.
    void cmdScanCom_Click();

private:
    void searchPorts();

    shell::Tool& tool_;
};

} // namespace comlink
