// Picks the given file in the open-file dialog, or cancels it when the name is empty, so window
// tests can go through the real dialog as a user would.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QObject>
#include <QStringList>
#include <QTimer>

class FileDialogAnswerer : public QObject {
public:
    explicit FileDialogAnswerer(QString path)
        : path_(std::move(path))
    {
        connect(&poll_, &QTimer::timeout, this, [this] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (!dialog->property("seenByTest").toBool()) {
                dialog->setProperty("seenByTest", true);
                filters << dialog->nameFilters().join(u';');
                ++shown;
            }
            if (path_.isEmpty()) {
                dialog->reject();
                return;
            }
            // Typed into the name box: the dialog's own listing may not know a new file yet.
            // Tried again on every poll until the dialog closes.
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(path_);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        poll_.start(10);
    }
    int shown = 0;
    QStringList filters;

private:
    QString path_;
    QTimer poll_;
};
