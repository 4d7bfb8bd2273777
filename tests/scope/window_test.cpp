// The scope window, offscreen, watching ktr4-scope-tour and ktr4-run run on the simulated card:
// what it plots at the end is where they commanded each axis to go.
#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cmath>

#include "scope_window.h"
#include "segment_reader.h"
#include "test_segment.h"

class ScopeWindowTest : public QObject {
    Q_OBJECT

private slots:
    void plotsTheCommandedEndPositions()
    {
        QProcess tour;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KTR4SIM_SCOPE", "1");
        tour.setProcessEnvironment(env);
        tour.start(KTR4_SCOPE_TOUR, {"--scale", "0.25"});
        QVERIFY(tour.waitForStarted());

        ktr4scope::ScopeWindow window;
        window.set_follow(false);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.attach(tour.processId()), 5000);
        bool saw_arc = false;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const auto& h = window.feed().history();
                if (!h.empty() && h.newest().cards[0].axes[0].move_kind == KTR4SIM_MOVE_ARC)
                    saw_arc = true;
                return tour.state() == QProcess::NotRunning;
            }(),
            30000);
        QCOMPARE(tour.exitCode(), 0);
        // The tour's last publication, made as it ended, stays readable.
        QTRY_VERIFY_WITH_TIMEOUT(!window.feed().history().empty()
                                     && window.feed().history().newest().cards[0].axes[0].move_kind == KTR4SIM_MOVE_NONE
                                     && !window.feed().publisher_alive(),
                                 3000);
        QTest::qWait(100);
        window.redraw();
        QVERIFY(saw_arc);

        const QString out = QString::fromLocal8Bit(tour.readAllStandardOutput());
        const QRegularExpression end_line("end axis (\\d) commanded (-?\\d+)");
        int ends = 0;
        int32_t commanded[4] = {};
        for (auto it = end_line.globalMatch(out); it.hasNext(); ++ends) {
            const auto m = it.next();
            commanded[m.captured(1).toInt()] = m.captured(2).toInt();
        }
        QCOMPARE(ends, 4);
        QCOMPARE(commanded[0], 1250);  // 5000 × 0.25: the tour's own arithmetic, checked once
        for (int a = 0; a < 4; ++a) {
            const QList<QPointF> pos = window.position_series(a)->points();
            const QList<QPointF> spd = window.speed_series(a)->points();
            QVERIFY(!pos.isEmpty());
            QCOMPARE(pos.last().y(), double(commanded[a]));
            QCOMPARE(spd.last().y(), 0.0);
            QVERIFY(pos.size() <= int(window.feed().history().capacity()));
        }
        const QPointF path_end = window.xy_series()->points().last();
        QCOMPARE(path_end, QPointF(commanded[0], commanded[1]));
    }

    // ktr4-run driving the simulated card with KTR4SIM_SCOPE set: the window draws the program's
    // X-Y path while it runs, through its corner and round its arc, to its end in pulses.
    void showsThePathOfARunningPartProgram()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile program(dir.filePath("part.ngc"));
        QVERIFY(program.open(QIODevice::WriteOnly));
        // A corner at X20 Y10, an arc round (30, 10) through its top at Y20, the end at X40 Y-5.
        program.write("G21 G90\nG1 X20 Y10 F2400\nG2 X30 Y0 I10 J0\nG1 X40 Y-5\nM2\n");
        program.close();
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KTR4SIM_SCOPE", "1");
        run.setProcessEnvironment(env);
        run.start(KTR4_RUN, {program.fileName(), "--machine", KTR4_RUN_MACHINE});
        QVERIFY(run.waitForStarted());

        ktr4scope::ScopeWindow window;
        window.set_follow(false);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.attach(run.processId()), 5000);
        bool drawn_while_running = false;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                if (run.state() != QProcess::NotRunning && window.xy_series()->count() > 10)
                    drawn_while_running = true;
                return run.state() == QProcess::NotRunning;
            }(),
            30000);
        QCOMPARE(run.exitCode(), 0);
        QVERIFY(drawn_while_running);
        QTRY_VERIFY_WITH_TIMEOUT(!window.feed().publisher_alive(), 3000);
        QTest::qWait(100);
        window.redraw();
        // The machine: 1000 pulses/mm on X and Y, Y reversed.
        const QList<QPointF> path = window.xy_series()->points();
        QVERIFY(!path.isEmpty());
        QCOMPARE(path.last(), QPointF(40000, 5000));
        const auto nearest = [&](QPointF to) {
            double d = 1e300;
            for (const QPointF& p : path)
                d = std::min(d, std::hypot(p.x() - to.x(), p.y() - to.y()));
            return d;
        };
        QVERIFY2(nearest(QPointF(20000, -10000)) < 1000, "the corner");
        QVERIFY2(nearest(QPointF(30000, -20000)) < 1000, "the arc's top");
    }

    void pauseFreezesThePlot()
    {
        ktr4scope::ScopeWindow window;
        window.set_follow(false);
        QProcess tour;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KTR4SIM_SCOPE", "1");
        tour.setProcessEnvironment(env);
        tour.start(KTR4_SCOPE_TOUR, {"--loop"});
        QVERIFY(tour.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(window.attach(tour.processId()), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(window.position_series(0)->count() > 20, 5000);
        auto* pause = window.findChild<QPushButton*>("pauseButton");
        QVERIFY(pause);
        pause->click();
        const QList<QPointF> frozen = window.position_series(0)->points();
        QTest::qWait(300);
        QCOMPARE(window.position_series(0)->points(), frozen);
        pause->click();
        QTRY_VERIFY(window.position_series(0)->points() != frozen);
        tour.kill();
        tour.waitForFinished();
        ktr4scope::find_segments();  // the killed tour could not remove its segment: clean it as the scope does
    }

    // What another program of the same user could write into a segment under this process's name.
    void aCraftedSegmentNeitherCrashesNorHangsTheWindow()
    {
        scopetest::TestSegment segment;
        QVERIFY(segment.ok);
        for (uint64_t n = 1; n <= 10; ++n) {
            ktr4sim_scope_state s {};
            s.sample = n;
            s.card_count = 0xFFFFFFFFu;
            segment.publish(s);
        }
        {
            ktr4scope::ScopeWindow window;
            window.set_follow(false);
            window.show();
            QVERIFY(window.attach(getpid()));
            QTest::qWait(200);
            QCOMPARE(window.findChild<QComboBox*>("cardBox")->count(), 0);
            QVERIFY(segment.plant(24, UINT64_MAX));  // the newest publication's number
            QTest::qWait(200);
        }  // the window's reader thread ends with it
    }
};

QTEST_MAIN(ScopeWindowTest)
#include "window_test.moc"
