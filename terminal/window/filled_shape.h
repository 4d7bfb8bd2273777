#pragma once

#include <QColor>
#include <QWidget>

namespace tessa {

// A filled rectangle or circle used as an indicator lamp.
class FilledShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor fillColor READ fillColor WRITE setFillColor)
public:
    enum class Kind { Rectangle, Circle };

    explicit FilledShape(Kind kind, QWidget* parent = nullptr);

    QColor fillColor() const { return fillColor_; }
    void setFillColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_;
    QColor fillColor_ {0xC0, 0xC0, 0xC0};
};

}  // namespace tessa
