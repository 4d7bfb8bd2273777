// Base of the window tests' classes: the window under test, its controls found by name and the
// pty pair it is connected to.
#pragma once

#include "autotest/auto_test.h"
#include "serial/port_number.h"
#include "serial/serial_port.h"
#include "settings/settings_store.h"
#include "support/form_controls.h"
#include "support/pty_pair.h"
#include "support/scripted_dialogs.h"
#include "window/filled_shape.h"
#include "window/form1.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace tessa::testing {

// The window's messages the tests meet most.
inline const QString kNotConnected = QStringLiteral("通訊埠尚未連線唷!");
inline const QString kPortLost = QStringLiteral("通訊埠連線已中斷!");

// A stored setting, "<absent>" when there is none.
inline QString stored(const char* key)
{
    return SettingsStore().read(QString::fromLatin1(key), QStringLiteral("<absent>"));
}

// This port number leads to path.
inline void mapPort(int port, const QString& path)
{
    qputenv(portEnvironmentVariable(port).toLatin1().constData(), path.toLocal8Bit());
}

// Every port number the auto test scans leads to a path in dir that does not exist.
inline void mapEveryPortNowhere(const QTemporaryDir& dir)
{
    for (int n = 1; n <= kAutoTestLastPort; ++n)
        mapPort(n, dir.filePath(QStringLiteral("none%1").arg(n)));
}

// A file of this content at path, for the file dialogs to pick; its path.
inline QString writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

class FormTest : public QObject {
protected:
    std::unique_ptr<Form1> form;
    std::unique_ptr<PtyPair> pty;
    ScriptedDialogs* dialogs_ = nullptr;  // the window's

    template <typename T> T* child(const QString& name) { return control<T>(*form, name); }
    template <typename T> T* child(const char* name) { return control<T>(*form, QString::fromLatin1(name)); }
    template <typename T> T* element(const char* name, int index)
    {
        return controlElement<T>(*form, QString::fromLatin1(name), index);
    }
    QPushButton* button(const char* name) { return child<QPushButton>(name); }

    // A window whose dialogs are answered from a script.
    std::unique_ptr<Form1> makeForm()
    {
        auto dialogs = std::make_unique<ScriptedDialogs>();
        dialogs_ = dialogs.get();
        return std::make_unique<Form1>(std::move(dialogs));
    }
    // The window's dialogs, from here on answered from fresh queues and recorded afresh.
    ScriptedDialogs& freshDialogs()
    {
        dialogs_->clear();
        return *dialogs_;
    }

    // The button clicked with its file dialog answered by path (cancelled when there is none);
    // the dialogs it met.
    ScriptedDialogs& clickWithFile(const char* name, const QString& path = {})
    {
        ScriptedDialogs& answers = freshDialogs();
        if (!path.isEmpty())
            answers.paths << path;
        button(name)->click();
        return answers;
    }

    void showForm()
    {
        form = makeForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    // Connected with the connect button to path, as this port number.
    void connectTo(const QString& path, int port = 3)
    {
        mapPort(port, path);
        child<QLineEdit>("Text1")->setText(QString::number(port));
        button("Command1")->click();
        QVERIFY2(form->comm1().isOpen(), qPrintable(path));
    }

    // Connected to this port number, the near end of a fresh pty pair.
    void connectToPty(int port = 3)
    {
        pty = std::make_unique<PtyPair>();
        QVERIFY(pty->ready());
        connectTo(pty->nearPath(), port);
    }

    // The connect bar as it stands while no port is open.
    void verifyNotConnected()
    {
        QVERIFY(!form->comm1().isOpen());
        QVERIFY(!button("Command1")->isHidden());
        QVERIFY(button("Command2")->isHidden());
        QCOMPARE(child<QLabel>("Label8")->text(), QStringLiteral("未連線"));
        QCOMPARE(child<FilledShape>("ComPortShape")->fillColor(), QColor(0xC0, 0xC0, 0xC0));
        QVERIFY(!child<QTimer>("Timer12")->isActive());
    }

    // Typed into the command line and sent with Enter.
    void sendLine(const QString& text)
    {
        auto* line = child<QLineEdit>("Text7");
        line->setText(text);
        QTest::keyClick(line, Qt::Key_Return);
    }

    // A fresh start: no stored settings, no mapped port numbers.
    static void forgetSettingsAndPorts()
    {
        SettingsStore().clearAll();
        for (int n = 1; n <= 21; ++n)
            qunsetenv(portEnvironmentVariable(n).toLatin1().constData());
    }

    void closeFormAndPty()
    {
        form.reset();
        pty.reset();
    }
};

}  // namespace tessa::testing
