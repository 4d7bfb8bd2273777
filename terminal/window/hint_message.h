#pragma once

#include "program/program_file.h"

#include <QString>

class QWidget;

namespace tessa {

// The window's one message box: an information box with an OK button, modal to parent.
void showHint(QWidget* parent, const QString& text, const QString& title);

// The message for a send while not connected (under the title kHintTitle).
inline const QString kNotConnectedText = QStringLiteral("通訊埠尚未連線唷!");

}  // namespace tessa
