#pragma once

#include "script/script_result.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace tessa {

// The outcome as a JUnit XML report: one <testsuite> named suiteName inside <testsuites>, one
// <testcase> per step (classname suiteName, time in seconds), a failed step holding <failure
// message="...">. A run that stopped or could not be used counts its failing case as an
// <error> instead. Example for one passed and one failed step:
//   <testsuites tests="2" failures="1" errors="0" time="0.120">
//    <testsuite name="check" tests="2" failures="1" errors="0" time="0.120" timestamp="...">
//     <testcase name="version" classname="check" time="0.020"/>
//     <testcase name="outputs" classname="check" time="0.100"><failure message="...">...</failure></testcase>
QByteArray junitReport(const ScriptOutcome& outcome, const QString& suiteName, const QDateTime& started);

// Writes the report to path (through a temporary file and a rename); false with the reason in
// error when it cannot.
bool writeJunitReport(const QString& path, const QByteArray& report, QString* error);

}  // namespace tessa
