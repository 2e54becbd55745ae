#pragma once
#include "device/DeviceKind.h"
#include "link/Commands.h"
#include "device/ReadingRow.h"
#include <QByteArray>
#include <QString>

namespace device {

// Decodes the result of the readings command 64 into a grid row.
//
// reply: thirteen 4-byte fields, most significant byte first (a QMR51 sends no status of its own,
// so its status is the exchange's; a TIKA module's is its own first byte). A status other than 0
// gives a row with no values. A valid reply shorter than 52 bytes keeps the fields it holds in
// full; nothing is read beyond the reply.
// kind: a TIKA V2 sends whole-number fields, any other kind single-precision fields.
// nederlandSelected, belgieSelected: the country option buttons, which name the tariff.
// takenAtMsecs: when the reply arrived (milliseconds since the epoch).
ReadingRow decodeReadings(const comlink::Reply& reply, std::optional<device::DeviceKind> kind, bool nederlandSelected,
                          bool belgieSelected, qint64 takenAtMsecs);

// The single-precision number whose IEEE bit pattern is `bits`.
float floatFromBits(quint32 bits);

// Tariff name for the indicator's bit pattern: 1.0 is the low tariff in the Netherlands and the high
// tariff in Belgium, any other value the reverse; with no country chosen every tariff is "High".
Tariff tariffFor(quint32 indicatorBits, bool nederlandSelected, bool belgieSelected);

// The country whose tariff names go with a device's protocol (its list position): the Dutch
// protocols (0 ... 2) name them as in the Netherlands, "BE" (3) as in Belgium, any other (a TIKA's
// "DK", "A1") neither. The window sets its country buttons so at every connect; qmr51ctl read uses
// it unless told otherwise.
struct TariffCountry {
    bool nederland = false;
    bool belgie = false;
};
TariffCountry tariffCountryOfProtocol(int protocolPosition);

} // namespace device
