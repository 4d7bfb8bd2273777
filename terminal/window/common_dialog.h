#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace tessa {

// The window's file-dialog component: a file name and a filter, shown as an open or a save
// dialog on demand (the dialog itself exists only while it is shown).
class CommonDialog : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    QString fileName() const { return fileName_; }
    void setFileName(const QString& name) { fileName_ = name; }
    // In the "Description | *.ext" form; the part after the bar is the pattern.
    QString filter() const { return filter_; }
    void setFilter(const QString& filter) { filter_ = filter; }

    // Both return false, leaving fileName empty, when the user cancels.
    bool showOpen(QWidget* parent);
    bool showSave(QWidget* parent);

    // Test-only: answer every dialog with this function (given the dialog's filter in Qt's
    // form and whether it saves) instead of showing one; no value means the user cancelled.
    // An empty function shows real dialogs again.
    using Answer = std::function<std::optional<QString>(const QString& filter, bool save)>;
    static void answerForTests(Answer answer);

private:
    bool show(QWidget* parent, bool save);
    QString qtFilter() const;

    QString fileName_;
    QString filter_;
};

}  // namespace tessa
