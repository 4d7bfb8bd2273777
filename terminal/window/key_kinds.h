#pragma once

#include <QKeyEvent>

namespace tessa {

inline bool isEnter(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// Keys that type a character (or Backspace/Enter) into a text box, as opposed to keys that
// only move the caret or change modifiers.
inline bool typesCharacter(const QKeyEvent* event)
{
    return !event->text().isEmpty() || event->key() == Qt::Key_Backspace || isEnter(event);
}

}  // namespace tessa
