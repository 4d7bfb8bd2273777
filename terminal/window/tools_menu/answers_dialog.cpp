#include "window/tools_menu/answers_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tessa {

namespace {

QString optionWords(const FrameSpec& frame)
{
    QStringList words;
    if (frame.hex)
        words << u"hex"_s;
    if (frame.crLf)
        words << u"crlf"_s;
    if (frame.checksum)
        words << u"checksum"_s;
    if (frame.crc)
        words << u"crc"_s;
    return words.join(u' ');
}

}  // namespace

AnswersDialog::AnswersDialog(const QList<AnswerRule>& rules, int actionsPerSecond,
                             std::function<qint64(int)> matchCount, QWidget* parent)
    : QDialog(parent)
    , table_(new QTableWidget(0, ColumnCount, this))
    , rate_(new QSpinBox(this))
    , matchCount_(std::move(matchCount))
{
    setObjectName(u"AnswersDialog"_s);
    setWindowTitle(u"Answers"_s);
    table_->setObjectName(u"AnswersTable"_s);
    table_->setHorizontalHeaderLabels(
        {u"On"_s, u"Name"_s, u"Form"_s, u"Pattern"_s, u"Action"_s, u"Data"_s, u"Options"_s, u"Matches"_s});
    table_->horizontalHeader()->setStretchLastSection(true);
    rate_->setObjectName(u"AnswersRate"_s);
    rate_->setRange(1, 1000);
    rate_->setValue(actionsPerSecond);
    rate_->setSuffix(u" actions per second at most"_s);

    auto* add = new QPushButton(u"Add"_s, this);
    add->setObjectName(u"AnswersAdd"_s);
    auto* remove = new QPushButton(u"Remove"_s, this);
    remove->setObjectName(u"AnswersRemove"_s);
    connect(add, &QPushButton::clicked, this, [this] { addRule({}); });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (table_->currentRow() >= 0)
            table_->removeRow(table_->currentRow());
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(add);
    row->addWidget(remove);
    row->addStretch();
    row->addWidget(new QLabel(u"Limit:"_s, this));
    row->addWidget(rate_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(u"When a pattern arrives (text: ? one byte, * any bytes; hex: 01 ?? 03), do the action."_s, this));
    layout->addWidget(table_);
    layout->addLayout(row);
    layout->addWidget(buttons);
    resize(900, 360);

    for (const auto& rule : rules)
        addRule(rule);
    auto* refresh = new QTimer(this);
    connect(refresh, &QTimer::timeout, this, &AnswersDialog::refreshCounts);
    refresh->start(500);
}

void AnswersDialog::addRule(const AnswerRule& rule)
{
    const int row = table_->rowCount();
    table_->insertRow(row);
    auto* on = new QTableWidgetItem;
    on->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    on->setCheckState(rule.enabled ? Qt::Checked : Qt::Unchecked);
    table_->setItem(row, On, on);
    table_->setItem(row, Name, new QTableWidgetItem(rule.name));
    table_->setItem(row, Form, new QTableWidgetItem(rule.form == BytePattern::Form::Hex ? u"hex"_s : u"text"_s));
    table_->setItem(row, Pattern, new QTableWidgetItem(rule.pattern));
    table_->setItem(row, Action, new QTableWidgetItem(answerActionName(rule.action)));
    table_->setItem(row, Data,
                    new QTableWidgetItem(rule.action == AnswerRule::Action::Note ? rule.note : rule.frame.data));
    table_->setItem(row, Options, new QTableWidgetItem(optionWords(rule.frame)));
    auto* matches = new QTableWidgetItem;
    matches->setFlags(Qt::ItemIsEnabled);
    table_->setItem(row, Matches, matches);
    refreshCounts();
}

void AnswersDialog::refreshCounts()
{
    for (int row = 0; row < table_->rowCount(); ++row) {
        const qint64 count = matchCount_ ? matchCount_(row) : -1;
        table_->item(row, Matches)->setText(count < 0 ? QString() : QString::number(count));
    }
}

QList<AnswerRule> AnswersDialog::rules(QStringList* problems) const
{
    QList<AnswerRule> rules;
    for (int row = 0; row < table_->rowCount(); ++row) {
        auto text = [&](int column) { return table_->item(row, column)->text(); };
        AnswerRule rule;
        rule.enabled = table_->item(row, On)->checkState() == Qt::Checked;
        rule.name = text(Name).trimmed();
        QString problem;
        const QString form = text(Form).trimmed().toLower();
        if (form == u"hex")
            rule.form = BytePattern::Form::Hex;
        else if (form != u"text")
            problem = u"form \"%1\" is not text or hex"_s.arg(form);
        rule.pattern = text(Pattern);
        if (const auto action = answerActionFromName(text(Action).trimmed().toLower()))
            rule.action = *action;
        else if (problem.isEmpty())
            problem = u"action \"%1\" is not send, note, count or stop"_s.arg(text(Action));
        if (rule.action == AnswerRule::Action::Note)
            rule.note = text(Data);
        else
            rule.frame.data = text(Data);
        const QStringList words = text(Options).toLower().split(u' ', Qt::SkipEmptyParts);
        rule.frame.hex = words.contains(u"hex"_s);
        rule.frame.crLf = words.contains(u"crlf"_s);
        rule.frame.checksum = words.contains(u"checksum"_s);
        rule.frame.crc = words.contains(u"crc"_s);
        if (problem.isEmpty())
            problem = answerRuleProblem(rule);
        if (!problem.isEmpty() && problems)
            *problems << u"Rule %1 (%2): %3"_s.arg(row + 1).arg(rule.name, problem);
        rules << rule;
    }
    return rules;
}

int AnswersDialog::actionsPerSecond() const
{
    return rate_->value();
}

}  // namespace tessa
