#include "window/port_menu/control_lines_panel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>

#include <array>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {

struct Lamp {
    const char* caption;
    const char* name;
    QSerialPort::PinoutSignal line;
};

constexpr std::array<Lamp, 4> kLamps {{
    {"CTS", "ControlLinesCts", QSerialPort::ClearToSendSignal},
    {"DSR", "ControlLinesDsr", QSerialPort::DataSetReadySignal},
    {"DCD", "ControlLinesDcd", QSerialPort::DataCarrierDetectSignal},
    {"RI", "ControlLinesRi", QSerialPort::RingIndicatorSignal},
}};

const QString kLampStyle = u"QLabel { border: 1px solid gray; border-radius: 3px; padding: 2px 6px; }"
                           u"QLabel[lit=\"true\"] { background: #3c3; color: black; }"_s;

}  // namespace

QString ControlLinesPanel::lampTip(QSerialPort::PinoutSignal line)
{
    switch (line) {
    case QSerialPort::ClearToSendSignal:
        return tr("Clear to send: lit while the device holds CTS on");
    case QSerialPort::DataSetReadySignal:
        return tr("Data set ready: lit while the device holds DSR on");
    case QSerialPort::DataCarrierDetectSignal:
        return tr("Data carrier detect: lit while the device holds DCD on");
    default:
        return tr("Ring indicator: lit while the device holds RI on");
    }
}

QString ControlLinesPanel::unavailableText()
{
    return tr("This port has no modem lines (a pseudo-terminal?): RTS, DTR, CTS, DSR, DCD and RI do not exist on it.");
}

ControlLinesPanel::ControlLinesPanel(ControlLines& lines, QWidget* parent)
    : QDialog(parent, Qt::Tool)
    , lines_(lines)
{
    setObjectName(u"ControlLinesPanel"_s);
    setWindowTitle(tr("Control lines"));
    setModal(false);

    auto* grid = new QGridLayout(this);
    rts_ = new QCheckBox(u"RTS"_s, this);
    rts_->setObjectName(u"ControlLinesRts"_s);
    rts_->setToolTip(tr("Request to send: sets the RTS output line on or off"));
    dtr_ = new QCheckBox(u"DTR"_s, this);
    dtr_->setObjectName(u"ControlLinesDtr"_s);
    dtr_->setToolTip(tr("Data terminal ready: sets the DTR output line on or off"));
    grid->addWidget(rts_, 0, 0);
    grid->addWidget(dtr_, 0, 1);

    breakMs_ = new QSpinBox(this);
    breakMs_->setObjectName(u"ControlLinesBreakMs"_s);
    breakMs_->setRange(1, ControlLines::kMaxBreakMs);
    breakMs_->setSuffix(u" ms"_s);
    breakMs_->setValue(lines_.breakMs());
    breakMs_->setToolTip(tr("How long Send break holds the transmit line in break"));
    break_ = new QPushButton(tr("Send break"), this);
    break_->setObjectName(u"ControlLinesBreak"_s);
    grid->addWidget(breakMs_, 1, 0);
    grid->addWidget(break_, 1, 1);

    lampRow_ = new QWidget(this);
    auto* row = new QHBoxLayout(lampRow_);
    row->setContentsMargins(0, 0, 0, 0);
    for (const Lamp& lamp : kLamps) {
        auto* label = new QLabel(QString::fromLatin1(lamp.caption), lampRow_);
        label->setObjectName(QString::fromLatin1(lamp.name));
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(kLampStyle);
        label->setProperty("lit", false);
        label->setToolTip(lampTip(lamp.line));
        row->addWidget(label);
        lamps_.append(label);
    }
    grid->addWidget(lampRow_, 2, 0, 1, 2);

    note_ = new QLabel(this);
    note_->setObjectName(u"ControlLinesNote"_s);
    note_->setWordWrap(true);
    grid->addWidget(note_, 3, 0, 1, 2);
    breakNote_ = new QLabel(tr("Send break does nothing on a pseudo-terminal: it has no line to hold in break."), this);
    breakNote_->setObjectName(u"ControlLinesBreakNote"_s);
    breakNote_->setWordWrap(true);
    grid->addWidget(breakNote_, 4, 0, 1, 2);
    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName(u"ControlLinesClose"_s);
    close->setToolTip(tr("Closes this panel; the lines stay as they are"));
    grid->addWidget(close, 5, 1);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    connect(rts_, &QCheckBox::toggled, this, [this](bool on) { lines_.setRequestToSend(on); });
    connect(dtr_, &QCheckBox::toggled, this, [this](bool on) { lines_.setDataTerminalReady(on); });
    connect(breakMs_, &QSpinBox::valueChanged, this, [this](int ms) { lines_.setBreakMs(ms); });
    connect(break_, &QPushButton::clicked, this, [this] { lines_.sendBreak(); });
    connect(&lines_, &ControlLines::breakChanged, this, [this](bool on) {
        break_->setText(on ? tr("Break...") : tr("Send break"));
        break_->setEnabled(!on && lines_.state() != ControlLines::State::Closed);
    });
    connect(&lines_, &ControlLines::stateChanged, this, &ControlLinesPanel::showState);
    connect(&lines_, &ControlLines::inputsChanged, this, &ControlLinesPanel::showInputs);
    connect(&lines_, &ControlLines::outputsChanged, this, &ControlLinesPanel::showOutputs);
    showState();
}

void ControlLinesPanel::showState()
{
    const ControlLines::State state = lines_.state();
    const bool live = state == ControlLines::State::Live;
    lampRow_->setVisible(live);
    rts_->setEnabled(state != ControlLines::State::Unavailable);
    dtr_->setEnabled(state != ControlLines::State::Unavailable);
    break_->setEnabled(state != ControlLines::State::Closed && !lines_.breaking());
    note_->setText(state == ControlLines::State::Unavailable  ? unavailableText()
                       : state == ControlLines::State::Closed ? tr("Not connected: RTS and DTR are set at connect.")
                                                              : QString());
    note_->setVisible(!live);
    // A pseudo-terminal takes the break request and does nothing with it.
    const bool noLines = state == ControlLines::State::Unavailable;
    breakNote_->setVisible(noLines);
    break_->setToolTip(noLines ? breakNote_->text() : tr("Holds the transmit line in break for the time beside it"));
    showOutputs();
    showInputs(lines_.inputs());
}

void ControlLinesPanel::showInputs(QSerialPort::PinoutSignals inputs)
{
    for (std::size_t i = 0; i < kLamps.size(); ++i) {
        const bool lit = inputs.testFlag(kLamps[i].line);
        if (lamps_[static_cast<qsizetype>(i)]->property("lit").toBool() == lit)
            continue;
        QLabel* lamp = lamps_[static_cast<qsizetype>(i)];
        lamp->setProperty("lit", lit);
        // The style sheet looks at the property only when polished again.
        lamp->style()->unpolish(lamp);
        lamp->style()->polish(lamp);
    }
}

void ControlLinesPanel::showOutputs()
{
    const QSignalBlocker rtsBlocker(rts_);
    const QSignalBlocker dtrBlocker(dtr_);
    rts_->setChecked(lines_.requestToSend());
    dtr_->setChecked(lines_.dataTerminalReady());
}

}  // namespace tessa
