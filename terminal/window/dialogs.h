#pragma once

#include "i18n/translated.h"
#include "program/program_file.h"

#include <QMessageBox>
#include <QString>

#include <optional>

class QDialog;
class QWidget;

namespace tessa {

// Every question the window puts to the user goes through this: the window owns the real one
// and hands it to its pages, bars and controls; tests give the window one that answers from a
// script.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal box over parent; the button chosen. objectName only where a box is known by name.
    virtual QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                                const QString& text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
                                                const QString& objectName = QString()) = 0;
    // A file name, with filter in Qt's form ("Txt file (*.txt)"), starting at start; title is
    // none for the window's own file dialog. Nothing when the user cancels.
    virtual std::optional<QString> openFileName(QWidget* parent, const QString& filter, const QString& start,
                                                const QString& title = QString()) = 0;
    virtual std::optional<QString> saveFileName(QWidget* parent, const QString& filter, const QString& start,
                                                const QString& title = QString()) = 0;
    // One of the window's own modal dialogs, run to its end: QDialog::Accepted or Rejected.
    virtual int run(QDialog& dialog) = 0;

    // The window's hint: an information box with an OK button.
    void hint(QWidget* parent, const QString& text, const QString& title)
    {
        message(parent, QMessageBox::Information, title, text);
    }
};

// The real boxes and dialogs, modal to their parent.
class QtDialogs final : public Dialogs {
public:
    QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton, const QString& objectName) override;
    std::optional<QString> openFileName(QWidget* parent, const QString& filter, const QString& start,
                                        const QString& title) override;
    std::optional<QString> saveFileName(QWidget* parent, const QString& filter, const QString& start,
                                        const QString& title) override;
    int run(QDialog& dialog) override;

private:
    std::optional<QString> fileName(QWidget* parent, const QString& filter, const QString& start, const QString& title,
                                    bool save);
};

// The message for a send while not connected (under the title kHintTitle).
inline const QString kNotConnectedText = QString::fromUtf8(QT_TRANSLATE_NOOP("tessa", "通訊埠尚未連線唷!"));

// The hint boxes' title in the active language.
inline QString hintTitle()
{
    return translated(kHintTitle);
}

}  // namespace tessa
