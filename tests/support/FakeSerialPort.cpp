#include "FakeSerialPort.h"
#include <algorithm>

namespace fakes {

bool FakeSerialPort::open(int portNumber)
{
    if (open_) {
        lastError_ = QStringLiteral("COM%1 is already open").arg(portNumber);
        return false;
    }
    if (failNextOpen || !existingPorts.count(portNumber)) {
        failNextOpen = false;
        lastError_ = QStringLiteral("COM%1 cannot be opened").arg(portNumber);
        return false;
    }
    open_ = true;
    vanished_ = false;
    opened.append(portNumber);
    return true;
}

void FakeSerialPort::feed(const QByteArray& bytes, double afterSeconds)
{
    pending_.append({clock_.exact() + afterSeconds, bytes});
}

bool FakeSerialPort::write(const QByteArray& bytes)
{
    if (!open_ || failWrites || vanished_)
        return false;
    writes.append(bytes);
    QList<Arrival> reply;
    if (!scripted_.isEmpty())
        reply = scripted_.takeFirst();
    else if (responder)
        reply = responder(bytes);
    for (const Arrival& a : reply)
        feed(a.bytes, a.afterSeconds);
    return true;
}

void FakeSerialPort::deliverDue()
{
    std::stable_sort(pending_.begin(), pending_.end(), [](const Pending& a, const Pending& b) { return a.at < b.at; });
    while (!pending_.isEmpty() && pending_.front().at <= clock_.exact() + 1e-9)
        arrived_.append(pending_.takeFirst().bytes);
}

QByteArray FakeSerialPort::readAll()
{
    ++reads;
    if (!open_ || vanished_)
        return {};
    deliverDue();
    if (bytesPerRead > 0 && arrived_.size() > bytesPerRead) {
        const QByteArray part = arrived_.left(bytesPerRead);
        arrived_.remove(0, bytesPerRead);
        return part;
    }
    return std::exchange(arrived_, QByteArray());
}

bool FakeSerialPort::waitForInput(std::chrono::milliseconds maxWait)
{
    if (!open_)
        return false;
    if (vanished_)
        return true; // a hung-up line reports readable and then yields nothing
    deliverDue();
    if (!arrived_.isEmpty())
        return true;
    const double limit = clock_.exact() + maxWait.count() / 1000.0;
    double next = limit;
    for (const Pending& p : pending_)
        next = std::min(next, p.at);
    const double step = std::max(0.0, next - clock_.exact());
    clock_.advance(step);
    deliverDue();
    return !arrived_.isEmpty();
}

} // namespace fakes
