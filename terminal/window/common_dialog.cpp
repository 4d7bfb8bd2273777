#include "window/common_dialog.h"

#include "window/dialogs.h"

namespace tessa {

CommonDialog::CommonDialog(Dialogs& dialogs, QObject* parent)
    : QObject(parent)
    , dialogs_(dialogs)
{
}

QString CommonDialog::qtFilter() const
{
    const qsizetype bar = filter_.indexOf(u'|');
    if (bar < 0)
        return filter_;
    const QString description = filter_.left(bar).trimmed();
    const QString pattern = QStringLiteral("(") + filter_.mid(bar + 1).trimmed() + u')';
    // A description that already names its pattern gets it once.
    if (description.endsWith(pattern))
        return description;
    return description + u' ' + pattern;
}

bool CommonDialog::show(QWidget* parent, bool save)
{
    const std::optional<QString> chosen = save ? dialogs_.saveFileName(parent, qtFilter(), fileName_)
                                               : dialogs_.openFileName(parent, qtFilter(), fileName_);
    fileName_ = chosen.value_or(QString());
    return chosen.has_value();
}

bool CommonDialog::showOpen(QWidget* parent)
{
    return show(parent, false);
}

bool CommonDialog::showSave(QWidget* parent)
{
    return show(parent, true);
}

}  // namespace tessa
