// The page "其他測試": command rows, encoder and "sabs" lines, "Test", the received-text
// file, the status queries and the outputs.
#include "window/form1.h"

#include "frames/frame_text.h"
#include "panels/command_rows.h"
#include "panels/status_and_outputs.h"
#include "receive/receive_view.h"
#include "serial/serial_port.h"
#include "window/filled_shape.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace {

const QColor kLampGrey(0xC0, 0xC0, 0xC0);
const QColor kLampGreen(0x00, 0xFF, 0x00);

}  // namespace

void Form1::commandRow_Click(int row)
{
    if (!portOpenGuard())
        return;
    const tessa::CommandRow& r = tessa::commandRow(row);
    const QString command = findChild<QLineEdit*>(QString::fromLatin1(r.commandBox))->text();
    const QString id = findChild<QLineEdit*>(QString::fromLatin1(r.idBox))->text();
    Comm1->write(QStringView(tessa::commandRowLine(command, id)));
    Comm1->write(QByteArrayView(tessa::kCrLf));
    showCharacterView();
    for (int k = 0; k < static_cast<int>(Shape1.size()); ++k)
        Shape1[k]->setFillColor(k == row - 1 ? kLampGreen : kLampGrey);
    settings_.write(tessa::commandRowKey(row), command);
    settings_.write(tessa::commandRowIdKey(row), id);
}

void Form1::sendValueLine(const QByteArray& prefix, QLineEdit* box, const QString& key)
{
    if (!portOpenGuard())
        return;
    Comm1->write(prefix);
    Comm1->write(QStringView(box->text()));
    Comm1->write(QByteArrayView(tessa::kCrLf));
    settings_.write(key, box->text());
}

void Form1::Command29_Click()
{
    sendValueLine(tessa::encoderPrefix(), Text16, u"Renc"_s);
}

void Form1::Command55_Click()
{
    sendValueLine(tessa::sabsPrefix(), Text25, u"sabs"_s);
}

void Form1::Command40_Click()
{
    sendQueryWord("test");
}

void Form1::Command28_Click()
{
    // Without a drive C the file goes to the home folder; the status bar says where, without
    // stopping the operator.
    const QString path = tessa::receivedTextPath();
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(tessa::receivedTextBytes(Text6->toPlainText())) >= 0 && file.flush();
    file.close();
    QStatusBar* bar = shownStatusBar();
    if (written)
        bar->showMessage(u"Received text saved to %1"_s.arg(path), 10000);
    else
        bar->showMessage(u"Could not save the received text to %1: %2"_s.arg(path, file.errorString()), 10000);
}

void Form1::limitKeyUp(QLineEdit* box, double lowest, double highest)
{
    const QString lastValid = box->property("lastValidText").isValid() ? box->property("lastValidText").toString()
                                                                        : u"0"_s;
    const QString limited = tessa::limitedText(box->text(), lowest, highest, lastValid);
    if (limited != box->text())
        box->setText(limited);
    if (tessa::isDecimalText(limited))
        box->setProperty("lastValidText", limited);
}

// ---- status query and outputs ----

void Form1::sendQueryWord(const char* word)
{
    if (!portOpenGuard())
        return;
    Comm1->write(QByteArrayView(word));
    Comm1->write(QByteArrayView(tessa::kCrLf));
}

void Form1::Command42_Click()
{
    sendQueryWord("rse");
}

void Form1::Command43_Click()
{
    sendQueryWord("rout");
}

void Form1::Command44_Click()
{
    sendQueryWord("rby");
}

void Form1::Command41_Click()
{
    sendQueryWord("ver");
}

void Form1::Command39_Click()
{
    if (!connectButtonGuard())
        return;
    Comm1->write(tessa::inputQuery());
}

void Form1::Command38_Click()
{
    if (!connectButtonGuard())
        return;
    Comm1->write(tessa::sensorQuery());
}

void Form1::sendOutputPattern(const QByteArray& prefix)
{
    if (!portOpenGuard())
        return;
    const QString pattern = tessa::outputPattern(outputChecks_[3]->isChecked(), outputChecks_[2]->isChecked(),
                                                 outputChecks_[1]->isChecked(), outputChecks_[0]->isChecked());
    Comm1->write(prefix);
    Comm1->write(QStringView(pattern));
    Comm1->write(QByteArrayView(tessa::kCrLf));
}

void Form1::Command53_Click()
{
    sendOutputPattern(tessa::outonPrefix());
}

void Form1::Command54_Click()
{
    sendOutputPattern(tessa::outoffPrefix());
}
