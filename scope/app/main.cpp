// ktr4-scope: watch a program drive the simulated card. Start the program with KTR4SIM_SCOPE=1.
//
//   ktr4-scope [--pid PID] [--no-follow] [--record-dir DIR]
//              [--screenshot FILE [--arc-seconds S]] [--quit-after SECONDS]
//
// Without --pid it attaches to the newest running program and, when that one ends, to the next.
// --screenshot saves the window once an arc has run S seconds (default 1) on the shown card,
// then quits.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <QTimer>
#include <cstdio>

#include "scope_window.h"

int main(int argc, char** argv)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Live scope of the simulated KTR4 card");
    const QCommandLineOption help_option = parser.addHelpOption();
    const QCommandLineOption pid_option("pid", "Attach to this process.", "PID");
    const QCommandLineOption no_follow_option("no-follow", "Stay with the program when it ends.");
    const QCommandLineOption record_option("record-dir", "Folder for recordings.", "DIR");
    const QCommandLineOption shot_option("screenshot", "Save the window during an arc and quit.", "FILE");
    const QCommandLineOption arc_option("arc-seconds", "How long the arc runs before the screenshot.", "S", "1");
    const QCommandLineOption quit_option("quit-after", "Quit after this many seconds.", "SECONDS");
    parser.addOptions({pid_option, no_follow_option, record_option, shot_option, arc_option, quit_option});

    // --help and a bad option are answered without a display: the window's application, which
    // needs one, is made only for a run.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(arguments) || parser.isSet(help_option) || parser.isSet(QStringLiteral("help-all"))) {
        QCoreApplication console(argc, argv);
        parser.process(console);  // prints the help or the error and exits
        return 2;
    }

    QApplication app(argc, argv);
    parser.process(app);

    ktr4scope::ScopeWindow window;
    if (parser.isSet(record_option))
        window.set_record_dir(parser.value(record_option));
    if (parser.isSet(no_follow_option))
        window.set_follow(false);
    if (parser.isSet(pid_option) && !window.attach(parser.value(pid_option).toLong()))
        std::fprintf(stderr, "ktr4-scope: process %s publishes no scope segment\n",
                     qPrintable(parser.value(pid_option)));
    window.show();

    QTimer shot_timer;
    if (parser.isSet(shot_option)) {
        const QString file = parser.value(shot_option);
        const double arc_seconds = parser.value(arc_option).toDouble();
        double arc_began = -1;
        QObject::connect(&shot_timer, &QTimer::timeout, [&, file, arc_seconds]() mutable {
            const auto& history = window.feed().history();
            if (history.empty() || window.card() >= history.newest().card_count)
                return;
            const auto& state = history.newest();
            const bool arc = state.cards[window.card()].axes[0].move_kind == KTR4SIM_MOVE_ARC;
            const double now = ktr4scope::SampleHistory::seconds(state);
            if (!arc) {
                arc_began = -1;
                return;
            }
            if (arc_began < 0)
                arc_began = now;
            if (now - arc_began < arc_seconds)
                return;
            window.redraw();
            const bool saved = window.grab().save(file);
            std::fprintf(saved ? stdout : stderr, "ktr4-scope: %s %s\n", saved ? "saved" : "could not save",
                         qPrintable(file));
            QApplication::exit(saved ? 0 : 1);
        });
        shot_timer.start(20);
    }
    if (parser.isSet(quit_option))
        QTimer::singleShot(static_cast<int>(parser.value(quit_option).toDouble() * 1000), &app, &QApplication::quit);
    return app.exec();
}
