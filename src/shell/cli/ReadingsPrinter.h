#pragma once
#include "device/DeviceKind.h"
#include "device/ReadingRow.h"
#include "shell/cli/Context.h"
#include "view/ReadingsTable.h"
#include <utility>

namespace shell::cli {

// Readings printed as the grid shows them (a header line, then tab-separated cells), as the CSV
// export writes them (--format csv), or as one JSON object per reading (--json). On a line each
// row carries its port: a first "Port" column, or a "port" key.
class ReadingsPrinter {
public:
    ReadingsPrinter(Context& c, device::DeviceKind kind, const QString& port = {});
    void print(const device::ReadingRow& row);

private:
    template <typename Cell>
    QString textLine(const QStringList& csvHeader, Cell cell);

    Context& c_;
    QList<int> columns_;
    QString port_;
    view::ReadingsTable one_;
    bool first_ = true;
};

// The countries whose tariff names apply: the one chosen with --country (nl, be, none), or the one
// of the device's protocol.
std::pair<bool, bool> tariffCountry(const QString& chosen, int protocolPosition);

} // namespace shell::cli
