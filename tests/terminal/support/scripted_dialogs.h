// The window's dialogs answered from a script, as a user would: message boxes with the next
// queued button (OK when the queue is empty), file names with the next queued path (cancelled
// when the queue is empty), the window's own dialogs by the next queued answer (rejected when
// there is none). Records what each showed.
#pragma once

#include "window/dialogs.h"

#include <QDialog>
#include <QList>
#include <QStringList>

#include <functional>

namespace tessa::testing {

class ScriptedDialogs : public Dialogs {
public:
    QStringList texts;
    QStringList titles;
    QList<QMessageBox::Icon> icons;
    QList<QMessageBox::StandardButton> buttons;
    QStringList paths;
    QStringList filters;
    int shown = 0;  // file dialogs
    // Each sets the dialog's controls and accepts or rejects it.
    QList<std::function<void(QDialog&)>> dialogAnswers;

    void clear() { *this = ScriptedDialogs(); }

    QMessageBox::StandardButton message(QWidget*, QMessageBox::Icon icon, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons offered, QMessageBox::StandardButton,
                                        const QString&) override
    {
        texts << text;
        titles << title;
        icons << icon;
        const QMessageBox::StandardButton which = buttons.isEmpty() ? QMessageBox::Ok : buttons.takeFirst();
        if (!offered.testFlag(which))
            qFatal("the box \"%s\" offers no button %d", qPrintable(text), int(which));
        return which;
    }
    std::optional<QString> openFileName(QWidget*, const QString& filter, const QString&, const QString&) override
    {
        return fileName(filter);
    }
    std::optional<QString> saveFileName(QWidget*, const QString& filter, const QString&, const QString&) override
    {
        return fileName(filter);
    }
    int run(QDialog& dialog) override
    {
        if (dialogAnswers.isEmpty())
            return QDialog::Rejected;
        dialogAnswers.takeFirst()(dialog);
        return dialog.result();
    }

private:
    std::optional<QString> fileName(const QString& filter)
    {
        filters << filter;
        ++shown;
        if (paths.isEmpty())
            return std::nullopt;
        return paths.takeFirst();
    }
};

}  // namespace tessa::testing
