// Answers the window's modal dialogs as a user would, so window tests can click through them:
// message boxes with the next queued button (OK when the queue is empty), file dialogs with
// the next queued path (cancelled when the queue is empty). Records what each dialog showed.
//
// File dialogs are answered where the window asks for a name (CommonDialog's test hook);
// with RealFileDialog the real dialog is shown and the path typed into it.
#pragma once

#include "window/common_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

namespace tessa::testing {

class DialogAnswerer : public QObject {
public:
    enum FileDialogs { AnsweredByHook, RealFileDialog };

    explicit DialogAnswerer(FileDialogs fileDialogs = AnsweredByHook)
    {
        connect(&poll_, &QTimer::timeout, this, [this] { answerModal(); });
        if (fileDialogs == AnsweredByHook) {
            CommonDialog::answerForTests([this](const QString& filter, bool) -> std::optional<QString> {
                filters << filter;
                ++shown;
                if (paths.isEmpty())
                    return std::nullopt;
                return paths.takeFirst();
            });
        }
        poll_.start(10);
    }
    ~DialogAnswerer() override { CommonDialog::answerForTests({}); }

    QStringList texts;
    QStringList titles;
    QList<QMessageBox::Icon> icons;
    QList<QMessageBox::StandardButton> buttons;
    QStringList paths;
    QStringList filters;
    int shown = 0;  // file dialogs

private:
    void answerModal()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            answerFileDialog(dialog);
            return;
        }
        // Boxes live on the stack, so a new one may reuse an old one's address: mark them.
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box || box->property("answeredByTest").toBool())
            return;
        box->setProperty("answeredByTest", true);
        texts << box->text();
        titles << box->windowTitle();
        icons << box->icon();
        const QMessageBox::StandardButton which = buttons.isEmpty() ? QMessageBox::Ok : buttons.takeFirst();
        box->button(which)->click();
    }

    void answerFileDialog(QFileDialog* dialog)
    {
        if (!dialog->property("seenByTest").toBool()) {
            dialog->setProperty("seenByTest", true);
            filters << dialog->nameFilters().join(u';');
            ++shown;
            dialog->setProperty("pathByTest", paths.isEmpty() ? QString() : paths.takeFirst());
        }
        const QString path = dialog->property("pathByTest").toString();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed into the name box: the dialog's own listing may not know a new file yet.
        // Tried again on every poll until the dialog closes.
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(path);
        QMetaObject::invokeMethod(dialog, "accept");
    }

    QTimer poll_;
};

}  // namespace tessa::testing
