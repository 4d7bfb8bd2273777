#pragma once

#include <QRect>
#include <QWidget>
#include <QtMath>

namespace tessa {

// Window measures are given in twips, 1/1440 inch, at the screen's logical resolution.
inline constexpr double kTwipsPerInch = 1440.0;

inline int twipsToPixelsX(int twips, const QWidget* widget)
{
    return qRound(twips * widget->logicalDpiX() / kTwipsPerInch);
}

inline int twipsToPixelsY(int twips, const QWidget* widget)
{
    return qRound(twips * widget->logicalDpiY() / kTwipsPerInch);
}

// Places widget at left, top with width, height, all in twips.
inline void setGeometryTwips(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsToPixelsX(left, widget), twipsToPixelsY(top, widget), twipsToPixelsX(width, widget),
                        twipsToPixelsY(height, widget));
}

}  // namespace tessa
