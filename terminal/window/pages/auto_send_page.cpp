#include "window/pages/auto_send_page.h"

#include "files/regular_file.h"
#include "frames/frame_text.h"
#include "program/program_file.h"
#include "program/program_model.h"
#include "program/save_failure.h"
#include "serial/serial_port.h"
#include "window/control_names.h"
#include "window/send_guard.h"
#include "window/common_dialog.h"
#include "window/dialogs.h"
#include "window/event_hook.h"
#include "window/twips.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QStatusBar>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace tessa {
namespace {

const QString kTxtFilter = u"Txt file | *.txt"_s;

bool isHexKey(const QString& text)
{
    if (text.size() != 1)
        return false;
    const char16_t c = text[0].unicode();
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

}  // namespace

AutoSendPage::AutoSendPage(const PageServices& services)
    : services_(services)
{
    setObjectName(u"SSTab1Page0"_s);
    createControls();
    wireEvents();
}

void AutoSendPage::createControls()
{
    program_ = new ProgramModel(this);
    QWidget* page = this;

    List1 = named(new QListWidget(page), u"List1"_s);
    List1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setGeometryTwips(List1, 120, 120, 5400, 3600);
    showProgramInList1();

    Frame1 = named(new QGroupBox(tr("編輯"), page), u"Frame1"_s);
    setGeometryTwips(Frame1, 5640, 120, 2900, 2500);
    Frame1->setToolTip(tr("編輯一行程式: 資料或延遲"));
    auto* option3Group = new QButtonGroup(Frame1);
    Option3[0] = element(new QRadioButton(tr("資料"), Frame1), u"Option3"_s, 0);
    setGeometryTwips(Option3[0], 120, 300, 900, 300);
    Option3[0]->setToolTip(tr("這一行傳送資料"));
    Option3[1] = element(new QRadioButton(tr("系統延遲"), Frame1), u"Option3"_s, 1);
    setGeometryTwips(Option3[1], 120, 1020, 1300, 300);
    Option3[1]->setToolTip(tr("這一行等待 (毫秒)"));
    option3Group->addButton(Option3[0], 0);
    option3Group->addButton(Option3[1], 1);
    Option3[0]->setChecked(true);
    Text3 = named(new QLineEdit(Frame1), u"Text3"_s);
    // The list shows, replays and rebuilds 100 characters of data; longer text would be kept
    // but never sent.
    Text3->setMaxLength(kDataTextShown);
    setGeometryTwips(Text3, 120, 620, 2660, 345);
    Text5 = named(new QLineEdit(u"1"_s, Frame1), u"Text5"_s);
    setGeometryTwips(Text5, 1460, 1000, 800, 345);
    Label6 = named(new QLabel(u"ms"_s, Frame1), u"Label6"_s);
    setGeometryTwips(Label6, 2320, 1040, 400, 300);
    option2Group_ = new QButtonGroup(Frame1);
    Option2[0] = element(new QRadioButton(tr("16進制"), Frame1), u"Option2"_s, 0);
    setGeometryTwips(Option2[0], 120, 1500, 1200, 300);
    Option2[0]->setToolTip(tr("資料為16進制位元組 (例如 0D 0A)"));
    Option2[1] = element(new QRadioButton(tr("字元"), Frame1), u"Option2"_s, 1);
    setGeometryTwips(Option2[1], 1400, 1500, 1200, 300);
    Option2[1]->setToolTip(tr("資料為字元"));
    option2Group_->addButton(Option2[0], 0);
    option2Group_->addButton(Option2[1], 1);
    Option2[1]->setChecked(true);
    Check2 = named(new QCheckBox(u"0xD+0xA"_s, Frame1), u"Check2"_s);
    setGeometryTwips(Check2, 120, 1950, 1600, 300);
    Check2->setToolTip(tr("資料後加上 CR LF"));
    Check2->setChecked(true);

    const auto button = [page](const QString& caption, const QString& name, int left, int top) {
        auto* b = named(new QPushButton(caption, page), name);
        setGeometryTwips(b, left, top, 900, 405);
        return b;
    };
    Command5 = button(tr("增加"), u"Command5"_s, 5640, 2760);
    Command5->setToolTip(tr("在程式最後加上這一行"));
    Command8 = button(tr("插入"), u"Command8"_s, 6600, 2760);
    Command8->setToolTip(tr("在選取的行之前插入這一行"));
    Command7 = button(tr("刪除"), u"Command7"_s, 7560, 2760);
    Command7->setToolTip(tr("刪除選取的行"));
    Command10 = button(tr("取代"), u"Command10"_s, 5640, 3240);
    Command10->setToolTip(tr("以編輯的內容取代選取的行"));
    Command6 = button(tr("傳送"), u"Command6"_s, 6600, 3240);
    Command6->setToolTip(tr("從第1行開始傳送程式一次 (勾選迴圈則重複)"));
    Command11 = button(tr("停止"), u"Command11"_s, 7560, 3240);
    Command11->setToolTip(tr("停止傳送程式"));
    Command9 = button(tr("儲存"), u"Command9"_s, 5640, 3720);
    Command9->setToolTip(tr("將程式存成檔案"));
    Command12 = button(tr("載入"), u"Command12"_s, 6600, 3720);
    Command12->setToolTip(tr("從檔案載入程式"));
    Check3 = named(new QCheckBox(tr("迴圈"), page), u"Check3"_s);
    setGeometryTwips(Check3, 7560, 3760, 900, 345);
    Check3->setToolTip(tr("傳送完最後一行後從第1行重新開始"));

    const auto timer = [this](const QString& name, int intervalMs) {
        auto* t = named(new QTimer(this), name);
        t->setInterval(intervalMs);
        return t;
    };
    Timer9 = timer(u"Timer9"_s, 30);
    Timer10 = timer(u"Timer10"_s, 30);
    Timer13 = timer(u"Timer13"_s, 1);
    Timer14 = timer(u"Timer14"_s, 1);
}

void AutoSendPage::wireEvents()
{
    // Replay pauses are measured in milliseconds on the wire; a coarse timer may be 5 % late.
    Timer13->setTimerType(Qt::PreciseTimer);
    Timer14->setTimerType(Qt::PreciseTimer);

    connect(Command5, &QPushButton::clicked, this, &AutoSendPage::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &AutoSendPage::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &AutoSendPage::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &AutoSendPage::Command8_Click);
    connect(Command10, &QPushButton::clicked, this, &AutoSendPage::Command10_Click);
    connect(Command11, &QPushButton::clicked, this, &AutoSendPage::Command11_Click);
    connect(Command9, &QPushButton::clicked, this, &AutoSendPage::mnu_save_Click);
    connect(Command12, &QPushButton::clicked, this, &AutoSendPage::mnu_open_Click);
    // Like the option buttons' Click, only a change of the selection counts, by hand or not.
    connect(option2Group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            Option2_Click(id);
    });
    connect(Timer9, &QTimer::timeout, this, &AutoSendPage::Timer9_Timer);
    connect(Timer10, &QTimer::timeout, this, &AutoSendPage::Timer10_Timer);
    connect(Timer13, &QTimer::timeout, this, &AutoSendPage::Timer13_Timer);
    connect(Timer14, &QTimer::timeout, this, &AutoSendPage::Timer14_Timer);
    connect(&services_.port, &SerialPort::lost, this, [this] { stopReplayWithPort(true); });
    connect(&services_.port, &SerialPort::aboutToClose, this, [this] { stopReplayWithPort(false); });

    onEvents(Text3, [this](QEvent* e) {
        if (e->type() == QEvent::KeyPress)
            return Text3_KeyPress(static_cast<QKeyEvent*>(e));
        if (e->type() == QEvent::KeyRelease)
            Text3_KeyUp(static_cast<QKeyEvent*>(e));
        else if (e->type() == QEvent::MouseButtonPress)
            Option3[0]->setChecked(true);
        return false;
    });
    onEvents(Text5, [this](QEvent* e) {
        if (e->type() == QEvent::MouseButtonPress)
            Option3[1]->setChecked(true);
        return false;
    });
    // Any mouse button on a line loads it; the press selects it first.
    onEvents(List1->viewport(), [this](QEvent* e) {
        if (e->type() == QEvent::MouseButtonPress) {
            auto* press = static_cast<QMouseEvent*>(e);
            if (QListWidgetItem* item = List1->itemAt(press->position().toPoint()))
                List1->setCurrentItem(item);
            List1_MouseDown();
            return press->button() != Qt::LeftButton;
        }
        return false;
    });
}

// ---- messages ----

void AutoSendPage::showMessage(const QString& text, const QString& title)
{
    services_.dialogs.hint(&services_.window, text, title);
}

bool AutoSendPage::FileExists(const QString& name)
{
    if (name.isEmpty())
        return false;
    const QFileInfo info(name);
    return info.exists() && info.isFile();
}

// ---- editor ----

void AutoSendPage::loadEditor(const QString& rec)
{
    Text3->clear();
    if (isDelayRecord(rec)) {
        Option3[1]->setChecked(true);
        Text5->setText(QString::number(delayValue(rec)));
        return;
    }
    Option3[0]->setChecked(true);
    Check2->setChecked(hasCrLf(rec));
    (isHexRecord(rec) ? Option2[0] : Option2[1])->setChecked(true);
    Text3->setText(recordData(rec));
}

std::optional<QString> AutoSendPage::editorRecord(int lineNumber)
{
    EditorFields fields;
    fields.delay = Option3[1]->isChecked();
    fields.hex = Option2[0]->isChecked();
    fields.crLf = Check2->isChecked();
    fields.data = Text3->text();
    fields.delayText = Text5->text();
    const CheckedRecord checked = checkEditorFields(fields, lineNumber);
    if (!checked.record)
        showMessage(checked.problem, checked.title);
    return checked.record;
}

// List1 only shows the program: its items follow the model's rows and lines.
void AutoSendPage::showProgramInList1()
{
    const auto lineOf = [this](int row) { return program_->data(program_->index(row)).toString(); };
    connect(program_, &QAbstractItemModel::rowsInserted, List1,
            [this, lineOf](const QModelIndex&, int first, int last) {
                for (int row = first; row <= last; ++row)
                    List1->insertItem(row, lineOf(row));
            });
    connect(program_, &QAbstractItemModel::rowsRemoved, List1, [this](const QModelIndex&, int first, int last) {
        for (int row = last; row >= first; --row)
            delete List1->takeItem(row);
    });
    connect(program_, &QAbstractItemModel::dataChanged, List1,
            [this, lineOf](const QModelIndex& from, const QModelIndex& to) {
                for (int row = from.row(); row <= to.row(); ++row)
                    List1->item(row)->setText(lineOf(row));
            });
    connect(program_, &QAbstractItemModel::modelReset, List1, [this, lineOf] {
        List1->clear();
        QStringList lines;
        for (int row = 0; row < program_->size(); ++row)
            lines << lineOf(row);
        List1->addItems(lines);
    });
}

// After an insert or a delete the editor shows the program's last record, as it always has.
void AutoSendPage::showLastRecordInEditor()
{
    if (program_->size() > 0)
        loadEditor(program_->entry(program_->size() - 1));
}

void AutoSendPage::Command5_Click()
{
    if (program_->isFull()) {
        showMessage(translated(kProgramFullText), translated(kProgramFullTitle));
        return;
    }
    const int n = program_->size() + 1;
    if (!Option3[1]->isChecked() && Text3->text().isEmpty()) {
        showMessage(translated(kDataEmptyText), translated(kHintTitle));
        return;
    }
    const std::optional<QString> rec = editorRecord(n);
    if (!rec)
        return;
    program_->append(*rec);
    if (!Option3[1]->isChecked())
        List1->setCurrentRow(program_->size() - 1);
}

void AutoSendPage::Command8_Click()
{
    if (program_->isFull()) {
        showMessage(tr("Over 1000 lines"), QString());
        return;
    }
    const int p = List1->currentRow() >= 0 ? List1->currentRow() : program_->size();
    const std::optional<QString> rec = editorRecord(p + 1);
    if (!rec)
        return;
    program_->insert(p, *rec);
    showLastRecordInEditor();
    List1->setCurrentRow(std::min(p, program_->size() - 1));
}

void AutoSendPage::Command7_Click()
{
    const int k = List1->currentRow();
    if (k < 0)
        return;
    program_->remove(k);
    showLastRecordInEditor();
    if (k < program_->size())
        List1->setCurrentRow(k);
    else if (k > 0)
        List1->setCurrentRow(k - 1);
    List1_MouseDown();
}

void AutoSendPage::Command10_Click()
{
    const int index = List1->currentRow();
    if (index < 0)
        return;
    const std::optional<QString> rec = editorRecord(index + 1);
    if (!rec)
        return;
    program_->replace(index, *rec);
    List1->setCurrentRow(index);
}

void AutoSendPage::List1_MouseDown()
{
    const int row = List1->currentRow();
    if (row >= 0 && List1->currentItem() && List1->currentItem()->isSelected())
        loadEditor(program_->entry(row));
}

// ---- replay ----

void AutoSendPage::Command6_Click()
{
    if (!services_.guard.showsConnected()) {
        showMessage(translated(kNotConnectedText), translated(kHintTitle));
        return;
    }
    if (program_->size() == 0) {
        showMessage(tr("No Data!!"), QString());
        return;
    }
    Timer13->start();
    replayPosition_ = 0;
}

void AutoSendPage::Command11_Click()
{
    // Stop means nothing more goes to the device: neither the next line nor the one after a
    // running delay, and a loop ends too. "傳送" starts again from the first line.
    Timer13->stop();
    Timer14->stop();
}

void AutoSendPage::stopReplayWithPort(bool lost)
{
    if (!Timer13->isActive() && !Timer14->isActive())
        return;
    Command11_Click();
    const int line = replayPosition_ < program_->size() ? replayPosition_ + 1 : 1;
    const QString text = lost ? tr("通訊埠連線已中斷，程式在第 %1 行停止") : tr("通訊埠已關閉，程式在第 %1 行停止");
    if (QStatusBar* bar = services_.statusBar())
        bar->showMessage(text.arg(line));
}

void AutoSendPage::Timer13_Timer()
{
    if (Timer14->isActive())
        return;
    // Nothing is written to a port that is gone; the replay ends where it stood.
    if (!services_.port.isOpen()) {
        stopReplayWithPort(true);
        return;
    }
    const ReplayTick tick = replayTick(*program_, replayPosition_, Check3->isChecked());
    for (const QByteArray& bytes : tick.writes)
        services_.port.write(bytes);  // a closed port drops them, as every error inside a tick is passed over
    if (tick.pauseMs > 0) {
        Timer14->setInterval(tick.pauseMs);
        Timer14->start();
    }
    if (tick.stop)
        Timer13->stop();
}

void AutoSendPage::Timer14_Timer()
{
    Timer14->stop();
    // The line after the pause leaves now rather than on the next replay tick.
    if (Timer13->isActive())
        Timer13_Timer();
}

// ---- data-mode guard and hexadecimal entry ----

void AutoSendPage::Option2_Click(int index)
{
    if (loading_ == 1)
        return;
    if (!Text3->text().isEmpty() && !Timer10->isActive()) {
        modeChangeIndex_ = static_cast<std::int16_t>(index);
        Timer9->start();
    }
}

void AutoSendPage::Timer9_Timer()
{
    Timer9->stop();
    if (Text3->text().isEmpty())
        return;
    showMessage(tr("Must data blank!!"), QString());
    Timer10->start();
    (modeChangeIndex_ != 0 ? Option2[0] : Option2[1])->setChecked(true);
}

void AutoSendPage::Timer10_Timer()
{
    Timer10->stop();
}

bool AutoSendPage::Text3_KeyPress(QKeyEvent* event)
{
    if (!Option2[0]->isChecked())
        return false;
    if (event->key() == Qt::Key_Backspace || isHexKey(event->text()))
        return false;
    // Caret and focus keys pass; every key that would type something else is discarded.
    return !event->text().isEmpty();
}

void AutoSendPage::Text3_KeyUp(QKeyEvent* event)
{
    if (!Option2[0]->isChecked())
        return;
    const QString text = Text3->text();
    const bool backspace = event->key() == Qt::Key_Backspace;
    if (backspace && text.isEmpty())
        return;
    if (text.size() % 3 != 2)
        return;
    Text3->setText(backspace ? text.chopped(1) : text + u' ');
    Text3->setCursorPosition(Text3->text().size());
}

// ---- program files ----

void AutoSendPage::mnu_new_file_Click()
{
    program_->clear();
}

void AutoSendPage::mnu_save_Click()
{
    if (program_->size() == 0) {
        showMessage(tr("No Data"), QString());
        return;
    }
    services_.dialog.setFileName(QString());
    services_.dialog.setFilter(kTxtFilter);
    if (!services_.dialog.showSave(&services_.window))
        return;
    const QString name = services_.dialog.fileName();
    if (name.isEmpty())
        return;
    if (FileExists(name)) {
        if (services_.dialogs.message(&services_.window, QMessageBox::NoIcon, QString(),
                                      tr("File already exist,overwrite it?"), QMessageBox::Yes | QMessageBox::No,
                                      QMessageBox::No)
            != QMessageBox::Yes)
            return;
    }
    // Written beside the target and renamed over it: a failed write leaves the old file whole.
    // Unbuffered, so that a write the disk refuses (full) fails here: through the buffer the
    // refusal went unseen and an empty file replaced the old one as "Save finished".
    QSaveFile file(name);
    const QByteArray bytes = program_->fileBytes();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size()
        || !file.commit()) {
        showMessage(tr("Could not save \"%1\": %2. The file was not changed.")
                        .arg(name, saveFailureReason(name, bytes.size(), file.errorString())),
                    translated(kHintTitle));
        return;
    }
    // The file holds one byte per character; what does not fit is written as "?", and said.
    const qsizetype replaced = program_->charactersBeyondLatin1();
    if (replaced == 0) {
        showMessage(tr("Save finished"), QString());
        return;
    }
    showMessage(tr("Save finished\n%1 beyond the one-byte code page (Latin-1) written as \"?\".")
                    .arg(replaced == 1 ? tr("1 character was") : tr("%1 characters were").arg(replaced)),
                QString());
}

void AutoSendPage::mnu_open_Click()
{
    services_.dialog.setFileName(QString());
    services_.dialog.setFilter(kTxtFilter);
    if (!services_.dialog.showOpen(&services_.window))
        return;
    const QString name = services_.dialog.fileName();
    QFile file;
    QString error;
    if (name.isEmpty() || !openRegularFile(file, name, error)) {
        showMessage(tr("Could not open \"%1\": %2").arg(name, error), translated(kHintTitle));
        return;
    }
    // Parsed off the widgets: a hostile file costs a pass over its bytes, not a widget
    // update per record.
    loading_ = 1;
    const ProgramFileLoad load = program_->load(file);
    file.close();

    // The editor ends as adding the records one by one left it: on the last one, a data
    // record's line selected.
    if (!load.records.isEmpty())
        loadEditor(load.records.last());
    for (qsizetype i = load.records.size() - 1; i >= 0; --i) {
        if (!isDelayRecord(load.records[i])) {
            List1->setCurrentRow(static_cast<int>(i));
            break;
        }
    }
    loading_ = 0;
    // One message for all refused records instead of one box each.
    const QStringList messages = load.messages();
    for (const QString& message : messages)
        showMessage(message,
                    message.startsWith(translated(kProgramFullText)) ? translated(kProgramFullTitle)
                                                                     : translated(kHintTitle));
}

}  // namespace tessa
