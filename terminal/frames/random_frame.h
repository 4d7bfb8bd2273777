#pragma once

#include <QByteArray>
#include <QRandomGenerator>

namespace tessa {

inline constexpr int kRandomFrameSize = 1001;

// 1001 bytes, each uniformly 0..99: a line-load pattern for the hidden "Command15" button.
QByteArray randomFrame(QRandomGenerator& generator);

}  // namespace tessa
