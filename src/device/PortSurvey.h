#pragma once
#include "device/Identification.h"
#include "link/Commands.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/PortListing.h"
#include "platform/SerialPort.h"
#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace device {

// What one port said when every candidate port was asked at once who is there.
struct SurveyedPort {
    platform::NumberedPort port;
    // Why the port could not be opened (or failed under the survey); empty when it was asked.
    QString openError;
    // The answer to the identification request (status 252 when nothing complete came).
    comlink::Reply reply;
    // What the answer says; deviceFound is false for a silent port or an unusable answer.
    Identification identification;
};

// A fresh serial-port object for one port of the survey; each port needs its own.
using PortMaker = std::function<std::unique_ptr<platform::SerialPort>()>;

// Asks every port at the same time: all are opened, drained together for half a second (what a
// device still sends from before is thrown away), sent the identification request together, and
// given one reply time of 0.8 s together; each answer is read by the standard-reply rules of the
// exchange. A silent port therefore costs no more than the quickest device: the whole survey takes
// about 1.3 s however many ports there are. Every port is closed again afterwards. The result is
// in the order of `ports`.
QList<SurveyedPort> surveyPorts(const QList<platform::NumberedPort>& ports, const PortMaker& makePort,
                                platform::Clock& clock, platform::EventPump& pump);

} // namespace device
