// The ktr4-scope window: picks a running simulated card and draws its axes live. Reading,
// history and recording live in ScopeFeed; this class only lays out and draws.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <array>

#include "scope_feed.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace ktr4scope {

class ScopeWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit ScopeWindow(QString shm_dir = QStringLiteral("/dev/shm"), QWidget* parent = nullptr);

    // Attaches to the segment of this process; false when it publishes none.
    bool attach(long pid);
    // When the watched program ends, attach to the newest one running (on by default).
    void set_follow(bool on) { follow_ = on; }
    void set_record_dir(const QString& dir) { record_dir_ = dir; }

    ScopeFeed& feed() { return feed_; }
    uint32_t card() const;
    // Re-lists the running simulated cards.
    void refresh_sources();
    // Draws the newest samples now (the draw timer does it 20 times a second).
    void redraw();

    QLineSeries* position_series(int axis) const { return position_[static_cast<size_t>(axis)]; }
    QLineSeries* speed_series(int axis) const { return speed_[static_cast<size_t>(axis)]; }
    QLineSeries* xy_series() const { return xy_; }

private:
    struct TimeChart {
        QChart* chart = nullptr;
        QChartView* view = nullptr;
        QValueAxis* x = nullptr;
        QValueAxis* y = nullptr;
    };

    TimeChart make_time_chart(const QString& title, const QString& unit, std::array<QLineSeries*, 4>& series);
    QWidget* make_xy_panel();
    QWidget* make_lamp_panel();
    void poll();
    void follow_newest();
    void toggle_record(bool on);
    void reset_zoom();
    void show_status();
    void draw_lamps(const ktr4sim_scope_state& state);

    ScopeFeed feed_;
    QString shm_dir_;
    QString record_dir_;
    bool follow_ = true;
    uint64_t drawn_ = 0;  // what the charts show: newest sample, card and X-Y axes

    QComboBox* source_box_ = nullptr;
    QComboBox* card_box_ = nullptr;
    QComboBox* x_axis_box_ = nullptr;
    QComboBox* y_axis_box_ = nullptr;
    QPushButton* pause_button_ = nullptr;
    QPushButton* record_button_ = nullptr;
    QLabel* status_ = nullptr;
    std::array<QLineSeries*, 4> position_ {};
    std::array<QLineSeries*, 4> speed_ {};
    QLineSeries* xy_ = nullptr;
    TimeChart position_chart_, speed_chart_;
    QChart* xy_chart_ = nullptr;
    QValueAxis* xy_x_ = nullptr;
    QValueAxis* xy_y_ = nullptr;
    std::array<std::array<QLabel*, 5>, 4> lamps_ {};
    std::array<std::array<int8_t, 5>, 4> lamp_lit_ {
        {{-1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1}}};  // -1: not drawn yet
    std::array<QLabel*, 4> move_kind_ {};

    QTimer poll_timer_, draw_timer_, source_timer_;
};

}  // namespace ktr4scope
