#include "frames/random_frame.h"

namespace tessa {

QByteArray randomFrame(QRandomGenerator& generator)
{
    QByteArray frame(kRandomFrameSize, '\0');
    for (char& byte : frame)
        byte = static_cast<char>(generator.bounded(100));
    return frame;
}

}  // namespace tessa
