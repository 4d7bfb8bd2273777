#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace tessa {

class Dialogs;

// The window's file-dialog component: a file name and a filter, shown as an open or a save
// dialog on demand, asked through the window's dialogs.
class CommonDialog : public QObject {
    Q_OBJECT
public:
    CommonDialog(Dialogs& dialogs, QObject* parent);

    QString fileName() const { return fileName_; }
    void setFileName(const QString& name) { fileName_ = name; }
    // In the "Description | *.ext" form; the part after the bar is the pattern.
    QString filter() const { return filter_; }
    void setFilter(const QString& filter) { filter_ = filter; }

    // Both return false, leaving fileName empty, when the user cancels.
    bool showOpen(QWidget* parent);
    bool showSave(QWidget* parent);

private:
    bool show(QWidget* parent, bool save);
    QString qtFilter() const;

    Dialogs& dialogs_;
    QString fileName_;
    QString filter_;
};

}  // namespace tessa
