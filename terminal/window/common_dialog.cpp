#include "window/common_dialog.h"

#include <QFileDialog>

namespace tessa {

namespace {
CommonDialog::Answer& testAnswer()
{
    static CommonDialog::Answer answer;
    return answer;
}
}  // namespace

void CommonDialog::answerForTests(Answer answer)
{
    testAnswer() = std::move(answer);
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
    if (testAnswer()) {
        const std::optional<QString> answer = testAnswer()(qtFilter(), save);
        fileName_ = answer.value_or(QString());
        return answer.has_value();
    }
    QFileDialog dialog(parent, QString(), QString(), qtFilter());
    dialog.setObjectName(QStringLiteral("CommonDialog1Window"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The caller asks its own overwrite question.
    if (save)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!fileName_.isEmpty())
        dialog.selectFile(fileName_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        fileName_.clear();
        return false;
    }
    fileName_ = dialog.selectedFiles().constFirst();
    return true;
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
