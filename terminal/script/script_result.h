#pragma once

#include <QList>
#include <QString>

namespace tessa {

// One named step of a script run, as a JUnit test case reports it.
struct StepResult {
    QString name;
    bool passed = true;
    QString message;  // why it failed; empty when it passed
    double seconds = 0;  // how long it ran
};

// How a script run ended.
struct ScriptOutcome {
    enum class Status {
        Passed,  // the script ran to its end and every step passed
        Failed,  // a step failed or the script raised an error while running
        Stopped,  // stopped from outside (Stop, an answer rule)
        Unusable,  // the script could not be loaded (syntax error, too large for memory)
    };
    Status status = Status::Passed;
    QString message;  // the failure, stop or load error; empty when passed
    QList<StepResult> steps;
};

}  // namespace tessa
