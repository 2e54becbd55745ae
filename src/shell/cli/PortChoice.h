#pragma once
#include "platform/PortListing.h"
#include <optional>

namespace shell::cli {

// The machine's ports, plus the one device path given with --port when the listing does not know
// it (a pseudo-terminal, a node the system does not list): it gets the lowest COM number still free,
// so the rest of the tool can open it by number like any other port.
class PortChoice : public platform::PortListing {
public:
    explicit PortChoice(platform::PortListing& machine) : machine_(machine) {}

    QList<platform::NumberedPort> ports() override;
    QString devicePath(int portNumber) override;
    QString takeNote() override { return machine_.takeNote(); }

    // The number of the port at `path` (after resolving links); the path is added when no listed
    // port has it. Nothing when there is no such file, or no number is left.
    std::optional<int> numberOfPath(const QString& path);

private:
    platform::PortListing& machine_;
    std::optional<platform::NumberedPort> extra_;
};

} // namespace shell::cli
