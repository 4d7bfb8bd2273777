#include "panels/motion_buttons.h"

namespace tessa {

QByteArray motionCommand(const char* threeCharacters)
{
    return QByteArray(threeCharacters) + QByteArrayLiteral("\r\n");
}

namespace {

QByteArray jogFrame(std::uint8_t first, std::uint8_t direction)
{
    QByteArray frame;
    frame.append(static_cast<char>(first));
    frame.append(static_cast<char>(direction));
    frame.append(static_cast<char>(0xED));
    return frame;
}

}  // namespace

QByteArray jogStepFrame(std::uint8_t direction)
{
    return jogFrame(0xE3, direction);
}

QByteArray jogHoldFrame(std::uint8_t direction)
{
    return jogFrame(0xD8, direction);
}

QByteArray jogReleaseFrame()
{
    return jogFrame(0xE6, 0x00);
}

}  // namespace tessa
