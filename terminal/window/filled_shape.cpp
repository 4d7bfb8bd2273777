#include "window/filled_shape.h"

#include <QPainter>

namespace tessa {

FilledShape::FilledShape(Kind kind, QWidget* parent)
    : QWidget(parent)
    , kind_(kind)
{
}

void FilledShape::setFillColor(const QColor& color)
{
    if (color == fillColor_)
        return;
    fillColor_ = color;
    update();
}

void FilledShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(fillColor_);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (kind_ == Kind::Circle)
        painter.drawEllipse(area);
    else
        painter.drawRect(area);
}

}  // namespace tessa
