#include "window/dialogs.h"

#include <QFileDialog>

namespace tessa {

QMessageBox::StandardButton QtDialogs::message(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                               const QString& text, QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton, const QString& objectName)
{
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    if (!objectName.isEmpty())
        box.setObjectName(objectName);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

std::optional<QString> QtDialogs::openFileName(QWidget* parent, const QString& filter, const QString& start,
                                               const QString& title)
{
    return fileName(parent, filter, start, title, false);
}

std::optional<QString> QtDialogs::saveFileName(QWidget* parent, const QString& filter, const QString& start,
                                               const QString& title)
{
    return fileName(parent, filter, start, title, true);
}

std::optional<QString> QtDialogs::fileName(QWidget* parent, const QString& filter, const QString& start,
                                           const QString& title, bool save)
{
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setObjectName(QStringLiteral("CommonDialog1Window"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The caller asks its own overwrite question.
    if (save)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!start.isEmpty())
        dialog.selectFile(start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

int QtDialogs::run(QDialog& dialog)
{
    return dialog.exec();
}

}  // namespace tessa
