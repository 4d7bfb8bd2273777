#pragma once

#include "program/program_file.h"
#include "program/record_format.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

namespace tessa {

// One program line as a value: data (hexadecimal or characters, with or without CR LF) or a
// system delay.
struct ProgramRecord {
    enum class Kind { Data, Delay };
    Kind kind = Kind::Data;
    bool hex = false;
    bool crLf = true;
    QString data;  // data text, at most kDataTextShown characters
    long long delayMs = 0;  // a delay record's value as written

    // The record's string form (the file and list format) and back.
    static ProgramRecord fromText(QStringView text);
    QString text() const;
    // The editor's fields that show this record (and build it again).
    EditorFields fields() const;
    friend bool operator==(const ProgramRecord&, const ProgramRecord&) = default;
};

// Bytes a data record puts on the line; nothing for a delay or unsendable hexadecimal data.
std::optional<QByteArray> recordBytes(const ProgramRecord& record);

// The program: the single owner of its lines. Rows are lines 1..rowCount(); the display role is
// the numbered line the list shows, so inserting or removing renumbers the rows after it.
class ProgramModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    int size() const { return static_cast<int>(records_.size()); }
    bool isFull() const { return size() >= kProgramMaxLines; }
    const ProgramRecord& record(int row) const { return records_[row]; }
    // The string form of line row + 1; empty beyond the last line.
    QString entry(int row) const;
    QStringList records() const;

    // Edits; each refuses (false) a row out of range or a full program.
    bool append(const QString& text);
    bool insert(int row, const QString& text);
    bool remove(int row);
    bool replace(int row, const QString& text);
    void clear();
    void setRecords(const QStringList& texts);

    // Reads a program file over the current program (see readProgramFile); returns what it found.
    ProgramFileLoad load(QIODevice& file);
    // The program file's bytes and how many characters in it do not fit its one-byte code page.
    QByteArray fileBytes() const;
    qsizetype charactersBeyondLatin1() const;

private:
    void renumberFrom(int row);
    QList<ProgramRecord> records_;
};

// One tick of the replay engine over the program. position is the number of lines already sent
// in this pass; pauseMs is set (> 0) when a delay record starts a pause.
struct ReplayTick {
    QList<QByteArray> writes;
    int pauseMs = 0;
    bool stop = false;  // the pass ended without loop: the engine switches itself off
};
ReplayTick replayTick(const ProgramModel& program, int& position, bool loop);

}  // namespace tessa
