#include "window/pages/modbus_reply_area.h"

#include "modbus/modbus_reply_text.h"

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

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(caption_, 0, 0);
    layout->addWidget(window_, 0, 1);
    layout->setColumnStretch(2, 1);
    layout->addWidget(text_, 1, 0, 1, 3);
}

void ModbusReplyArea::showReply(const ModbusReply& reply)
{
    const QString shown = modbusReplyText(reply);
    text_->setPlainText(shown);
    text_->setToolTip(shown);
}

QString ModbusReplyArea::text() const
{
    return text_->toPlainText();
}

}  // namespace tessa
