#include "window/port_menu/traffic_counters_control.h"

#include "serial/serial_port.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace tessa {

TrafficCountersControl::TrafficCountersControl(QObject* parent, QMenu& portMenu, SerialPort& port,
                                               SettingsStore& settings, std::function<QStatusBar*()> statusBar)
    : QObject(parent)
    , settings_(settings)
    , statusBar_(std::move(statusBar))
{
    clock_.start();
    counters_.reset(0);
    // One addition per chunk on the receive path; the text is made by the sample timer.
    connect(&port, &SerialPort::sent, this, [this](QByteArrayView bytes) { counters_.addSent(bytes.size()); });
    connect(&port, &SerialPort::received, this,
            [this](const ReceivedChunk& chunk) { counters_.addReceived(chunk.bytes.size()); });
    connect(&port, &SerialPort::opened, this, &TrafficCountersControl::reset);

    action_ = portMenu.addAction(tr("Byte &counters in the status bar"));
    action_->setObjectName(u"mnu_byte_counters"_s);
    action_->setToolTip(tr("Shows the bytes sent and received, and their rates, in the status bar"));
    action_->setCheckable(true);
    connect(action_, &QAction::toggled, this, &TrafficCountersControl::setShown);
    sampleTimer_.setInterval(kSampleMs);
    connect(&sampleTimer_, &QTimer::timeout, this, &TrafficCountersControl::showCounts);
    action_->setChecked(settings_.read(kByteCountersShownKey, u"0"_s) == u"1");
}

void TrafficCountersControl::reset()
{
    counters_.reset(clock_.elapsed());
    rate_ = 0;
    if (label_)
        showText(TrafficCounters::text(0, 0, 0));
}

void TrafficCountersControl::showText(const QString& text)
{
    // New text on a button asks the status bar to lay itself out again, unless the button's
    // size is fixed: it is, and it grows only when a longer text needs more room. The counts
    // change every sample, and laying out the status bar each time cost more than the text.
    // Texts no longer than one measured already are not measured again (digits are of one
    // width, and two spare ones are allowed for).
    if (text.size() > measuredLength_) {
        measuredLength_ = text.size();
        const int needed = label_->fontMetrics().horizontalAdvance(text) + padding_;
        if (needed > label_->width())
            label_->setFixedWidth(needed + label_->fontMetrics().horizontalAdvance(u"00"_s));
    }
    label_->setText(text);
}

void TrafficCountersControl::setShown(bool shown)
{
    settings_.write(kByteCountersShownKey, shown ? u"1"_s : u"0"_s);
    if (shown && !label_) {
        label_ = new QPushButton(statusBar_());
        label_->setObjectName(u"ByteCounters"_s);
        label_->setFlat(true);
        label_->setToolTip(
            tr("Bytes sent and received since connect, and the receive rate. Click to start from zero."));
        connect(label_, &QPushButton::clicked, this, &TrafficCountersControl::reset);
        const QString first = TrafficCounters::text(counters_.sent(), counters_.received(), rate_);
        label_->setText(first);
        const QSize hint = label_->sizeHint();
        padding_ = hint.width() - label_->fontMetrics().horizontalAdvance(first);
        label_->setFixedSize(hint);
        measuredLength_ = first.size();
        statusBar_()->addPermanentWidget(label_);
        statusBar_();  // measured again with the counters in it
    }
    if (label_)
        label_->setVisible(shown);
    if (shown) {
        showCounts();
        sampleTimer_.start();
    } else {
        sampleTimer_.stop();
    }
}

void TrafficCountersControl::showCounts()
{
    rate_ = counters_.sample(clock_.elapsed());
    if (label_)
        showText(TrafficCounters::text(counters_.sent(), counters_.received(), rate_));
}

}  // namespace tessa
