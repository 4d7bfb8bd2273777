#pragma once

#include <QCoreApplication>
#include <QString>

namespace tessa {

// The context of texts that belong to no window class: the constants shared by the plain units
// and the window (box titles, the program file's messages). Their source texts are the
// designed Traditional Chinese, and they are marked with QT_TRANSLATE_NOOP("tessa", ...).
inline constexpr const char* kSharedTextContext = "tessa";

// A shared constant in the active language: the constant itself when no translation is
// installed (Chinese, the default), else its translation.
// Example: translated(kHintTitle) is "提示", or "Note" with English chosen.
inline QString translated(const QString& key)
{
    return QCoreApplication::translate(kSharedTextContext, key.toUtf8().constData());
}

}  // namespace tessa
