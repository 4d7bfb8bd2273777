#include "panels/command_rows.h"

#include "frames/frame_text.h"

#include <QDir>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace tessa {

const CommandRow& commandRow(int row)
{
    static const CommandRow rows[kCommandRowCount] = {
        {"Command27", "Text8", "Text9"},   {"Command32", "Text10", "Text11"}, {"Command34", "Text12", "Text13"},
        {"Command36", "Text14", "Text15"}, {"Command45", "Text17", "Text18"}, {"Command47", "Text19", "Text20"},
        {"Command49", "Text21", "Text22"}, {"Command51", "Text23", "Text24"},
    };
    return rows[row - 1];
}

QString commandRowLine(const QString& command, const QString& id)
{
    return command + u',' + id;
}

QByteArray encoderPrefix()
{
    return QByteArrayLiteral("c99=");
}

QByteArray sabsPrefix()
{
    return QByteArrayLiteral("c41=");
}

bool isDecimalText(QStringView text)
{
    static const QRegularExpression number(u"^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"_s);
    return number.match(text.toString()).hasMatch();
}

QString limitedText(const QString& text, double lowest, double highest, const QString& lastValid)
{
    if (text.isEmpty() || text == u"-"_s)
        return text;
    if (!isDecimalText(text))
        return lastValid;
    const double value = text.trimmed().toDouble();
    if (value > highest)
        return QString::number(static_cast<long long>(highest));
    if (value < lowest)
        return QString::number(static_cast<long long>(lowest));
    return text;
}

QString receivedTextPath()
{
    return QDir::home().filePath(u"tessa.txt"_s);
}

QByteArray receivedTextBytes(const QString& viewText)
{
    QString text = viewText;
    text.replace(u"\n"_s, u"\r\n"_s);
    return characterFrame(text, true);
}

}  // namespace tessa
