#include "window/pages/modbus_reply_area.h"

#include "modbus/modbus_history.h"
#include "modbus/modbus_reply_text.h"
#include "window/dialogs.h"

#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QVBoxLayout>

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextOption>

using namespace Qt::StringLiterals;

namespace tessa {

ModbusReplyArea::ModbusReplyArea(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(u"ModbusReplyArea"_s);
    caption_ = new QLabel(tr("Reply within"), this);
    caption_->setObjectName(u"ModbusReplyCaption"_s);
    window_ = new QSpinBox(this);
    window_->setObjectName(u"ModbusReplyWindow"_s);
    window_->setRange(50, 60000);
    window_->setSingleStep(100);
    window_->setSuffix(u" ms"_s);
    window_->setToolTip(tr("How long after a Modbus request its reply is awaited"));
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(u"ModbusReplyText"_s);
    text_->setReadOnly(true);
    // The box is narrow: long lines wrap rather than run out of sight sideways, and the lines
    // below its foot are reached with the scroll bar.
    text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    text_->setPlaceholderText(tr("Decoded reply to the last request"));
    queue_ = new QLabel(this);
    queue_->setObjectName(u"ModbusQueueState"_s);
    historyButton_ = new QPushButton(tr("History..."), this);
    historyButton_->setObjectName(u"ModbusHistoryButton"_s);
    historyButton_->setToolTip(tr("The last requests: time, request, reply, verdict and round trip, to copy"));
    connect(historyButton_, &QPushButton::clicked, this, &ModbusReplyArea::openHistory);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(caption_, 0, 0);
    layout->addWidget(window_, 0, 1);
    layout->addWidget(queue_, 0, 2);
    layout->setColumnStretch(2, 1);
    layout->addWidget(historyButton_, 0, 3);
    layout->addWidget(text_, 1, 0, 1, 4);
}

void ModbusReplyArea::showReply(const ModbusReply& reply)
{
    const QString shown = modbusReplyText(reply);
    text_->setPlainText(shown);
    text_->setToolTip(shown);
}

void ModbusReplyArea::showQueue(int waiting)
{
    queue_->setText(waiting > 0 ? u"%1 waiting their turn"_s.arg(waiting) : QString());
}

void ModbusReplyArea::showRefusal(int limit)
{
    queue_->setText(u"Not sent: %1 requests already wait their turn"_s.arg(limit));
}

void ModbusReplyArea::setHistory(const ModbusHistory* history, Dialogs& dialogs)
{
    history_ = history;
    dialogs_ = &dialogs;
}

void ModbusReplyArea::openHistory()
{
    if (!history_ || !dialogs_)
        return;
    QDialog dialog(window());
    dialog.setObjectName(u"ModbusHistoryDialog"_s);
    dialog.setWindowTitle(u"Modbus requests"_s);
    auto* list = new QPlainTextEdit(&dialog);
    list->setObjectName(u"ModbusHistoryText"_s);
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QString all = ModbusHistory::heading() + u'\n' + history_->text();
    list->setPlainText(all);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QPushButton* copy = buttons->addButton(u"Copy all"_s, QDialogButtonBox::ActionRole);
    copy->setObjectName(u"ModbusHistoryCopy"_s);
    connect(copy, &QPushButton::clicked, &dialog, [all] { QGuiApplication::clipboard()->setText(all); });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog.resize(900, 400);
    dialogs_->run(dialog);
}

QString ModbusReplyArea::text() const
{
    return text_->toPlainText();
}

}  // namespace tessa
