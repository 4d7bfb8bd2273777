#include "headless/junit_report.h"

#include <QSaveFile>
#include <QXmlStreamWriter>

namespace tessa {

QByteArray junitReport(const ScriptOutcome& outcome, const QString& suiteName, const QDateTime& started)
{
    const bool asErrors =
        outcome.status == ScriptOutcome::Status::Stopped || outcome.status == ScriptOutcome::Status::Unusable;
    qsizetype failed = 0;
    double seconds = 0;
    for (const auto& step : outcome.steps) {
        failed += step.passed ? 0 : 1;
        seconds += step.seconds;
    }
    const QString tests = QString::number(outcome.steps.size());
    const QString failures = QString::number(asErrors ? 0 : failed);
    const QString errors = QString::number(asErrors ? failed : 0);
    const QString time = QString::number(seconds, 'f', 3);

    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeStartElement("testsuites");
    writer.writeAttribute("tests", tests);
    writer.writeAttribute("failures", failures);
    writer.writeAttribute("errors", errors);
    writer.writeAttribute("time", time);
    writer.writeStartElement("testsuite");
    writer.writeAttribute("name", suiteName);
    writer.writeAttribute("tests", tests);
    writer.writeAttribute("failures", failures);
    writer.writeAttribute("errors", errors);
    writer.writeAttribute("time", time);
    writer.writeAttribute("timestamp", started.toUTC().toString(Qt::ISODate));
    for (const auto& step : outcome.steps) {
        writer.writeStartElement("testcase");
        writer.writeAttribute("name", step.name);
        writer.writeAttribute("classname", suiteName);
        writer.writeAttribute("time", QString::number(step.seconds, 'f', 3));
        if (!step.passed) {
            writer.writeStartElement(asErrors ? "error" : "failure");
            writer.writeAttribute("message", step.message.section(QLatin1Char('\n'), 0, 0));
            writer.writeCharacters(step.message);
            writer.writeEndElement();
        }
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

bool writeJunitReport(const QString& path, const QByteArray& report, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(report) != report.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace tessa
