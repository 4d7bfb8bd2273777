// Answers every message box that comes up with OK and records what it said, so window tests
// can click through modal boxes as a user would.
#pragma once

#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

class MessageBoxAnswerer : public QObject {
public:
    MessageBoxAnswerer()
    {
        connect(&poll_, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            // Boxes live on the stack, so a new one may reuse an old one's address: mark them.
            if (!box || box->property("answeredByTest").toBool())
                return;
            box->setProperty("answeredByTest", true);
            texts << box->text();
            titles << box->windowTitle();
            icons << box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        poll_.start(10);
    }
    QStringList texts;
    QStringList titles;
    QList<QMessageBox::Icon> icons;

private:
    QTimer poll_;
};
