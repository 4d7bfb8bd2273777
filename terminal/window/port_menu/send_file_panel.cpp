#include "window/port_menu/send_file_panel.h"

#include "serial/file_sender.h"
#include "serial/serial_port.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "window/dialogs.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {

int storedNumber(const SettingsStore& settings, const QString& key, int fallback)
{
    bool ok = false;
    const int value = settings.read(key, QString()).toInt(&ok);
    return ok ? value : fallback;
}

}  // namespace

SendFilePanel::SendFilePanel(SerialPort& port, SettingsStore& settings, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Tool)
    , port_(port)
    , settings_(settings)
    , dialogs_(dialogs)
{
    setObjectName(u"SendFilePanel"_s);
    setWindowTitle(tr("Send file"));
    setModal(false);
    sender_ = new FileSender([this](QByteArrayView bytes) { return port_.write(bytes); },
                             [this] { return port_.isOpen() ? port_.bytesToWrite() : 0; }, this);

    auto* form = new QFormLayout(this);
    auto* pathRow = new QHBoxLayout;
    path_ = new QLineEdit(settings_.read(kSendFilePathKey, QString()), this);
    path_->setObjectName(u"SendFilePath"_s);
    path_->setToolTip(tr("The file whose bytes are sent, as they are"));
    auto* browse = new QPushButton(u"..."_s, this);
    browse->setObjectName(u"SendFileBrowse"_s);
    browse->setToolTip(tr("Chooses the file to send"));
    pathRow->addWidget(path_);
    pathRow->addWidget(browse);
    form->addRow(tr("File"), pathRow);

    const auto numberBox = [&](const QString& name, int lowest, int highest, const QString& suffix,
                               QLatin1StringView key, int fallback, const QString& label, const QString& tip) {
        auto* box = new QSpinBox(this);
        box->setObjectName(name);
        box->setRange(lowest, highest);
        box->setSuffix(suffix);
        box->setValue(storedNumber(settings_, key, fallback));
        box->setToolTip(tip);
        form->addRow(label, box);
        return box;
    };
    chunk_ = numberBox(u"SendFileChunk"_s, 1, FileSender::kMaxChunkBytes, tr(" bytes"), kSendFileChunkKey,
                       kDefaultChunkBytes, tr("Chunk"), tr("Bytes written to the port at a time"));
    delay_ = numberBox(u"SendFileDelay"_s, 0, FileSender::kMaxDelayMs, u" ms"_s, kSendFileDelayKey, kDefaultDelayMs,
                       tr("Delay between chunks"), tr("Wait after each chunk has left, before the next one"));

    progress_ = new QProgressBar(this);
    progress_->setObjectName(u"SendFileProgress"_s);
    progress_->setRange(0, 1000);
    progress_->setValue(0);
    form->addRow(progress_);
    auto* buttons = new QHBoxLayout;
    send_ = new QPushButton(tr("Send"), this);
    send_->setObjectName(u"SendFileSend"_s);
    send_->setToolTip(tr("Sends the whole file once, from its first byte"));
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setObjectName(u"SendFileCancel"_s);
    cancel_->setToolTip(tr("Stops sending; says how many bytes have left"));
    cancel_->setEnabled(false);
    buttons->addWidget(send_);
    buttons->addWidget(cancel_);
    form->addRow(buttons);
    status_ = new QLabel(this);
    status_->setObjectName(u"SendFileStatus"_s);
    status_->setWordWrap(true);
    form->addRow(status_);

    connect(browse, &QPushButton::clicked, this, &SendFilePanel::browse);
    connect(send_, &QPushButton::clicked, this, &SendFilePanel::send);
    connect(cancel_, &QPushButton::clicked, sender_, &FileSender::cancel);
    connect(chunk_, &QSpinBox::valueChanged, this,
            [this](int bytes) { settings_.write(kSendFileChunkKey, QString::number(bytes)); });
    connect(delay_, &QSpinBox::valueChanged, this,
            [this](int ms) { settings_.write(kSendFileDelayKey, QString::number(ms)); });
    connect(sender_, &FileSender::progress, this, [this](qint64 sent, qint64 total) {
        progress_->setValue(total > 0 ? static_cast<int>(sent * 1000 / total) : 1000);
        status_->setText(tr("%1 of %2 bytes").arg(sent).arg(total));
    });
    connect(sender_, &FileSender::finished, this, [this](bool, const QString& message) {
        showRunning(false);
        status_->setText(message);
    });
    // A port closed by the user ends the send as a cancel does; a lost one says so.
    connect(&port_, &SerialPort::aboutToClose, sender_, &FileSender::cancel);
    connect(&port_, &SerialPort::lost, sender_, &FileSender::portLost);
}

void SendFilePanel::browse()
{
    const std::optional<QString> path = dialogs_.openFileName(this, QString(), path_->text(), tr("Send file"));
    if (path && !path->isEmpty())
        path_->setText(*path);
}

void SendFilePanel::send()
{
    if (!port_.isOpen()) {
        status_->setText(tr("Not connected"));
        return;
    }
    settings_.write(kSendFilePathKey, path_->text());
    if (!sender_->start(path_->text(), chunk_->value(), delay_->value())) {
        status_->setText(tr("Cannot send %1: %2").arg(path_->text(), sender_->errorString()));
        return;
    }
    showRunning(true);
}

void SendFilePanel::showRunning(bool running)
{
    send_->setEnabled(!running);
    cancel_->setEnabled(running);
    chunk_->setEnabled(!running);
    delay_->setEnabled(!running);
}

}  // namespace tessa
