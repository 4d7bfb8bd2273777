#include "scope_window.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "chart_points.h"
#include "ktr4sim_scope.h"

namespace ktr4scope {

namespace {

constexpr double kWindowSeconds = 10.0;
// More points than a chart is wide cost drawing time and show nothing more.
constexpr size_t kMaxPoints = 500;
const std::array<QColor, 4> kAxisColours {QColor("#1f77b4"), QColor("#d62728"), QColor("#2ca02c"), QColor("#9467bd")};

// Axis range around the points with a little margin (a flat line gets some height).
void fit(QValueAxis* axis, double lo, double hi)
{
    if (hi - lo < 1e-9) {
        lo -= 1;
        hi += 1;
    }
    const double pad = (hi - lo) * 0.05;
    axis->setRange(lo - pad, hi + pad);
}

void y_extent(const QList<QPointF>& points, double& lo, double& hi)
{
    for (const QPointF& p : points)
        lo = std::min(lo, p.y()), hi = std::max(hi, p.y());
}

}  // namespace

ScopeWindow::ScopeWindow(QString shm_dir, QWidget* parent)
    : QMainWindow(parent)
    , shm_dir_(std::move(shm_dir))
    , record_dir_(QDir::currentPath())
{
    setWindowTitle(QStringLiteral("ktr4-scope"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    auto* bar = new QHBoxLayout;
    source_box_ = new QComboBox;
    source_box_->setObjectName(QStringLiteral("sourceBox"));
    source_box_->setMinimumContentsLength(18);
    auto* refresh = new QPushButton(QStringLiteral("Refresh"));
    refresh->setObjectName(QStringLiteral("refreshButton"));
    card_box_ = new QComboBox;
    card_box_->setObjectName(QStringLiteral("cardBox"));
    card_box_->setMinimumContentsLength(12);
    pause_button_ = new QPushButton(QStringLiteral("Pause"));
    pause_button_->setObjectName(QStringLiteral("pauseButton"));
    pause_button_->setCheckable(true);
    auto* reset_zoom_button = new QPushButton(QStringLiteral("Reset zoom"));
    reset_zoom_button->setObjectName(QStringLiteral("resetZoomButton"));
    record_button_ = new QPushButton(QStringLiteral("Record"));
    record_button_->setObjectName(QStringLiteral("recordButton"));
    record_button_->setCheckable(true);
    bar->addWidget(new QLabel(QStringLiteral("Program:")));
    bar->addWidget(source_box_);
    bar->addWidget(refresh);
    bar->addWidget(new QLabel(QStringLiteral("Card:")));
    bar->addWidget(card_box_);
    bar->addWidget(pause_button_);
    bar->addWidget(reset_zoom_button);
    bar->addWidget(record_button_);
    bar->addStretch(1);
    layout->addLayout(bar);

    auto* split = new QSplitter(Qt::Horizontal);
    auto* left = new QSplitter(Qt::Vertical);
    position_chart_ = make_time_chart(QStringLiteral("Position"), QStringLiteral("pulses"), position_);
    speed_chart_ = make_time_chart(QStringLiteral("Speed"), QStringLiteral("pulses/s"), speed_);
    left->addWidget(position_chart_.view);
    left->addWidget(speed_chart_.view);
    auto* right = new QWidget;
    auto* right_layout = new QVBoxLayout(right);
    right_layout->setContentsMargins(0, 0, 0, 0);
    right_layout->addWidget(make_xy_panel(), 1);
    right_layout->addWidget(make_lamp_panel());
    split->addWidget(left);
    split->addWidget(right);
    split->setSizes({760, 500});
    layout->addWidget(split, 1);

    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("statusLabel"));
    layout->addWidget(status_);
    setCentralWidget(central);
    resize(1280, 760);

    connect(refresh, &QPushButton::clicked, this, &ScopeWindow::refresh_sources);
    connect(source_box_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            attach(source_box_->itemData(index).toLongLong());
    });
    connect(card_box_, &QComboBox::currentIndexChanged, this, [this] { redraw(); });
    connect(pause_button_, &QPushButton::toggled, this, [this](bool paused) {
        if (!paused)
            redraw();
    });
    connect(reset_zoom_button, &QPushButton::clicked, this, &ScopeWindow::reset_zoom);
    connect(record_button_, &QPushButton::toggled, this, &ScopeWindow::toggle_record);

    // The feed's own thread reads every publication; the window takes them in batches.
    poll_timer_.setTimerType(Qt::PreciseTimer);
    connect(&poll_timer_, &QTimer::timeout, this, &ScopeWindow::poll);
    poll_timer_.start(20);
    connect(&draw_timer_, &QTimer::timeout, this, &ScopeWindow::redraw);
    draw_timer_.start(50);
    connect(&source_timer_, &QTimer::timeout, this, [this] {
        refresh_sources();
        follow_newest();
    });
    source_timer_.start(1000);
    refresh_sources();
}

ScopeWindow::TimeChart ScopeWindow::make_time_chart(const QString& title, const QString& unit,
                                                    std::array<QLineSeries*, 4>& series)
{
    TimeChart c;
    c.chart = new QChart;
    c.chart->setTitle(title);
    c.x = new QValueAxis;
    c.x->setTitleText(QStringLiteral("time (s)"));
    c.y = new QValueAxis;
    c.y->setTitleText(unit);
    c.chart->addAxis(c.x, Qt::AlignBottom);
    c.chart->addAxis(c.y, Qt::AlignLeft);
    for (int a = 0; a < 4; ++a) {
        auto* s = new QLineSeries;
        s->setName(QStringLiteral("axis %1").arg(a));
        s->setObjectName(QStringLiteral("%1Axis%2").arg(title.toLower()).arg(a));
        s->setPen(QPen(kAxisColours[static_cast<size_t>(a)], 1.5));
        c.chart->addSeries(s);
        s->attachAxis(c.x);
        s->attachAxis(c.y);
        series[static_cast<size_t>(a)] = s;
    }
    c.chart->legend()->setAlignment(Qt::AlignBottom);
    c.view = new QChartView(c.chart);
    c.view->setRubberBand(QChartView::RectangleRubberBand);  // drag to zoom, right click to zoom out
    return c;
}

QWidget* ScopeWindow::make_xy_panel()
{
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* choose = new QHBoxLayout;
    x_axis_box_ = new QComboBox;
    x_axis_box_->setObjectName(QStringLiteral("xAxisBox"));
    y_axis_box_ = new QComboBox;
    y_axis_box_->setObjectName(QStringLiteral("yAxisBox"));
    for (int a = 0; a < 4; ++a) {
        x_axis_box_->addItem(QStringLiteral("axis %1").arg(a));
        y_axis_box_->addItem(QStringLiteral("axis %1").arg(a));
    }
    y_axis_box_->setCurrentIndex(1);
    choose->addWidget(new QLabel(QStringLiteral("X-Y path:  X")));
    choose->addWidget(x_axis_box_);
    choose->addWidget(new QLabel(QStringLiteral("Y")));
    choose->addWidget(y_axis_box_);
    choose->addStretch(1);
    layout->addLayout(choose);
    xy_chart_ = new QChart;
    xy_chart_->legend()->hide();
    xy_x_ = new QValueAxis;
    xy_y_ = new QValueAxis;
    xy_chart_->addAxis(xy_x_, Qt::AlignBottom);
    xy_chart_->addAxis(xy_y_, Qt::AlignLeft);
    xy_ = new QLineSeries;
    xy_->setObjectName(QStringLiteral("xyPath"));
    xy_->setPen(QPen(QColor("#ff7f0e"), 2));
    xy_chart_->addSeries(xy_);
    xy_->attachAxis(xy_x_);
    xy_->attachAxis(xy_y_);
    auto* view = new QChartView(xy_chart_);
    view->setRenderHint(QPainter::Antialiasing);
    view->setRubberBand(QChartView::RectangleRubberBand);
    layout->addWidget(view, 1);
    connect(x_axis_box_, &QComboBox::currentIndexChanged, this, [this] { redraw(); });
    connect(y_axis_box_, &QComboBox::currentIndexChanged, this, [this] { redraw(); });
    return panel;
}

QWidget* ScopeWindow::make_lamp_panel()
{
    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);
    const QStringList names = lamp_names();
    for (int i = 0; i < names.size(); ++i)
        grid->addWidget(new QLabel(names[i]), 0, i + 1, Qt::AlignCenter);
    grid->addWidget(new QLabel(QStringLiteral("Move")), 0, static_cast<int>(names.size()) + 1);
    for (int a = 0; a < 4; ++a) {
        auto* label = new QLabel(QStringLiteral("axis %1").arg(a));
        label->setStyleSheet(
            QStringLiteral("color: %1; font-weight: bold").arg(kAxisColours[static_cast<size_t>(a)].name()));
        grid->addWidget(label, a + 1, 0);
        for (int i = 0; i < names.size(); ++i) {
            auto* lamp = new QLabel;
            lamp->setObjectName(QStringLiteral("lamp%1_%2").arg(a).arg(i));
            lamp->setFixedSize(18, 18);
            grid->addWidget(lamp, a + 1, i + 1, Qt::AlignCenter);
            lamps_[static_cast<size_t>(a)][static_cast<size_t>(i)] = lamp;
        }
        auto* kind = new QLabel(QStringLiteral("-"));
        kind->setObjectName(QStringLiteral("moveKind%1").arg(a));
        kind->setMinimumWidth(150);
        grid->addWidget(kind, a + 1, static_cast<int>(names.size()) + 1);
        move_kind_[static_cast<size_t>(a)] = kind;
    }
    return panel;
}

bool ScopeWindow::attach(long pid)
{
    if (record_button_->isChecked())
        record_button_->setChecked(false);
    if (!feed_.attach(pid)) {
        show_status();
        return false;
    }
    const int index = source_box_->findData(QVariant::fromValue<qlonglong>(pid));
    if (index >= 0)
        source_box_->setCurrentIndex(index);
    feed_.poll();
    drawn_ = 0;
    redraw();
    return true;
}

uint32_t ScopeWindow::card() const
{
    return static_cast<uint32_t>(std::max(0, card_box_->currentIndex()));
}

void ScopeWindow::refresh_sources()
{
    const auto found = find_segments(shm_dir_.toStdString());
    const QSignalBlocker block(source_box_);
    source_box_->clear();
    for (const FoundSegment& s : found)
        source_box_->addItem(QStringLiteral("pid %1").arg(s.pid), QVariant::fromValue<qlonglong>(s.pid));
    const int index = source_box_->findData(QVariant::fromValue<qlonglong>(feed_.pid()));
    if (index >= 0)
        source_box_->setCurrentIndex(index);
}

void ScopeWindow::follow_newest()
{
    if (!follow_ || (feed_.attached() && feed_.publisher_alive()))
        return;
    const auto found = find_segments(shm_dir_.toStdString());
    for (auto it = found.rbegin(); it != found.rend(); ++it)
        if (it->pid != feed_.pid() && attach(it->pid))
            return;
}

void ScopeWindow::poll()
{
    if (feed_.poll() && !feed_.history().empty()) {
        const ktr4sim_scope_state& newest = feed_.history().newest();
        if (card_box_->count() != static_cast<int>(newest.card_count)) {
            const QSignalBlocker block(card_box_);
            const int keep = card_box_->currentIndex();
            card_box_->clear();
            for (uint32_t c = 0; c < newest.card_count; ++c)
                card_box_->addItem(QStringLiteral("slot %1 (switch %2)").arg(c).arg(newest.cards[c].switch_number));
            card_box_->setCurrentIndex(std::clamp(keep, 0, card_box_->count() - 1));
        }
    }
}

void ScopeWindow::redraw()
{
    show_status();
    if (pause_button_->isChecked() || feed_.history().empty())
        return;
    const SampleHistory& history = feed_.history();
    const uint64_t shown = history.newest().sample ^ (uint64_t {card()} << 56)
        ^ (uint64_t(x_axis_box_->currentIndex() * 4 + y_axis_box_->currentIndex()) << 48);
    if (shown == drawn_)
        return;  // nothing new since the last picture
    drawn_ = shown;
    const size_t from = history.first_within(kWindowSeconds);
    const uint32_t c = card();
    const double t_end = SampleHistory::seconds(history.newest());
    double plo = 1e300, phi = -1e300, slo = 1e300, shi = -1e300;
    for (int a = 0; a < 4; ++a) {
        const QList<QPointF> pos = time_points(history, from, c, a, Quantity::Position, kMaxPoints);
        const QList<QPointF> spd = time_points(history, from, c, a, Quantity::Speed, kMaxPoints);
        y_extent(pos, plo, phi);
        y_extent(spd, slo, shi);
        position_[static_cast<size_t>(a)]->replace(pos);
        speed_[static_cast<size_t>(a)]->replace(spd);
    }
    // A zoomed chart keeps the user's ranges until "Reset zoom".
    for (TimeChart* tc : {&position_chart_, &speed_chart_}) {
        if (tc->chart->isZoomed())
            continue;
        tc->x->setRange(t_end - kWindowSeconds, t_end);
        if (tc == &position_chart_)
            fit(tc->y, plo, phi);
        else
            fit(tc->y, std::min(0.0, slo), shi);
    }
    const QList<QPointF> path =
        xy_points(history, from, c, x_axis_box_->currentIndex(), y_axis_box_->currentIndex(), kMaxPoints);
    xy_->replace(path);
    if (!xy_chart_->isZoomed() && !path.isEmpty()) {
        double xlo = 1e300, xhi = -1e300, ylo = 1e300, yhi = -1e300;
        for (const QPointF& p : path)
            xlo = std::min(xlo, p.x()), xhi = std::max(xhi, p.x()), ylo = std::min(ylo, p.y()),
            yhi = std::max(yhi, p.y());
        // One scale on both axes, so that an arc looks round.
        const double half = std::max(xhi - xlo, yhi - ylo) / 2;
        fit(xy_x_, (xlo + xhi) / 2 - half, (xlo + xhi) / 2 + half);
        fit(xy_y_, (ylo + yhi) / 2 - half, (ylo + yhi) / 2 + half);
    }
    draw_lamps(history.newest());
}

void ScopeWindow::draw_lamps(const ktr4sim_scope_state& state)
{
    if (card() >= state.card_count)
        return;
    const ktr4sim_scope_card& card_state = state.cards[card()];
    for (size_t a = 0; a < 4; ++a) {
        const QList<bool> on = lamps(card_state.axes[a]);
        for (size_t i = 0; i < lamps_[a].size(); ++i) {
            // Style sheets are costly to apply: only a lamp that changes gets a new one.
            const int8_t lit = on[static_cast<qsizetype>(i)] ? 1 : 0;
            if (lamp_lit_[a][i] == lit)
                continue;
            lamp_lit_[a][i] = lit;
            lamps_[a][i]->setStyleSheet(
                lit ? QStringLiteral("background: #2ecc40; border: 1px solid #333; border-radius: 9px")
                    : QStringLiteral("background: #444; border: 1px solid #333; border-radius: 9px"));
        }
        const QString kind = QStringLiteral("%1  (mode 0x%2)")
                                 .arg(move_kind_name(card_state.axes[a].move_kind))
                                 .arg(card_state.axes[a].operation_mode, 4, 16, QLatin1Char('0'));
        if (move_kind_[a]->text() != kind)
            move_kind_[a]->setText(kind);
    }
}

void ScopeWindow::reset_zoom()
{
    position_chart_.chart->zoomReset();
    speed_chart_.chart->zoomReset();
    xy_chart_->zoomReset();
    drawn_ = 0;
    redraw();
}

void ScopeWindow::toggle_record(bool on)
{
    if (!on) {
        const bool good = feed_.recorder().stop();
        status_->setToolTip(good ? QString() : QStringLiteral("the recording could not be written completely"));
        return;
    }
    const QString path = QDir(record_dir_)
                             .filePath(QStringLiteral("ktr4-scope-%1-slot%2-%3.csv")
                                           .arg(feed_.pid())
                                           .arg(card())
                                           .arg(QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss")));
    if (!feed_.attached() || !feed_.recorder().start(path.toStdString(), card())) {
        const QSignalBlocker block(record_button_);
        record_button_->setChecked(false);
    }
}

void ScopeWindow::show_status()
{
    QString text;
    if (!feed_.attached()) {
        text = source_box_->count() == 0
            ? QStringLiteral("No simulated card publishes a scope: run a program with KTR4SIM_SCOPE=1.")
            : QStringLiteral("Pick a program.");
    } else {
        const SampleHistory& h = feed_.history();
        text = QStringLiteral("pid %1%2")
                   .arg(feed_.pid())
                   .arg(feed_.publisher_alive() ? QString() : QStringLiteral(" (ended)"));
        if (!h.empty())
            text += QStringLiteral("   t = %1 s%2   samples missed: %3")
                        .arg(SampleHistory::seconds(h.newest()), 0, 'f', 2)
                        .arg(h.newest().virtual_clock ? QStringLiteral(" (virtual clock)") : QString())
                        .arg(h.missed());
        if (feed_.recorder().recording())
            text += QStringLiteral("   recording %1 rows to %2")
                        .arg(feed_.recorder().rows())
                        .arg(QString::fromStdString(feed_.recorder().path()));
    }
    if (pause_button_->isChecked())
        text += QStringLiteral("   [paused]");
    status_->setText(text);
}

}  // namespace ktr4scope
