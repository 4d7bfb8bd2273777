#pragma once

#include <QString>
#include <QWidget>

namespace tessa {

// Controls carry their names as Qt object names, so code and tests find them by name.
template <typename W> W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// A member of a control array: the array's name, and its number in the property "index".
template <typename W> W* element(W* widget, const QString& name, int index)
{
    widget->setObjectName(name);
    widget->setProperty("index", index);
    return widget;
}

}  // namespace tessa
