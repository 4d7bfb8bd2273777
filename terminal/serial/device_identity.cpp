#include "serial/device_identity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <sys/stat.h>

namespace tessa {
namespace {

std::int64_t changeNs(const struct stat& st)
{
    return static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
}

QString byIdNameOf(const QString& target)
{
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (link.canonicalFilePath() == target)
            return link.fileName();
    return {};
}

}  // namespace

DeviceIdentity identifyDevice(const QString& path)
{
    DeviceIdentity id;
    const QByteArray encoded = QFile::encodeName(path);
    struct stat link { };
    if (::lstat(encoded.constData(), &link) != 0)
        return id;
    id.isLink = S_ISLNK(link.st_mode);
    if (id.isLink) {
        id.linkInode = link.st_ino;
        id.linkChangeNs = changeNs(link);
    }
    struct stat node { };
    if (::stat(encoded.constData(), &node) != 0)
        return id;  // a dangling link: nothing there
    id.present = true;
    id.target = QFileInfo(path).canonicalFilePath();
    id.rdev = node.st_rdev;
    id.inode = node.st_ino;
    id.changeNs = changeNs(node);
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.systemLocation() != id.target)
            continue;
        id.usb = info.hasVendorIdentifier() || info.hasProductIdentifier() || !info.serialNumber().isEmpty();
        id.vendor = info.vendorIdentifier();
        id.product = info.productIdentifier();
        id.serialNumber = info.serialNumber();
        break;
    }
    if (id.usb)
        id.byIdName = byIdNameOf(id.target);
    return id;
}

bool isSameDevice(const DeviceIdentity& was, const DeviceIdentity& now)
{
    if (!was.present || !now.present)
        return false;
    if (was.usb || now.usb) {
        return was.usb && now.usb && was.vendor == now.vendor && was.product == now.product
            && was.serialNumber == now.serialNumber
            && (was.byIdName.isEmpty() || now.byIdName.isEmpty() || was.byIdName == now.byIdName);
    }
    const bool sameNode = was.rdev == now.rdev && was.inode == now.inode && was.changeNs == now.changeNs;
    if (was.isLink && now.isLink)
        return sameNode || was.linkInode != now.linkInode || was.linkChangeNs != now.linkChangeNs;
    return sameNode && was.isLink == now.isLink;
}

}  // namespace tessa
