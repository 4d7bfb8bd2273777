#include "window/tools_menu/poll_panel.h"

#include "poll/modbus_poller.h"
#include "poll/poll_request.h"
#include "serial/serial_port.h"
#include "window/dialogs.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {

template <typename W> W* named(W* widget, const QString& name, const QString& toolTip = {})
{
    widget->setObjectName(name);
    if (!toolTip.isEmpty())
        widget->setToolTip(toolTip);
    return widget;
}

QString millis(std::optional<double> ms)
{
    return ms ? QString::number(*ms, 'f', 2) : u"-"_s;
}

}  // namespace

PollPanel::PollPanel(SerialPort& port, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , port_(port)
    , portAlive_(&port)
    , dialogs_(dialogs)
    , poller_(new ModbusPoller([this](QByteArrayView bytes) { return port_.write(bytes); }, this))
{
    setObjectName(u"PollPanel"_s);
    setWindowTitle(tr("Modbus polling"));

    request_ = named(new QLineEdit(u"1,3,0x0000,2"_s, this), u"PollRequest"_s,
                     tr("Slave, function (3, 4 or 6), register, and the count (3/4) or the value written (6); "
                        "decimal or 0x hex"));
    period_ = named(new QSpinBox(this), u"PollPeriod"_s,
                    tr("Milliseconds from one request to the next; 0: as fast as the replies come"));
    period_->setRange(0, 3600000);
    period_->setValue(100);
    period_->setSuffix(u" ms"_s);
    count_ = named(new QSpinBox(this), u"PollCount"_s, tr("Requests to send; 0: until Stop"));
    count_->setRange(0, 100000000);
    count_->setValue(100);
    expect_ = named(new QLineEdit(this), u"PollExpect"_s,
                    tr("Register values a read must return, else it counts as a mismatch; empty: any values"));
    format_ = named(new QComboBox(this), u"PollFormat"_s, tr("How the values read are shown and logged"));
    for (const auto f : {RegisterFormat::Uint16, RegisterFormat::Int16, RegisterFormat::Hex, RegisterFormat::Int32,
                         RegisterFormat::Float32})
        format_->addItem(registerFormatName(f), static_cast<int>(f));
    wordOrder_ = named(new QComboBox(this), u"PollWordOrder"_s,
                       tr("Which register of a pair holds the high half of an int32 or float32"));
    for (const auto w : {WordOrder::HighFirst, WordOrder::LowFirst})
        wordOrder_->addItem(wordOrderName(w), static_cast<int>(w));
    csvPath_ = named(new QLineEdit(this), u"PollCsv"_s,
                     tr("CSV log file: one line per request (time, request, reply, verdict, values); empty: none"));
    auto* browse = named(new QPushButton(tr("..."), this), u"PollCsvBrowse"_s, tr("Choose the CSV log file"));

    start_ = named(new QPushButton(tr("Start"), this), u"PollStart"_s, tr("Start polling on the open port"));
    stop_ = named(new QPushButton(tr("Stop"), this), u"PollStop"_s, tr("Stop polling at once"));
    stop_->setEnabled(false);

    good_ = named(new QLabel(u"0"_s, this), u"PollGood"_s, tr("Replies that answer the request"));
    mismatch_ = named(new QLabel(u"0"_s, this), u"PollMismatch"_s,
                      tr("Replies that do not answer it: another slave or function, bad CRC, cut short, "
                         "values not those expected"));
    exception_ = named(new QLabel(u"0"_s, this), u"PollException"_s, tr("Modbus exception replies"));
    noReply_ = named(new QLabel(u"0"_s, this), u"PollNoReply"_s, tr("Requests with no reply in 1 s"));
    roundTrip_ = named(new QLabel(u"-"_s, this), u"PollRoundTrip"_s,
                       tr("Round trip of the whole replies in ms: min / median / max"));
    values_ = named(new QLabel(this), u"PollValues"_s, tr("The values of the last reply"));
    state_ = named(new QLabel(this), u"PollState"_s);
    state_->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(tr("Request"), request_);
    form->addRow(tr("Period"), period_);
    form->addRow(tr("Count"), count_);
    form->addRow(tr("Expected values"), expect_);
    auto* shown = new QHBoxLayout;
    shown->addWidget(format_);
    shown->addWidget(wordOrder_);
    form->addRow(tr("Values as"), shown);
    auto* csvRow = new QHBoxLayout;
    csvRow->addWidget(csvPath_);
    csvRow->addWidget(browse);
    form->addRow(tr("CSV log"), csvRow);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(stop_);
    auto* counters = new QGridLayout;
    const std::pair<QString, QLabel*> rows[] = {
        {tr("Good"), good_},        {tr("Mismatch"), mismatch_},         {tr("Exception"), exception_},
        {tr("No reply"), noReply_}, {tr("Round trip (ms)"), roundTrip_}, {tr("Last values"), values_}};
    int row = 0;
    for (const auto& [caption, label] : rows) {
        counters->addWidget(new QLabel(caption, this), row, 0);
        counters->addWidget(label, row++, 1);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addLayout(counters);
    layout->addWidget(state_);

    connect(start_, &QPushButton::clicked, this, &PollPanel::start);
    connect(stop_, &QPushButton::clicked, this, &PollPanel::stop);
    connect(browse, &QPushButton::clicked, this, &PollPanel::chooseCsv);
    connect(&port_, &SerialPort::received, this, [this](const ReceivedChunk& chunk) { poller_->received(chunk); });
    connect(&port_, &SerialPort::lost, this, &PollPanel::stop);
    connect(poller_, &ModbusPoller::requestDone, this, [this](const PollRecord& record) {
        values_->setText(record.values.join(u' '));
        showStatistics();
    });
    connect(poller_, &ModbusPoller::finished, this, &PollPanel::finished);
}

PollPanel::~PollPanel()
{
    poller_->disconnect(this);
    poller_->stop();
    if (portAlive_)
        port_.deliverOnArrival(this, false);
}

bool PollPanel::start()
{
    if (poller_->isRunning())
        return false;
    auto refuse = [this](const QString& why) {
        state_->setText(why);
        return false;
    };
    QString why;
    const auto request = parsePollRequest(request_->text(), &why);
    if (!request)
        return refuse(tr("Request: %1").arg(why));
    PollSettings settings;
    settings.request = *request;
    settings.intervalMs = period_->value();
    settings.count = count_->value();
    if (!expect_->text().trimmed().isEmpty()) {
        settings.expectedValues = parseRegisterValues(expect_->text(), &why);
        if (!settings.expectedValues)
            return refuse(tr("Expected values: %1").arg(why));
    }
    settings.format = static_cast<RegisterFormat>(format_->currentData().toInt());
    settings.wordOrder = static_cast<WordOrder>(wordOrder_->currentData().toInt());
    if (!port_.isOpen())
        return refuse(tr("The port is not connected."));
    if (!csvPath_->text().isEmpty()) {
        csv_.setFileName(csvPath_->text());
        if (!csv_.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return refuse(tr("CSV log %1: %2").arg(csvPath_->text(), csv_.errorString()));
        poller_->setCsvLog(&csv_);
    }
    port_.deliverOnArrival(this, true);
    if (!poller_->start(settings)) {
        finished(false);
        return refuse(tr("The poll's settings are out of range."));
    }
    start_->setEnabled(false);
    stop_->setEnabled(true);
    state_->setText(tr("Polling %1").arg(pollRequestText(settings.request)));
    showStatistics();
    return true;
}

void PollPanel::stop()
{
    poller_->stop();
}

void PollPanel::finished(bool writeFailed)
{
    poller_->setCsvLog(nullptr);
    if (csv_.isOpen())
        csv_.close();
    if (portAlive_)
        port_.deliverOnArrival(this, false);
    start_->setEnabled(true);
    stop_->setEnabled(false);
    showStatistics();
    state_->setText(writeFailed ? tr("Stopped: the port refused a request.") : tr("Finished."));
}

void PollPanel::showStatistics()
{
    const PollStatistics& s = poller_->statistics();
    good_->setText(QString::number(s.count(ModbusVerdict::Good)));
    mismatch_->setText(QString::number(s.count(ModbusVerdict::Mismatch)));
    exception_->setText(QString::number(s.count(ModbusVerdict::Exception)));
    noReply_->setText(QString::number(s.count(ModbusVerdict::NoReply)));
    roundTrip_->setText(
        u"%1 / %2 / %3"_s.arg(millis(s.minRoundTripMs()), millis(s.medianRoundTripMs()), millis(s.maxRoundTripMs())));
}

PollPanelState PollPanel::state() const
{
    return {.request = request_->text(),
            .periodMs = period_->value(),
            .count = count_->value(),
            .expect = expect_->text(),
            .format = format_->currentText(),
            .wordOrder = wordOrder_->currentText(),
            .csv = csvPath_->text()};
}

void PollPanel::setState(const PollPanelState& state)
{
    request_->setText(state.request);
    period_->setValue(state.periodMs);
    count_->setValue(static_cast<int>(std::min<qint64>(state.count, count_->maximum())));
    expect_->setText(state.expect);
    if (const int row = format_->findText(state.format); row >= 0)
        format_->setCurrentIndex(row);
    if (const int row = wordOrder_->findText(state.wordOrder); row >= 0)
        wordOrder_->setCurrentIndex(row);
    csvPath_->setText(state.csv);
}

void PollPanel::chooseCsv()
{
    if (const auto path =
            dialogs_.saveFileName(this, tr("CSV file (*.csv);;All files (*)"), csvPath_->text(), tr("Poll CSV log")))
        csvPath_->setText(*path);
}

}  // namespace tessa
