#include "poll/modbus_poller.h"

#include <QIODevice>

#include <algorithm>

namespace tessa {

namespace {

// The silence before the next request, so that the slave sees the frames apart (3.5 characters
// are well under 1 ms above 19200 baud; 1 ms is the timer's step).
constexpr int kGapMs = 1;

QByteArray csvField(const QString& text)
{
    QByteArray field = text.toUtf8();
    if (field.contains(',') || field.contains('"') || field.contains('\n') || field.contains('\r'))
        field = '"' + field.replace("\"", "\"\"") + '"';
    return field;
}

}  // namespace

void PollStatistics::add(const PollRecord& record)
{
    ++counts_[static_cast<size_t>(record.verdict)];
    if (record.reply.roundTripMs) {
        roundTrips_.push_back(*record.reply.roundTripMs);
        sorted_ = false;
    }
}

qint64 PollStatistics::total() const
{
    qint64 sum = 0;
    for (const qint64 c : counts_)
        sum += c;
    return sum;
}

std::optional<double> PollStatistics::minRoundTripMs() const
{
    if (roundTrips_.empty())
        return std::nullopt;
    return *std::min_element(roundTrips_.begin(), roundTrips_.end());
}

std::optional<double> PollStatistics::maxRoundTripMs() const
{
    if (roundTrips_.empty())
        return std::nullopt;
    return *std::max_element(roundTrips_.begin(), roundTrips_.end());
}

std::optional<double> PollStatistics::medianRoundTripMs() const
{
    if (roundTrips_.empty())
        return std::nullopt;
    if (!sorted_) {
        std::sort(roundTrips_.begin(), roundTrips_.end());
        sorted_ = true;
    }
    const size_t n = roundTrips_.size();
    return n % 2 ? roundTrips_[n / 2] : (roundTrips_[n / 2 - 1] + roundTrips_[n / 2]) / 2;
}

QString PollStatistics::summary() const
{
    QString text = QStringLiteral("%1 requests: %2 good, %3 mismatch, %4 exception, %5 no reply")
                       .arg(total())
                       .arg(count(ModbusVerdict::Good))
                       .arg(count(ModbusVerdict::Mismatch))
                       .arg(count(ModbusVerdict::Exception))
                       .arg(count(ModbusVerdict::NoReply));
    if (const auto median = medianRoundTripMs())
        text += QStringLiteral("; round trip min %1 ms, median %2 ms, max %3 ms")
                    .arg(*minRoundTripMs(), 0, 'f', 2)
                    .arg(*median, 0, 'f', 2)
                    .arg(*maxRoundTripMs(), 0, 'f', 2);
    return text;
}

QByteArray pollCsvHeader()
{
    return "time,request,reply,verdict,values\n";
}

QByteArray pollCsvLine(const PollRecord& record)
{
    QByteArray line = record.sent.toUTC().toString(Qt::ISODateWithMs).toLatin1();
    line += ',' + record.request.toHex(' ').toUpper();
    line += ',' + record.reply.bytes.toHex(' ').toUpper();
    line += ',' + csvField(modbusVerdictName(record.verdict));
    line += ',' + csvField(record.values.join(QLatin1Char(' ')));
    return line + '\n';
}

ModbusPoller::ModbusPoller(std::function<bool(QByteArrayView)> write, QObject* parent)
    : QObject(parent)
    , write_(std::move(write))
{
    replyTimer_.setSingleShot(true);
    nextTimer_.setSingleShot(true);
    replyTimer_.setTimerType(Qt::PreciseTimer);
    nextTimer_.setTimerType(Qt::PreciseTimer);
    connect(&replyTimer_, &QTimer::timeout, this, [this] {
        if (exchange_)
            complete(exchange_->finish());
    });
    connect(&nextTimer_, &QTimer::timeout, this, &ModbusPoller::sendNext);
}

void ModbusPoller::setCsvLog(QIODevice* device)
{
    csv_ = device;
    if (csv_)
        csv_->write(pollCsvHeader());
}

bool ModbusPoller::start(const PollSettings& settings)
{
    const auto f = settings.request.function;
    if ((f != 3 && f != 4 && f != 6) || settings.intervalMs < 0 || settings.intervalMs > 3600000 || settings.count < 0
        || settings.replyTimeoutMs < 1 || settings.replyTimeoutMs > 60000
        || (f != 6 && (settings.request.value < 1 || settings.request.value > 125)))
        return false;
    settings_ = settings;
    frame_ = modbusRequestFrame(settings.request);
    statistics_ = {};
    sent_ = 0;
    running_ = true;
    sendNext();
    return true;
}

void ModbusPoller::stop()
{
    if (running_)
        end(false);
}

void ModbusPoller::end(bool writeFailed)
{
    running_ = false;
    exchange_.reset();
    replyTimer_.stop();
    nextTimer_.stop();
    emit finished(writeFailed);
}

void ModbusPoller::sendNext()
{
    if (!running_)
        return;
    exchange_.emplace(settings_.request);
    sentAt_ = QDateTime::currentDateTimeUtc();
    sinceSent_.start();
    sentUs_ = ReceivedChunk::stampedNow({}).steadyUs;
    ++sent_;
    if (!write_(frame_)) {
        end(true);
        return;
    }
    replyTimer_.start(settings_.replyTimeoutMs);
}

void ModbusPoller::received(const ReceivedChunk& chunk)
{
    // Bytes outside a reply window (late answers, noise) answer nothing asked.
    if (!exchange_ || !exchange_->add(chunk.bytes))
        return;
    ModbusReply reply = exchange_->finish();
    // To where the reply's last bytes were read, as the Modbus page times its replies.
    reply.roundTripMs = static_cast<double>(std::max<qint64>(chunk.steadyUs - sentUs_, 0)) / 1e3;
    complete(reply);
}

void ModbusPoller::complete(ModbusReply reply)
{
    replyTimer_.stop();
    exchange_.reset();
    if (reply.kind == ModbusReply::Kind::NoReply)
        reply.replyWindowMs = settings_.replyTimeoutMs;
    PollRecord record;
    record.index = sent_;
    record.sent = sentAt_;
    record.request = frame_;
    record.verdict = modbusVerdict(reply);
    record.values = formatRegisters(reply.registers, settings_.format, settings_.wordOrder);
    if (record.verdict == ModbusVerdict::Good && settings_.expectedValues && reply.kind == ModbusReply::Kind::Registers
        && reply.registers != *settings_.expectedValues)
        record.verdict = ModbusVerdict::Mismatch;
    record.reply = std::move(reply);
    statistics_.add(record);
    if (csv_)
        csv_->write(pollCsvLine(record));
    emit requestDone(record);
    if (!running_)
        return;
    if (settings_.count > 0 && sent_ >= settings_.count) {
        end(false);
        return;
    }
    const qint64 wait =
        settings_.intervalMs > 0 ? std::max<qint64>(kGapMs, settings_.intervalMs - sinceSent_.elapsed()) : kGapMs;
    nextTimer_.start(static_cast<int>(wait));
}

}  // namespace tessa
