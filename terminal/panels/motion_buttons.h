#pragma once

#include <QByteArray>
#include <cstdint>

namespace tessa {

// Motion command buttons and the press-and-hold jog.

// The command line of a motion button: its three characters and CR LF (c57, c53, ...).
QByteArray motionCommand(const char* threeCharacters);

inline constexpr std::uint8_t kJogPlus = 0x00;
inline constexpr std::uint8_t kJogMinus = 0x80;
inline constexpr int kJogHoldMs = 200;
inline constexpr int kJogReleaseGapMs = 50;

QByteArray jogStepFrame(std::uint8_t direction);  // E3 d ED, the click
QByteArray jogHoldFrame(std::uint8_t direction);  // D8 d ED, held 200 ms
QByteArray jogReleaseFrame();  // E6 00 ED, twice at release

}  // namespace tessa
