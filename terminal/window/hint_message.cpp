#include "window/hint_message.h"

#include <QMessageBox>

namespace tessa {

void showHint(QWidget* parent, const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace tessa
