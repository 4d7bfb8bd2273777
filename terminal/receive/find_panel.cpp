#include "receive/find_panel.h"

#include "receive/receive_display.h"
#include "receive/receive_view.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QAction>

using namespace Qt::StringLiterals;

namespace tessa {

FindPanel::FindPanel(ReceiveDisplay& display, SettingsStore& settings, QWidget* parent)
    : QDialog(parent, Qt::Tool)
    , display_(display)
    , settings_(settings)
{
    setObjectName(u"FindPanel"_s);
    setModal(false);
    auto* grid = new QGridLayout(this);
    text_ = new QLineEdit(this);
    text_->setObjectName(u"FindText"_s);
    text_->setClearButtonEnabled(true);
    grid->addWidget(text_, 0, 0, 1, 3);
    matchCase_ = new QCheckBox(tr("Match case"), this);
    matchCase_->setObjectName(u"FindMatchCase"_s);
    matchCase_->setChecked(settings_.read(kFindMatchCaseKey, u"0"_s) == u"1");
    previous_ = new QPushButton(tr("Previous"), this);
    previous_->setObjectName(u"FindPrevious"_s);
    next_ = new QPushButton(tr("Next"), this);
    next_->setObjectName(u"FindNext"_s);
    next_->setDefault(true);
    grid->addWidget(matchCase_, 1, 0);
    grid->addWidget(previous_, 1, 1);
    grid->addWidget(next_, 1, 2);
    status_ = new QLabel(this);
    status_->setObjectName(u"FindStatus"_s);
    grid->addWidget(status_, 2, 0, 1, 3);

    connect(text_, &QLineEdit::textEdited, this, &FindPanel::textEdited);
    connect(text_, &QLineEdit::returnPressed, this, [this] { step(true); });
    connect(matchCase_, &QCheckBox::toggled, this, [this](bool on) {
        settings_.write(kFindMatchCaseKey, on ? u"1"_s : u"0"_s);
        search();
    });
    connect(next_, &QPushButton::clicked, this, [this] { step(true); });
    connect(previous_, &QPushButton::clicked, this, [this] { step(false); });

    // Actions of the window (its menu and the views' context menu); the panel owns them.
    const auto action = [this](const QString& name, const QString& text, const QKeySequence& keys, const QString& tip) {
        auto* a = new QAction(text, this);
        a->setObjectName(name);
        a->setShortcut(keys);
        a->setToolTip(tip);
        return a;
    };
    findAction_ = action(u"mnu_find"_s, tr("&Find..."), QKeySequence::Find,
                         tr("Finds text (or hex bytes) in the receive view in sight"));
    nextAction_ = action(u"mnu_find_next"_s, tr("Find &next"), QKeySequence(Qt::Key_F3), tr("Goes to the next match"));
    previousAction_ = action(u"mnu_find_previous"_s, tr("Find &previous"), QKeySequence(Qt::SHIFT | Qt::Key_F3),
                             tr("Goes to the match before"));
    connect(findAction_, &QAction::triggered, this, &FindPanel::open);
    connect(nextAction_, &QAction::triggered, this, &FindPanel::findNext);
    connect(previousAction_, &QAction::triggered, this, &FindPanel::findPrevious);
    addActions(actions());  // the keys work in the panel too

    for (ReceiveView* view : {display_.characterView(), display_.hexView()}) {
        view->setExtraActions(actions());
        // A refresh brings new bytes (or a log that started again): the matches follow.
        connect(view, &ReceiveView::textChanged, this, [this, view] {
            if (view == view_ && isVisible())
                search();
        });
    }
}

ReceiveView* FindPanel::viewInSight() const
{
    return display_.hexViewShown() ? display_.hexView() : display_.characterView();
}

bool FindPanel::searchingBytes() const
{
    return view_ == display_.hexView();
}

void FindPanel::open()
{
    ReceiveView* view = viewInSight();
    if (view != view_) {
        if (view_)
            view_->setFoundSpans({});
        view_ = view;
        current_.reset();
        generation_ = display_.logs().generation();
    }
    const bool bytes = searchingBytes();
    setWindowTitle(bytes ? tr("Find bytes (hex)") : tr("Find text"));
    text_->setPlaceholderText(bytes ? tr("hex bytes, e.g. 0D 0A") : tr("text"));
    matchCase_->setVisible(!bytes);
    text_->setText(settings_.read(bytes ? kFindBytesKey : kFindTextKey, QString()));
    show();
    raise();
    activateWindow();
    text_->setFocus();
    text_->selectAll();
    search();
}

void FindPanel::textEdited()
{
    settings_.write(searchingBytes() ? kFindBytesKey : kFindTextKey, text_->text());
    current_.reset();
    search();
}

void FindPanel::search()
{
    if (!view_)
        return;
    const ReceiveLogs& logs = display_.logs();
    if (logs.generation() != generation_) {
        generation_ = logs.generation();
        startedAgain_ = current_.has_value();
        current_.reset();
    }
    badHex_ = false;
    if (searchingBytes()) {
        const std::optional<QByteArray> bytes = parseHexBytes(text_->text());
        badHex_ = !bytes && !text_->text().trimmed().isEmpty();
        spans_ = bytes ? findBytes(logs.hexLog(), *bytes) : FoundSpans {};
    } else {
        spans_ =
            findText(logs.charLog(), text_->text(), matchCase_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive);
    }
    view_->setFoundSpans(spans_);
    showStatus();
}

void FindPanel::step(bool forward)
{
    if (!view_)
        open();
    search();
    const std::optional<std::size_t> to = stepFound(spans_, current_, forward);
    if (!to)
        return;
    startedAgain_ = false;
    current_ = spans_[*to].first;
    view_->showSpan(spans_[*to].first, spans_[*to].second);
    showStatus();
}

void FindPanel::showStatus()
{
    QString text;
    if (badHex_) {
        text = tr("Type bytes as hex digit pairs, e.g. 0D 0A");
    } else if (spans_.empty()) {
        text = text_->text().isEmpty() ? QString() : tr("No match");
    } else {
        const auto at = std::find_if(spans_.begin(), spans_.end(),
                                     [this](const auto& span) { return current_ && span.first == *current_; });
        text = at == spans_.end() ? (spans_.size() == 1 ? tr("1 match") : tr("%1 matches").arg(spans_.size()))
                                  : tr("%1 of %2").arg(at - spans_.begin() + 1).arg(spans_.size());
    }
    if (startedAgain_)
        text = tr("The receive log started again. ") + text;
    status_->setText(text);
}

}  // namespace tessa
