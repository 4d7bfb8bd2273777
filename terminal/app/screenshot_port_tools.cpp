#include "app/screenshot_port_tools.h"

#include "receive/find_panel.h"
#include "receive/receive_view.h"
#include "window/form1.h"

#include <QAction>
#include <QDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The window with the panel drawn over the empty foot of the receive view.
bool saveWithPanel(Form1& form, QWidget& panel, const QString& path)
{
    QTest::qWait(400);
    QPixmap picture = form.grab();
    const QPixmap over = panel.grab();
    QPainter painter(&picture);
    const QPoint at(picture.width() - over.width() - 40, picture.height() - over.height() - 90);
    painter.fillRect(QRect(at, over.size()).adjusted(-1, -1, 1, 1), Qt::darkGray);
    painter.drawPixmap(at, over);
    painter.end();
    if (!picture.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%dx%d)\n", qPrintable(path), picture.width(), picture.height());
    return true;
}

void connectTo(Form1& form, const QString& device)
{
    qputenv("TESSA_COM2", device.toLocal8Bit());
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("2"));
    form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
}

}  // namespace

bool savePortToolPictures(Form1& form, const QString& outputDir)
{
    QTemporaryDir dir;
    QProcess socat;
    socat.start(QStringLiteral("socat"),
                {QStringLiteral("pty,raw,echo=0,link=") + dir.filePath(QStringLiteral("tessa")),
                 QStringLiteral("pty,raw,echo=0,link=") + dir.filePath(QStringLiteral("device"))});
    if (!socat.waitForStarted(5000)
        || !QTest::qWaitFor([&] { return QFileInfo::exists(dir.filePath(QStringLiteral("device"))); }, 5000)) {
        std::fprintf(stderr, "socat did not start: no pictures of control lines and find\n");
        return true;
    }

    form.findChild<QTabWidget*>(QStringLiteral("SSTab1"))->setCurrentIndex(1);
    form.findChild<QPushButton*>(QStringLiteral("Command14"))->click();
    if (form.findChild<tessa::ReceiveView*>(QStringLiteral("Text4"))->isVisible())
        form.findChild<QPushButton*>(QStringLiteral("Command16"))->click();
    const QString line = qEnvironmentVariable("TESSA_SHOT_LINE");
    connectTo(form, line.isEmpty() ? dir.filePath(QStringLiteral("tessa")) : line);
    form.findChild<QAction*>(QStringLiteral("mnu_control_lines"))->trigger();
    auto* lines = form.findChild<QDialog*>(QStringLiteral("ControlLinesPanel"));
    const bool linesSaved = saveWithPanel(form, *lines, outputDir + QStringLiteral("/tessa_control_lines.png"));
    lines->hide();
    form.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    if (!linesSaved)
        return false;

    // Find: a device reporting a few readings, "TEMP" looked for and the second one current.
    connectTo(form, dir.filePath(QStringLiteral("tessa")));
    const int device = ::open(dir.filePath(QStringLiteral("device")).toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    for (const char* reading : {"STATUS OK TEMP=41.5 RPM=1200\r\n", "STATUS OK TEMP=41.7 RPM=1210\r\n",
                                "ALARM 3 TEMP=78.2 RPM=0\r\n", "STATUS OK TEMP=42.0 RPM=1195\r\n"}) {
        if (::write(device, reading, std::strlen(reading)) < 0)
            break;
        QTest::qWait(150);
    }
    QTest::qWait(300);
    auto* find = form.findChild<tessa::FindPanel*>(QStringLiteral("FindPanel"));
    find->open();  // as Ctrl+F in the view does
    auto* text = find->findChild<QLineEdit*>(QStringLiteral("FindText"));
    text->clear();
    QTest::keyClicks(text, QStringLiteral("TEMP"));
    find->findNext();
    find->findNext();
    find->findNext();
    const bool findSaved = saveWithPanel(form, *find, outputDir + QStringLiteral("/tessa_find.png"));
    find->hide();
    ::close(device);
    form.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    socat.terminate();
    socat.waitForFinished(5000);
    return findSaved;
}
