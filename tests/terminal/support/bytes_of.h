#pragma once
// Byte strings written as numbers, for file contents with bytes beyond ASCII.
#include <QByteArray>

#include <initializer_list>

namespace tessa::testing {

inline QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

}  // namespace tessa::testing
