#include "device/PortSurvey.h"
#include "link/Frames.h"
#include "link/ReplyRules.h"
#include <algorithm>
#include <chrono>
#include <cmath>

namespace device {

namespace {

constexpr double kDrainSeconds = 0.5;
// Each look at the ports waits at most this long on one of them, so an answer on any other port is
// seen within it.
constexpr std::chrono::milliseconds kLookMs{10};

struct Line {
    std::unique_ptr<platform::SerialPort> port;
    QByteArray received;
    bool waiting = false; // asked, and no complete answer yet
};

void giveUp(SurveyedPort& result, Line& line, const QString& why)
{
    result.openError = why.isEmpty() ? QStringLiteral("the port failed") : why;
    line.waiting = false;
    line.port->close();
}

} // namespace

QList<SurveyedPort> surveyPorts(const QList<platform::NumberedPort>& ports, const PortMaker& makePort,
                                platform::Clock& clock, platform::EventPump& pump)
{
    QList<SurveyedPort> results;
    std::vector<Line> lines(static_cast<std::size_t>(ports.size()));
    for (qsizetype i = 0; i < ports.size(); ++i) {
        SurveyedPort& result = results.emplace_back();
        result.port = ports.at(i);
        Line& line = lines[static_cast<std::size_t>(i)];
        line.port = makePort();
        line.waiting = line.port->open(result.port.portNumber);
        if (!line.waiting)
            result.openError = line.port->lastError();
    }

    // One drain for all, as an open does for one port.
    const double drainEnd = clock.elapsedSeconds() + kDrainSeconds;
    while (clock.elapsedSeconds() < drainEnd) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!lines[i].waiting)
                continue;
            lines[i].port->readAll();
            if (lines[i].port->hasFailed())
                giveUp(results[static_cast<qsizetype>(i)], lines[i], lines[i].port->lastError());
        }
        pump.processEvents();
        pump.sleep100ms();
    }

    const QByteArray request = comlink::requestFrame(comlink::kIdentify, {});
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].waiting)
            continue;
        lines[i].port->readAll();
        if (!lines[i].port->write(request))
            giveUp(results[static_cast<qsizetype>(i)], lines[i], lines[i].port->lastError());
    }

    const double deadline = clock.elapsedSeconds() + comlink::kReplySeconds;
    for (;;) {
        Line* first = nullptr;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            Line& line = lines[i];
            if (!line.waiting)
                continue;
            line.received.append(line.port->readAll());
            const comlink::StandardReplyState state =
                comlink::standardReplyState(line.received, comlink::kIdentify, false);
            SurveyedPort& result = results[static_cast<qsizetype>(i)];
            if (state.stage == comlink::StandardReplyState::Stage::Complete) {
                result.reply = state.reply;
                line.waiting = false;
            } else if (line.port->hasFailed()) {
                giveUp(result, line, line.port->lastError());
            } else if (!first) {
                first = &line;
            }
        }
        const double left = deadline - clock.elapsedSeconds();
        if (!first || left <= 0)
            break;
        const auto leftMs = std::chrono::milliseconds(static_cast<long>(std::ceil(left * 1000.0)));
        first->port->waitForInput(std::clamp(leftMs, std::chrono::milliseconds(1), kLookMs));
    }

    for (std::size_t i = 0; i < lines.size(); ++i) {
        SurveyedPort& result = results[static_cast<qsizetype>(i)];
        result.identification = identifyDevice(result.reply);
        lines[i].port->close();
    }
    return results;
}

} // namespace device
