#pragma once

#include <QString>

#include <cstdint>

namespace tessa {

// What tells one serial device from another at the same path, taken when the port opened, so
// that a port that returns is connected again only when it is the same device.
//
// - A USB adapter: its vendor and product, its serial number and its /dev/serial/by-id name.
//   Another adapter plugged in at the same path differs in these.
// - Anything else (a pseudo-terminal, a built-in port): the device node the path leads to, as
//   its device number, inode and change time. A pty number the system hands out again is a new
//   node (another change time).
// - A path that is a link (socat's link=, a udev alias): the link itself. A program that brings
//   its device back makes the link again; a stale link, never made again, whose old target
//   number now belongs to someone else's pty, is not the device coming back.
struct DeviceIdentity {
    bool present = false;
    QString target;  // the device node the path leads to
    std::uint64_t rdev = 0;
    std::uint64_t inode = 0;
    std::int64_t changeNs = 0;
    bool isLink = false;
    std::uint64_t linkInode = 0;
    std::int64_t linkChangeNs = 0;
    bool usb = false;
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    QString serialNumber;
    QString byIdName;
};

DeviceIdentity identifyDevice(const QString& path);

// Whether now (taken when the port returned) is the device was (taken when it last opened).
bool isSameDevice(const DeviceIdentity& was, const DeviceIdentity& now);

}  // namespace tessa
