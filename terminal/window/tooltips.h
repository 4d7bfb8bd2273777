#pragma once

#include <QString>
#include <QWidget>
#include <initializer_list>
#include <utility>

namespace tessa {

// Gives the named controls under parent their tooltips (what each one does, already in the
// active language); every name must be there.
// Example: setToolTips(*this, {{"Command18", tr("送出回原點命令")}});
inline void setToolTips(const QWidget& parent, std::initializer_list<std::pair<const char*, QString>> tips)
{
    for (const auto& [name, tip] : tips)
        if (QWidget* control = parent.findChild<QWidget*>(QString::fromLatin1(name)))
            control->setToolTip(tip);
        else
            qFatal("no control %s for its tooltip", name);
}

}  // namespace tessa
