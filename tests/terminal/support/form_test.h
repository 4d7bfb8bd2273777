// Base of the window tests' classes: the window under test, its controls found by name, the
// pty pair it is connected to, and its designed values checked from a table.
#pragma once

#include "serial/port_number.h"
#include "serial/serial_port.h"
#include "settings/settings_store.h"
#include "support/form_controls.h"
#include "support/pty_pair.h"
#include "support/scripted_dialogs.h"
#include "window/form1.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDebug>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QVariant>
#include <initializer_list>
#include <memory>

namespace tessa::testing {

// One designed value: the control ("Name", "Name(index)" for an array member, "" for the
// window), a Qt property or "hidden" or "item<N>" (a combo box's, list's or tab's text), the value.
struct Designed {
    const char* control;
    const char* property;
    QVariant value;
};

inline QVariant designedValue(QObject* object, const QString& property)
{
    if (property == u"hidden")
        return qobject_cast<QWidget*>(object)->isHidden();
    if (property.startsWith(u"item")) {
        const int n = property.mid(4).toInt();
        if (auto* combo = qobject_cast<QComboBox*>(object))
            return combo->itemText(n);
        if (auto* list = qobject_cast<QListWidget*>(object))
            return list->item(n)->text();
        if (auto* tabs = qobject_cast<QTabWidget*>(object))
            return tabs->tabText(n);
    }
    return object->property(property.toLatin1().constData());
}

inline QString describe(const QVariant& value)
{
    QString out;
    QDebug(&out) << value;
    return out;
}

// Checks every row; a failure names the control, the property and both values.
inline void verifyDesigned(QObject& form, std::initializer_list<Designed> table)
{
    for (const Designed& row : table) {
        const QString name = QString::fromLatin1(row.control);
        QObject* object = &form;
        if (const qsizetype open = name.indexOf(u'('); open > 0)
            object = controlElement<QObject>(form, name.left(open), name.mid(open + 1).chopped(1).toInt());
        else if (!name.isEmpty())
            object = control<QObject>(form, name);
        const QVariant actual = designedValue(object, QString::fromLatin1(row.property));
        QVERIFY2(actual == row.value,
                 qPrintable(QStringLiteral("%1.%2 is %3, designed %4")
                                .arg(name, QString::fromLatin1(row.property), describe(actual), describe(row.value))));
    }
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

    void showForm()
    {
        form = makeForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    // Connected to this port number, the near end of a fresh pty pair.
    void connectToPty(int port = 3)
    {
        pty = std::make_unique<PtyPair>();
        QVERIFY(pty->ready());
        qputenv(tessa::portEnvironmentVariable(port).toLatin1().constData(), pty->nearPath().toLocal8Bit());
        child<QLineEdit>("Text1")->setText(QString::number(port));
        button("Command1")->click();
        QVERIFY(form->comm1().isOpen());
    }

    // A fresh start: no stored settings, no mapped port numbers.
    static void forgetSettingsAndPorts()
    {
        tessa::SettingsStore().clearAll();
        for (int n = 1; n <= 21; ++n)
            qunsetenv(tessa::portEnvironmentVariable(n).toLatin1().constData());
    }

    void closeFormAndPty()
    {
        form.reset();
        pty.reset();
    }
};

}  // namespace tessa::testing
