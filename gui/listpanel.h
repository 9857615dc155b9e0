// One list of the book window with its input fields and buttons, the same for every list; what
// differs between the birthdays, the special days and the sayings comes from its BookList.
//
// The panel is always in one of two states, shown on its state line: a new entry is being typed
// (「新しい項目」, Enter adds it), or an entry of the list is being changed (「「甲」を編集中」, Enter
// changes it). Choosing or clicking a row always loads its entry into the fields. Typed text that
// is not saved is never dropped without asking: before another entry is loaded the panel asks
// whether to save it, discard it or stay.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/booklists.h"
#include "gui/services.h"

namespace dovi {

// The access keys of one panel's controls: every panel shown at once has its own letters.
struct AccessKeys {
    char add, change, remove, up, down, newEntry, first, second, closeGap;
};

class ListPanel final : public QGroupBox {
    Q_OBJECT
public:
    ListPanel(std::unique_ptr<BookList> kind, const AccessKeys& keys, SettingsFile& file, Services services,
              QWidget* parent);
    ~ListPanel() override;

    // Shows the entries of dateKey (a day of year) as snapshot holds them. On the day already shown
    // the entry being changed stays loaded wherever it now stands (found by key and value, else by
    // value); when another program changed or removed it, the panel goes to a new entry. Typed
    // text stays either way. Another day starts a new entry with empty fields.
    void showEntries(const BookSnapshot& snapshot, const std::string& dateKey, int year);

    // Whether the fields hold text that no entry holds: anything typed for a new entry, or a
    // change of the loaded entry.
    bool hasUnsavedText() const;
    // Before typed text would be lost: asks whether to save it (what Enter would do), discard it
    // or stay. True when the caller may go on: nothing was typed, it was saved, or discarded.
    bool settleTypedText();
    // Read-only: the list can be browsed, nothing can be typed or changed.
    void setEditable(bool editable);

    // The entry being changed, none while a new entry is typed.
    const std::optional<ListEntry>& editing() const { return editing_; }
    const std::vector<ListEntry>& shown() const { return shown_; }
    // The state line's text.
    QString stateText() const { return state->text(); }

    // Event handlers. The buttons' handlers return true when the file was written.
    void rowChosen();
    void rowClicked(QListWidgetItem* item);
    bool addClicked();
    bool changeClicked();
    bool removeClicked();
    bool moveClicked(int step);
    // Enter in a field: what the default button says (追加 for a new entry, 変更 otherwise).
    bool enterPressed();
    void newEntryClicked();
    void closeGapClicked();
    void fieldsEdited();

    QListWidget* list = nullptr;
    QLineEdit* first = nullptr;
    QLineEdit* second = nullptr;  // the year of birth, the source; none for the special days
    QLabel* state = nullptr;      // 「新しい項目」 or 「「甲」を編集中」
    QLabel* fit = nullptr;        // shown while the typed entry would not fit on the page
    QLabel* note = nullptr;       // entries the page never shows, when there are any
    QPushButton* closeGap = nullptr;
    QPushButton* add = nullptr;
    QPushButton* change = nullptr;
    QPushButton* remove = nullptr;
    QPushButton* up = nullptr;
    QPushButton* down = nullptr;
    QPushButton* newEntry = nullptr;

signals:
    // The panel wrote the file, or found it changed: the window shows what the file holds now.
    void fileWritten();

private:
    EntryFields typed() const;
    void setFields(const EntryFields& fields);
    int rowOf(const ListEntry& entry) const;
    // Loads shown_[row] into the fields for changing it.
    void load(int row);
    void startNewEntry();
    void selectEdited();
    void showState();
    // After an edit: the window shows the file anew; a refusal is shown, typed text stays.
    bool written(const WriteResult& result);
    void refuse(const QString& text);
    int thisYear() const;

    std::unique_ptr<BookList> kind_;
    SettingsFile& file_;
    Services services_;
    std::string dateKey_;
    int year_ = 0;
    bool editable_ = true;
    std::vector<ListEntry> shown_;
    int hidden_ = 0;  // entries after a gap in the letters
    std::optional<ListEntry> editing_;
    EntryFields loaded_;  // what the fields held when the entry (or an empty new one) was loaded
};

}  // namespace dovi
