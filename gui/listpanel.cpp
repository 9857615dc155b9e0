#include "gui/listpanel.h"

#include <QHBoxLayout>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QVBoxLayout>

#include "gui/failuretext.h"
#include "gui/widgetkit.h"
#include "texts/texts.h"

namespace dovi {

namespace {

// A control's text with its access key: 「追加(&A)」.
QString withKey(std::string_view text, char key)
{
    return qs(text) + QStringLiteral("(&") + QChar(QLatin1Char(key)) + QStringLiteral(")");
}

QPushButton* button(std::string_view text, char key, QWidget* parent)
{
    auto* made = new QPushButton(withKey(text, key), parent);
    made->setAutoDefault(false);
    return made;
}

QLabel* plainText(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

// A list row: the letter or number, a full-width blank, then the entry.
QString rowText(const ListEntry& entry) { return entry.mark + QStringLiteral("\u3000") + entry.text; }

}  // namespace

ListPanel::ListPanel(std::unique_ptr<BookList> kind, const AccessKeys& keys, SettingsFile& file, Services services,
                     QWidget* parent)
    : QGroupBox(parent), kind_(std::move(kind)), file_(file), services_(std::move(services))
{
    const ListWords words = kind_->words();
    setTitle(qs(words.title));
    state = plainText(this);
    QFont bold = state->font();
    bold.setBold(true);
    state->setFont(bold);
    list = new QListWidget(this);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setAccessibleName(qs(words.list));
    // Two rows at least: on a small screen (a 1920×1080 screen at scale 2) the panels give up
    // height rather than the window running off the screen.
    list->setMinimumHeight(2 * list->fontMetrics().height() + 8);
    note = plainText(this);
    closeGap = button(texts::kBookCloseGap, keys.closeGap, this);
    first = new QLineEdit(this);
    auto* firstLabel = new QLabel(withKey(words.first, keys.first), this);
    firstLabel->setBuddy(first);
    first->setAccessibleName(qs(words.first));
    QLabel* secondLabel = nullptr;
    if (!words.second.empty()) {
        second = new QLineEdit(this);
        secondLabel = new QLabel(withKey(words.second, keys.second), this);
        secondLabel->setBuddy(second);
        second->setAccessibleName(qs(words.second));
        if (kind_->dated()) {
            const QRegularExpression upToFourDigits(QStringLiteral("[0-9]{0,4}"));
            second->setValidator(new QRegularExpressionValidator(upToFourDigits, second));
            second->setMaximumWidth(90);
        }
    }
    fit = plainText(this);
    fit->setText(qs(texts::kBookNoFit));
    fit->hide();
    add = button(texts::kBookAdd, keys.add, this);
    change = button(texts::kBookChange, keys.change, this);
    remove = button(texts::kBookRemove, keys.remove, this);
    up = button(texts::kBookUp, keys.up, this);
    down = button(texts::kBookDown, keys.down, this);
    newEntry = button(texts::kBookNewEntryButton, keys.newEntry, this);

    auto* gap = new QHBoxLayout;
    gap->addWidget(note, 1);
    gap->addWidget(closeGap);
    auto* fields = new QHBoxLayout;
    fields->addWidget(firstLabel);
    fields->addWidget(first, 1);
    if (second) {
        fields->addWidget(secondLabel);
        fields->addWidget(second, kind_->dated() ? 0 : 1);
    }
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {add, change, remove, up, down, newEntry})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list, 1);
    layout->addLayout(gap);
    layout->addWidget(state);
    layout->addLayout(fields);
    layout->addWidget(fit);
    layout->addLayout(buttons);
    note->hide();
    closeGap->hide();

    connect(list, &QListWidget::itemSelectionChanged, this, &ListPanel::rowChosen);
    connect(list, &QListWidget::itemClicked, this, &ListPanel::rowClicked);
    connect(add, &QPushButton::clicked, this, &ListPanel::addClicked);
    connect(change, &QPushButton::clicked, this, &ListPanel::changeClicked);
    connect(remove, &QPushButton::clicked, this, &ListPanel::removeClicked);
    connect(up, &QPushButton::clicked, this, [this] { moveClicked(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveClicked(+1); });
    connect(newEntry, &QPushButton::clicked, this, &ListPanel::newEntryClicked);
    connect(closeGap, &QPushButton::clicked, this, &ListPanel::closeGapClicked);
    for (QLineEdit* field : {first, second}) {
        if (!field)
            continue;
        connect(field, &QLineEdit::returnPressed, this, &ListPanel::enterPressed);
        connect(field, &QLineEdit::textChanged, this, &ListPanel::fieldsEdited);
    }
    // In the list: Delete removes, Alt+Up and Alt+Down move the entry.
    auto* removeKey = new QShortcut(QKeySequence::Delete, list);
    auto* upKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Up), list);
    auto* downKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Down), list);
    for (QShortcut* key : {removeKey, upKey, downKey})
        key->setContext(Qt::WidgetShortcut);
    connect(removeKey, &QShortcut::activated, this, &ListPanel::removeClicked);
    connect(upKey, &QShortcut::activated, this, [this] { moveClicked(-1); });
    connect(downKey, &QShortcut::activated, this, [this] { moveClicked(+1); });
    showState();
}

ListPanel::~ListPanel() = default;

EntryFields ListPanel::typed() const { return {first->text(), second ? second->text() : QString()}; }

void ListPanel::setFields(const EntryFields& fields)
{
    first->setText(fields.first);
    if (second)
        second->setText(fields.second);
}

int ListPanel::rowOf(const ListEntry& entry) const
{
    for (std::size_t i = 0; i < shown_.size(); ++i)
        if (shown_[i].key == entry.key && shown_[i].value == entry.value)
            return static_cast<int>(i);
    for (std::size_t i = 0; i < shown_.size(); ++i)
        if (shown_[i].value == entry.value)
            return static_cast<int>(i);
    return -1;
}

void ListPanel::showEntries(const BookSnapshot& snapshot, const std::string& dateKey, int year)
{
    const bool sameDay = dateKey == dateKey_ || !kind_->dated();
    dateKey_ = dateKey;
    year_ = year;
    shown_ = kind_->entries(snapshot, dateKey);
    {
        const QSignalBlocker quiet(list);
        list->clear();
        for (const ListEntry& entry : shown_)
            list->addItem(rowText(entry));
    }
    hidden_ = kind_->hiddenCount(snapshot, dateKey);
    note->setText(qs(texts::kBookHidden).arg(hidden_));
    note->setVisible(hidden_ > 0);
    closeGap->setVisible(hidden_ > 0);
    if (!sameDay) {
        startNewEntry();
        return;
    }
    if (editing_) {
        const int row = rowOf(*editing_);
        if (row < 0) {
            // Changed or removed by another program: what was typed stays, as a new entry.
            editing_.reset();
            loaded_ = {};
        } else
            editing_ = shown_[static_cast<std::size_t>(row)];
    }
    selectEdited();
    showState();
}

bool ListPanel::hasUnsavedText() const
{
    return editing_ ? typed() != loaded_ : !typed().empty();
}

bool ListPanel::settleTypedText()
{
    if (!hasUnsavedText())
        return true;
    const QString shown = typed().first.trimmed().isEmpty() ? typed().second : typed().first;
    const int answer = services_.choose(qs(texts::kBookTitle), qs(texts::kBookUnsaved).arg(shown),
                                        {qs(texts::kBookSave), qs(texts::kBookDiscard), qs(texts::kCancelButton)}, 0, 2);
    if (answer == 0)
        return enterPressed();
    if (answer == 1) {
        setFields(loaded_);
        return true;
    }
    return false;
}

void ListPanel::setEditable(bool editable)
{
    editable_ = editable;
    for (QWidget* control : std::initializer_list<QWidget*>{first, second, add, change, remove, up, down, newEntry, closeGap})
        if (control)
            control->setEnabled(editable);
}

void ListPanel::load(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= shown_.size())
        return;
    editing_ = shown_[static_cast<std::size_t>(row)];
    loaded_ = kind_->fields(editing_->value);
    setFields(loaded_);
    selectEdited();
    showState();
}

void ListPanel::startNewEntry()
{
    editing_.reset();
    loaded_ = {};
    setFields({});
    selectEdited();
    showState();
}

void ListPanel::selectEdited()
{
    const QSignalBlocker quiet(list);
    const int row = editing_ ? rowOf(*editing_) : -1;
    list->setCurrentRow(row);
    if (row < 0)
        list->clearSelection();
}

void ListPanel::showState()
{
    state->setText(editing_ ? qs(texts::kBookEditing).arg(editing_->name) : qs(texts::kBookNewEntry));
    // The button that Enter presses is drawn as the default one.
    add->setDefault(!editing_);
    change->setDefault(editing_.has_value());
}

void ListPanel::rowChosen()
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = list->row(selected.first());
    if (editing_ && rowOf(*editing_) == row && !hasUnsavedText())
        return;
    const ListEntry chosen = shown_[static_cast<std::size_t>(row)];
    if (!settleTypedText()) {
        selectEdited();  // stays where it was, with what was typed
        return;
    }
    load(rowOf(chosen));
}

void ListPanel::rowClicked(QListWidgetItem* item)
{
    // A click on the row already chosen loads its entry again (a click on another row was
    // handled as a change of row, or taken back).
    if (!item->isSelected())
        return;
    const int row = list->row(item);
    if (editing_ && rowOf(*editing_) == row && !hasUnsavedText())
        return;
    const ListEntry chosen = shown_[static_cast<std::size_t>(row)];
    if (settleTypedText())
        load(rowOf(chosen));
}

void ListPanel::refuse(const QString& text) { services_.showMessage(qs(texts::kBookTitle), text); }

int ListPanel::thisYear() const { return static_cast<int>(services_.clock->now().date.year()); }

bool ListPanel::written(const WriteResult& result)
{
    emit fileWritten();
    if (!result.ok)
        refuse(failureText(result));
    return result.ok;
}

bool ListPanel::addClicked()
{
    const TypedValue value = kind_->value(typed(), thisYear());
    if (!value.ok()) {
        refuse(value.refusal);
        return false;
    }
    int index = -1;
    if (!written(kind_->add(file_, dateKey_, value.value, &index)))
        return false;
    load(index);  // the new entry, ready to be changed
    first->setFocus();
    return true;
}

bool ListPanel::changeClicked()
{
    const int row = editing_ ? rowOf(*editing_) : -1;
    if (row < 0) {
        refuse(qs(texts::kBookNoSelection));
        return false;
    }
    const TypedValue value = kind_->value(typed(), thisYear());
    if (!value.ok()) {
        refuse(value.refusal);
        return false;
    }
    const ListEntry seen = shown_[static_cast<std::size_t>(row)];
    if (!written(kind_->change(file_, dateKey_, row, seen, value.value)))
        return false;
    load(row);
    return true;
}

bool ListPanel::removeClicked()
{
    if (!editable_)
        return false;  // the Delete key of a read-only list
    const int row = editing_ ? rowOf(*editing_) : -1;
    if (row < 0) {
        refuse(qs(texts::kBookNothingToRemove));
        return false;
    }
    // The removal names the entry as the question showed it: the list may be read anew while the
    // question is open, and another entry may then stand in that row.
    const ListEntry seen = shown_[static_cast<std::size_t>(row)];
    const std::string day = dateKey_;
    const QString question = qs(texts::kBookConfirmRemove).arg(seen.name);
    if (services_.choose(qs(texts::kBookTitle), question, {qs(texts::kBookRemove), qs(texts::kCancelButton)}, 1, 1) != 0)
        return false;
    if (!written(kind_->remove(file_, day, row, seen)))
        return false;
    startNewEntry();
    return true;
}

bool ListPanel::moveClicked(int step)
{
    if (!editable_)
        return false;  // Alt+Up and Alt+Down in a read-only list
    const int row = editing_ ? rowOf(*editing_) : -1;
    const int to = row + step;
    if (row < 0 || to < 0 || static_cast<std::size_t>(to) >= shown_.size())
        return false;
    const ListEntry seen = shown_[static_cast<std::size_t>(row)];
    // The entry keeps its value, so the panel finds it at its new place with the typed text.
    return written(kind_->move(file_, dateKey_, row, seen, to));
}

bool ListPanel::enterPressed() { return editing_ ? changeClicked() : addClicked(); }

void ListPanel::newEntryClicked()
{
    if (!settleTypedText())
        return;
    startNewEntry();
    first->setFocus();
}

void ListPanel::closeGapClicked()
{
    if (!services_.confirm(qs(texts::kBookTitle), qs(texts::kBookConfirmCloseGap).arg(hidden_)))
        return;
    written(kind_->closeGap(file_, dateKey_));
}

void ListPanel::fieldsEdited()
{
    // A warning only: a long entry is stored all the same and the page ends it in "…".
    const TypedValue value = kind_->value(typed(), thisYear());
    fit->setVisible(value.ok() && !kind_->fitsOnPage(value.value, year_));
}

}  // namespace dovi
