#pragma once
#include <QJsonValue>
#include <QString>

namespace platform {

// What a serial device is, as far as the machine can tell: for a USB adapter its ids, its strings and
// the socket it sits in; for an on-board port (ttyS) none of the USB fields. Every text is cleaned
// when read (no control characters, bounded length), since a USB device reports whatever it likes.
struct PortIdentity {
    QString vendorId;        // four lowercase hex digits, e.g. "0403"; empty: not a USB device
    QString productId;       // e.g. "6001"
    QString manufacturer;    // e.g. "FTDI"; may be empty
    QString product;         // e.g. "FT232R USB UART"; may be empty
    QString serialNumber;    // e.g. "A50285BI"; empty when the adapter reports none (most CH340s)
    QString usbPath;         // the socket: bus and hub ports, e.g. "1-3.4"; stays when the adapter is replugged there
    int interfaceNumber = -1; // the adapter's port for adapters with several (FT4232H: 0..3); -1: not USB
    QString byId;            // name in /dev/serial/by-id, e.g. "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"
    QString byPath;          // name in /dev/serial/by-path
    bool serialShared = false; // another adapter present reports the same serial number: it tells nothing apart

    bool isUsb() const { return !vendorId.isEmpty() && !usbPath.isEmpty(); }
    // "1-3.4" for an adapter's first port, "1-3.4:1.2" (the kernel's name of the interface) for another.
    QString location() const;
    // "0403:6001", or empty for a port that is not USB.
    QString vendorProduct() const;
    // What the user recognises the adapter by: "FT232R USB UART, serial A50285BI, USB 1-3.4";
    // the parts the adapter lacks are left out; empty for a port that is not USB.
    QString adapterText() const;

    bool operator==(const PortIdentity&) const = default;
};

// The adapter as qmr51ctl's JSON and the record of each unit show it: {"vendorId", "productId",
// "manufacturer", "product", "serial", "location", "serialShared"}, or null for a port that is not USB.
QJsonValue usbJson(const PortIdentity& id);

} // namespace platform
