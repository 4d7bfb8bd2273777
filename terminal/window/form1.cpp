#include "window/form1.h"

#include "autotest/auto_test.h"
#include "frames/random_frame.h"
#include "panels/command_rows.h"
#include "program/program_model.h"
#include "receive/find_panel.h"
#include "receive/history_window.h"
#include "receive/receive_display.h"
#include "serial/connection.h"
#include "serial/serial_port.h"
#include "settings/startup_settings.h"
#include "settings/settings_keys.h"
#include "window/auto_test_runner.h"
#include "window/checksum_frame_box.h"
#include "window/common_dialog.h"
#include "window/connection_bar.h"
#include "window/control_names.h"
#include "window/event_hook.h"
#include "window/help_menu.h"
#include "window/motion_command_bar.h"
#include "window/pages/auto_send_page.h"
#include "window/pages/modbus_page.h"
#include "window/pages/other_tests_page.h"
#include "window/pages/page_services.h"
#include "window/pages/test_edit_page.h"
#include "window/port_menu/line_settings_control.h"
#include "window/port_menu/port_menu.h"
#include "window/port_map_dialog.h"
#include "window/send_guard.h"
#include "window/size_modes.h"
#include "window/session_menu.h"
#include "window/tools_menu/poll_panel.h"
#include "window/tools_menu/tools_menu.h"
#include "window/twips.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

using namespace Qt::StringLiterals;
using tessa::named;
using tessa::setGeometryTwips;

// The auto test's view of the window: the connection bar's own connect, disconnect and the
// checksum frame's send.
class Form1::AutoTestView : public tessa::AutoTestWindow {
public:
    explicit AutoTestView(Form1& form)
        : form_(form)
    {
    }
    bool connected() const override { return form_.connectionBar_->showsConnected(); }
    void disconnect() override { form_.connectionBar_->Command2_Click(); }
    void connectTo(int portNumber) override
    {
        form_.connectionBar_->setPortNumberText(QString::number(portNumber));
        form_.connectionBar_->Command1_Click();
    }
    int portInText1() const override { return tessa::parsePortNumber(form_.connectionBar_->portNumberText()); }
    bool connectSucceeded() const override { return form_.connection_->connectSucceeded(); }
    int deviceRow() const override { return form_.Combo2->currentIndex(); }
    QString deviceTypeText() const override { return form_.Combo2->currentText(); }
    void writeString(const QString& text) override { form_.comm1().write(QStringView(text)); }
    void sendChecksumFrame() override { form_.Frame3->Command3_Click(); }
    void clearHexView() override { form_.Text4->clear(); }
    void clearReceiveDisplay() override { form_.Command14_Click(); }
    std::int16_t availability(int portNumber) const override { return form_.portAvailability(portNumber); }

private:
    Form1& form_;
};

Form1::Form1(std::unique_ptr<tessa::Dialogs> dialogs, QWidget* parent)
    : QMainWindow(parent)
    , dialogs_(dialogs ? std::move(dialogs) : std::make_unique<tessa::QtDialogs>())
{
    createControls();
    createMenus();
    autoTestView_ = std::make_unique<AutoTestView>(*this);
    autoTestRunner_ = new tessa::AutoTestRunner(
        *autoTestView_, *this, *dialogs_, [this] { return shownStatusBar(); }, *mnu_autotest_stop);
    wireEvents();
    Form_Load();
    portMenu_ = new tessa::PortMenu(this, *dialogs_, *mnu_port, *connection_, *connectionBar_, settings_, *receive_,
                                    [this] { return shownStatusBar(); });
    // The window's share of the one received route: each chunk the port delivers goes to the
    // receive views (shown by Timer1), the history and the auto test's probe.
    connect(&connection_->port(), &tessa::SerialPort::received, this, [this](const tessa::ReceivedChunk& chunk) {
        receive_->chunkReceived(chunk);
        receiveHistory_.append(chunk.bytes);
        autoTestRunner_->received(chunk.bytes);
    });
    // Find in the receive views (Ctrl+F), from the Find menu and the views' context menu.
    auto* findPanel = new tessa::FindPanel(*receive_, settings_, this);
    QMenu* find = named(menuBar()->addMenu(tr("F&ind")), u"mnu_find_menu"_s);
    find->addActions(findPanel->actions());
    find->setToolTipsVisible(true);
    tessa::addReceiveHistory(*find, *receive_, findPanel->actions(), receiveHistory_, *this);
    // Answers and scripts (Tools menu).
    toolsMenu_ = new tessa::ToolsMenu(this, *menuBar(), connection_->port(), settings_, *dialogs_,
                                      [this](const QString& note) { portMenu_->note(note); });
    sessionMenu_ = new tessa::SessionMenu(
        this, *dialogs_, *mnu_file, [this] { return currentSession(); },
        [this](const tessa::Session& session) { applySession(session); });
    new tessa::HelpMenu(*this, settings_, *dialogs_);
}

bool Form1::openSession(const QString& path)
{
    return sessionMenu_->open(path);
}

bool Form1::saveSession(const QString& path)
{
    return sessionMenu_->save(path);
}

tessa::Session Form1::currentSession() const
{
    tessa::Session session;
    const int port = tessa::parsePortNumber(connectionBar_->portNumberText());
    session.portNumber = port >= 1 && port <= tessa::kHighestPortNumber ? port : 1;
    session.line = portMenu_->lineSettings().options();
    session.line.baudRate = tessa::baudRateTexts().value(connectionBar_->baudIndex(), u"9600"_s).toInt();
    session.answerRules = toolsMenu_->answers().rules();
    session.answerActionsPerSecond = toolsMenu_->answers().actionsPerSecond();
    session.lastScript = toolsMenu_->lastScript();
    session.poll = toolsMenu_->pollPanel().state();
    QHash<QString, QLineEdit*> boxes = otherTestsPage_->storedBoxes();
    boxes.insert(modbusPage_->storedBoxes());
    for (const QString& key : tessa::panelSettingKeys())
        if (const QLineEdit* box = boxes.value(key))
            session.panelValues.append({key, box->text()});
    return session;
}

void Form1::applySession(const tessa::Session& session)
{
    // Everything here was checked when the file was read: nothing below can refuse.
    connectionBar_->restore(QString::number(session.portNumber),
                            static_cast<int>(tessa::baudRateTexts().indexOf(QString::number(session.line.baudRate))));
    portMenu_->lineSettings().setOptions(session.line);
    toolsMenu_->setAnswers(session.answerRules, session.answerActionsPerSecond);
    toolsMenu_->setLastScript(session.lastScript);
    toolsMenu_->pollPanel().setState(session.poll);
    restorePanelValues(session.panelValues);
}

Form1::~Form1()
{
    // The controls are destroyed after this body, and they send events (a hidden jog button)
    // and signals (the port closing) as they go: nothing may reach the pages' handlers then.
    for (QObject* child : findChildren<QObject*>())
        if (auto* hook = dynamic_cast<tessa::EventHook*>(child))
            delete hook;
    if (connection_)
        connection_->port().disconnect();
}

tessa::SerialPort& Form1::comm1()
{
    return connection_->port();
}

tessa::ReceiveLogs& Form1::receiveLogs()
{
    return receive_->logs();
}

std::int16_t Form1::portAvailability(int portNumber) const
{
    return connection_->availability(portNumber);
}

std::int16_t Form1::connectSucceeded() const
{
    return connection_->connectSucceeded() ? 1 : 0;
}

const tessa::ProgramModel& Form1::programModel() const
{
    return autoSendPage_->programModel();
}

const tessa::AutoTest& Form1::autoTest() const
{
    return autoTestRunner_->autoTest();
}

void Form1::createControls()
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Marro QV7 v3.1"_s);
    auto* form = named(new QWidget(this), u"Form1Client"_s);
    setCentralWidget(form);

    connection_ = new tessa::Connection(&settings_, this);
    connectionBar_ = new tessa::ConnectionBar(*connection_, settings_, *form, *dialogs_,
                                              [this] { return autoTestRunner_ && autoTestRunner_->running(); });

    Command4 = named(new QPushButton(tr("Auto test"), form), u"Command4"_s);
    setGeometryTwips(Command4, 4300, 480, 1200, 345);
    Command4->setToolTip(tr("尋找有裝置回應的通訊埠"));
    Command4->hide();
    Combo2 = tessa::dropDownList(form, u"Combo2"_s,
                                 {u"Remain\t"_s, u"Remain"_s, u"Dorva Encoder/Creel"_s, u"Dorva Rotatory"_s,
                                  u"Dorva HMI"_s, u"Dorva K5 Ring .."_s},
                                 u"NONE"_s);
    setGeometryTwips(Combo2, 5600, 480, 2400, 345);
    Combo2->hide();
    Command15 = named(new QPushButton(u"Command15"_s, form), u"Command15"_s);
    setGeometryTwips(Command15, 1800, 480, 1300, 345);
    Command15->hide();
    Command13 = named(new QPushButton(tr("離開"), form), u"Command13"_s);
    setGeometryTwips(Command13, 7800, 90, 1000, 405);
    Command13->setToolTip(tr("結束程式"));

    SSTab1 = named(new QTabWidget(form), u"SSTab1"_s);
    setGeometryTwips(SSTab1, tessa::kTabLeft, tessa::kTabTop, tessa::kTabWidth, tessa::kTabHeight);

    Label3 = named(new QLabel(tr("接收資料(字元)"), form), u"Label3"_s);
    Label3->setToolTip(tr("目前顯示的接收資料格式"));
    Command16 = named(new QPushButton(tr("切換"), form), u"Command16"_s);
    Command16->setToolTip(tr("在字元與16進制顯示之間切換"));
    Command14 = named(new QPushButton(tr("清除畫面"), form), u"Command14"_s);
    Command14->setToolTip(tr("清除接收資料"));
    receive_ = std::make_unique<tessa::ReceiveDisplay>(form, Label3);
    Text6 = receive_->characterView();
    Text4 = receive_->hexView();
    Line1 = named(new QFrame(form), u"Line1"_s);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    setGeometryTwips(Line1, 120, 6900, 8800, 60);
    Line1->hide();

    Frame3 = new tessa::ChecksumFrameBox(comm1(), *Text4, *dialogs_, form);
    CommonDialog1 = named(new tessa::CommonDialog(*dialogs_, this), u"CommonDialog1"_s);
    guard_ = std::make_unique<tessa::SendGuard>(comm1(), connectionBar_->connectButton(), *this, *dialogs_);
    services_.reset(new tessa::PageServices {*this, comm1(), *receive_, settings_, *CommonDialog1, *dialogs_, *guard_,
                                             [this] { return shownStatusBar(); }});
    motionCommandBar_ = new tessa::MotionCommandBar(*services_, *form);
    autoSendPage_ = new tessa::AutoSendPage(*services_);
    testEditPage_ = new tessa::TestEditPage(*services_);
    otherTestsPage_ = new tessa::OtherTestsPage(*services_);
    modbusPage_ = new tessa::ModbusPage(*services_);
    SSTab1->addTab(autoSendPage_, tr("自動傳送"));
    SSTab1->setTabToolTip(0, tr("編號的傳送/延遲程式, 傳送一次或迴圈"));
    SSTab1->addTab(testEditPage_, tr("測試編輯"));
    SSTab1->setTabToolTip(1, tr("輸入命令並查看裝置的回應"));
    SSTab1->addTab(otherTestsPage_, tr("其他測試"));
    SSTab1->setTabToolTip(2, tr("命令列, 編碼器, 狀態查詢與輸出"));
    SSTab1->addTab(modbusPage_, tr("ModBus測試"));
    SSTab1->setTabToolTip(3, tr("Modbus RTU 請求與解碼的回應"));

    // The design layout is the wide one.
    const tessa::SizeMode& wide = tessa::kWideMode;
    resize(tessa::twipsToPixelsX(wide.windowWidth, this), tessa::twipsToPixelsY(wide.windowHeight, this));
    setGeometryTwips(Label3, wide.label3Left, wide.label3Top, 2200, 300);
    setGeometryTwips(Command16, wide.command16Left, wide.command16Top, 1400, 405);
    setGeometryTwips(Command14, wide.command14Left, wide.command14Top, 1400, 405);
    setGeometryTwips(Text4, wide.viewsLeft, wide.viewsTop, wide.viewsWidth, wide.viewsHeight);
    // Start-up puts the character view exactly over the hexadecimal one.
    setGeometryTwips(Text6, wide.viewsLeft, 1400, wide.viewsWidth, wide.viewsHeight);

    Timer1 = named(new QTimer(this), u"Timer1"_s);
    Timer1->setInterval(100);
    Timer1->start();
}

void Form1::createMenus()
{
    QMenu* file = mnu_file = named(menuBar()->addMenu(tr("&File")), u"mnu_file"_s);
    mnu_new_file = named(file->addAction(tr("&Open new")), u"mnu_new_file"_s);
    mnu_new_file->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    mnu_open = named(file->addAction(tr("Open &old file")), u"mnu_open"_s);
    mnu_open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnu_save = named(file->addAction(tr("&Save File")), u"mnu_save"_s);
    mnu_save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));

    QMenu* screen = named(menuBar()->addMenu(tr("Screen")), u"mnu_screen"_s);
    mu_screen_w = named(screen->addAction(tr("Width")), u"mu_screen_w"_s);
    mu_screen_w->setCheckable(true);
    mu_screen_w->setChecked(true);
    mnu_screen_narrow = named(screen->addAction(tr("Narrow")), u"mnu_screen_narrow"_s);
    mnu_screen_narrow->setCheckable(true);

    // Maps port numbers to devices where there are no COM names.
    mnu_port = named(menuBar()->addMenu(tr("&Port")), u"mnu_port"_s);
    mnu_port_map = named(mnu_port->addAction(tr("Serial &ports...")), u"mnu_port_map"_s);
    // The auto test has no visible button; the Port menu reaches it, and shows its progress.
    mnu_port->addSeparator();
    mnu_autotest = named(mnu_port->addAction(tr("&Auto test")), u"mnu_autotest"_s);
    mnu_autotest_stop = named(mnu_port->addAction(tr("S&top auto test")), u"mnu_autotest_stop"_s);

    mnu_new_file->setToolTip(tr("清空程式列表"));
    mnu_open->setToolTip(tr("從檔案載入程式"));
    mnu_save->setToolTip(tr("將程式存成檔案"));
    mu_screen_w->setToolTip(tr("寬的視窗: 接收資料在右邊"));
    mnu_screen_narrow->setToolTip(tr("窄的視窗: 接收資料在下面"));
    mnu_port_map->setToolTip(tr("選擇每個通訊埠號碼開啟的裝置"));
    mnu_autotest->setToolTip(tr("尋找有裝置回應的通訊埠"));
    mnu_autotest_stop->setToolTip(tr("停止自動測試"));
    for (QMenu* menu : {file, screen, mnu_port})
        menu->setToolTipsVisible(true);
}

void Form1::wireEvents()
{
    connect(Command13, &QPushButton::clicked, this, &Form1::Command13_Click);
    connect(Command14, &QPushButton::clicked, this, &Form1::Command14_Click);
    connect(Command15, &QPushButton::clicked, this, &Form1::Command15_Click);
    connect(Command16, &QPushButton::clicked, this, &Form1::Command16_Click);
    connect(Combo2, &QComboBox::currentIndexChanged, this, &Form1::Combo2_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(mu_screen_w, &QAction::triggered, this, &Form1::mu_screen_w_Click);
    connect(mnu_screen_narrow, &QAction::triggered, this, &Form1::mnu_screen_narrow_Click);
    connect(mnu_port_map, &QAction::triggered, this, &Form1::mnu_port_map_Click);
    connect(mnu_new_file, &QAction::triggered, autoSendPage_, &tessa::AutoSendPage::mnu_new_file_Click);
    connect(mnu_open, &QAction::triggered, autoSendPage_, &tessa::AutoSendPage::mnu_open_Click);
    connect(mnu_save, &QAction::triggered, autoSendPage_, &tessa::AutoSendPage::mnu_save_Click);
    connect(Command4, &QPushButton::clicked, autoTestRunner_, &tessa::AutoTestRunner::Command4_Click);
    connect(mnu_autotest, &QAction::triggered, autoTestRunner_, &tessa::AutoTestRunner::Command4_Click);
}

// ---- start-up, shutdown, size modes ----

void Form1::Form_Load()
{
    resize(tessa::twipsToPixelsX(tessa::kWideMode.windowWidth, this), height());
    mnu_screen_narrow->setChecked(false);
    mu_screen_w->setChecked(true);

    const tessa::StartupSettings stored = tessa::readStartupSettings(settings_);
    if (stored.narrow) {
        mnu_screen_narrow_Click();
        mnu_screen_narrow->setChecked(true);
        mu_screen_w->setChecked(false);
    }
    if (stored.restoreFields) {
        connectionBar_->restore(stored.comPort, stored.baudIndex);
        restoredPanelValues_ = stored.panelValues;
        restorePanelValues(restoredPanelValues_);
    }

    Combo2->setCurrentIndex(0);  // Combo2_Click moves it on to "Dorva Encoder/Creel"
    connection_->markScanPortsAvailable();
    Text6->move(Text6->x(), Text4->y());
    move(x(), tessa::twipsToPixelsY(100, this));
    SSTab1->setCurrentIndex(1);
}

void Form1::restorePanelValues(const QList<QPair<QString, QString>>& values)
{
    QHash<QString, QLineEdit*> boxes = otherTestsPage_->storedBoxes();
    boxes.insert(modbusPage_->storedBoxes());
    for (const auto& [key, text] : values) {
        if (QLineEdit* target = boxes.value(key)) {
            target->setText(text);
            if (tessa::isDecimalText(text))
                target->setProperty("lastValidText", text);
        }
    }
}

void Form1::closeEvent(QCloseEvent* event)
{
    Form_QueryUnload();
    event->accept();
}

void Form1::Form_QueryUnload()
{
    // The port is released before the window goes; nothing is written to the settings.
    if (comm1().isOpen())
        comm1().close();
}

void Form1::Command13_Click()
{
    QCoreApplication::exit(0);
}

void Form1::applySizeMode(const tessa::SizeMode& mode)
{
    sizeMode_ = &mode;
    resize(tessa::twipsToPixelsX(mode.windowWidth, this),
           tessa::twipsToPixelsY(mode.windowHeight, this) + statusBarAllowance_);
    Label3->move(tessa::twipsToPixelsX(mode.label3Left, this), tessa::twipsToPixelsY(mode.label3Top, this));
    Command16->move(tessa::twipsToPixelsX(mode.command16Left, this), tessa::twipsToPixelsY(mode.command16Top, this));
    Command14->move(tessa::twipsToPixelsX(mode.command14Left, this), tessa::twipsToPixelsY(mode.command14Top, this));
    for (tessa::ReceiveView* view : {Text4, Text6})
        setGeometryTwips(view, mode.viewsLeft, mode.viewsTop, mode.viewsWidth, mode.viewsHeight);
    Line1->setVisible(mode.line1Visible);
    settings_.write(tessa::kWidthTypeKey, QString::fromLatin1(mode.widthType));
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (!SSTab1 || !modbusPage_)
        return;
    // Room beyond the designed size goes to the tab control (and the Modbus reply area in it).
    const tessa::SizeMode& mode = sizeMode_ ? *sizeMode_ : tessa::kWideMode;
    const QSize designed(tessa::twipsToPixelsX(mode.windowWidth, this),
                         tessa::twipsToPixelsY(mode.windowHeight, this) + statusBarAllowance_);
    const QSize extra = tessa::tabGrowth(mode, size(), designed);
    setGeometryTwips(SSTab1, tessa::kTabLeft, tessa::kTabTop, tessa::kTabWidth, tessa::kTabHeight);
    SSTab1->resize(SSTab1->size() + extra);
    modbusPage_->setGrowth(extra);
}

void Form1::mu_screen_w_Click()
{
    applySizeMode(tessa::kWideMode);
    mu_screen_w->setChecked(true);
    mnu_screen_narrow->setChecked(false);
}

void Form1::mnu_screen_narrow_Click()
{
    applySizeMode(tessa::kNarrowMode);
    mnu_screen_narrow->setChecked(true);
    mu_screen_w->setChecked(false);
}

QStatusBar* Form1::shownStatusBar()
{
    QStatusBar* bar = statusBar();
    // A status bar made after the window was shown stays hidden until shown: what it says
    // (where a file went) would be said to nobody.
    bar->show();
    // Its widgets come after the first call: measured again on every use.
    const int height = std::max(bar->sizeHint().height(), bar->minimumSizeHint().height());
    if (height > statusBarAllowance_) {
        resize(width(), this->height() + height - statusBarAllowance_);
        statusBarAllowance_ = height;
    }
    return bar;
}

// ---- window-level controls ----

void Form1::Combo2_Click()
{
    // The two "Remain" rows are not device types.
    if (Combo2->currentIndex() < 2)
        Combo2->setCurrentIndex(2);
}

void Form1::mnu_port_map_Click()
{
    tessa::PortMapDialog dialog(settings_, tessa::parsePortNumber(connectionBar_->portNumberText()), this);
    dialogs_->run(dialog);
}

void Form1::Timer1_Timer()
{
    // The port's chunks go to every subscriber on this tick, unless a flood's backlog is still
    // being formatted: then they wait in the port and the sender is held back.
    if (!receive_->backlogged())
        comm1().deliverReceived();
    // "Dorva HMI" leaves its bytes unshown for the auto test's own judgement.
    receive_->tick(comm1().isOpen(), Combo2->currentIndex() == tessa::kDeviceRowHmi);
}

void Form1::Command16_Click()
{
    if (receive_->hexViewShown())
        receive_->showCharacterView();
    else
        receive_->showHexView();
}

void Form1::Command14_Click()
{
    receive_->clear();
}

void Form1::Command15_Click()
{
    // Writing to a closed port is refused like every other send, not left to fail.
    if (guard_->portOpen())
        comm1().write(tessa::randomFrame(*QRandomGenerator::global()));
}
