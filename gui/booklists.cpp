#include "gui/booklists.h"

#include <algorithm>

#include "book/bookedit.h"
#include "book/lettergap.h"
#include "gui/failuretext.h"
#include "gui/layout.h"
#include "gui/widgetkit.h"
#include "page/birthdaybook.h"
#include "register/registration.h"
#include "texts/texts.h"

namespace dovi {

namespace {

std::string utf8(const QString& text) { return text.toStdString(); }

// A day's entry at position index carries the letter 'a' + index (one under the older bare key
// takes it with the edit); a saying at position index has the number index + 1.
SeenEntry seenLetter(int index, const ListEntry& entry) { return {'a' + index, entry.value}; }
SeenEntry seenNumber(int index, const ListEntry& entry) { return {index + 1, entry.value}; }

TypedValue typed(const WriteResult& result, std::string value)
{
    return result.ok ? TypedValue{std::move(value), {}} : TypedValue{{}, failureText(result)};
}

// The birthdays and the special days: a day's lettered entries.
class DatedList : public BookList {
public:
    explicit DatedList(Book book) : book_(book) {}

    bool dated() const override { return true; }

    std::vector<ListEntry> entries(const BookSnapshot& snapshot, std::string_view dateKey) const override
    {
        std::vector<ListEntry> entries;
        const BookDay& day = snapshot.day(book_, dateKey);
        for (std::size_t i = 0; i < day.shown.size(); ++i) {
            const BookEntry& entry = day.shown[i];
            ListEntry shown{entry.key, entry.value, QString(QChar(u'a' + static_cast<char16_t>(i))), {}, {}};
            describe(shown);
            entries.push_back(std::move(shown));
        }
        return entries;
    }

    int hiddenCount(const BookSnapshot& snapshot, std::string_view dateKey) const override
    {
        return static_cast<int>(snapshot.day(book_, dateKey).hidden.size());
    }

    WriteResult add(SettingsFile& file, std::string_view dateKey, const std::string& value, int* index) const override
    {
        std::string key;
        const WriteResult result = addBookEntry(file, book_, dateKey, value, &key);
        if (result.ok && index)
            *index = key[0] - 'a';
        return result;
    }
    WriteResult change(SettingsFile& file, std::string_view dateKey, int index, const ListEntry& entry,
                       const std::string& value) const override
    {
        return editBookEntry(file, book_, dateKey, seenLetter(index, entry), value);
    }
    WriteResult remove(SettingsFile& file, std::string_view dateKey, int index, const ListEntry& entry) const override
    {
        return removeBookEntry(file, book_, dateKey, seenLetter(index, entry));
    }
    WriteResult move(SettingsFile& file, std::string_view dateKey, int index, const ListEntry& entry,
                     int to) const override
    {
        return moveBookEntry(file, book_, dateKey, seenLetter(index, entry), 'a' + to);
    }
    WriteResult closeGap(SettingsFile& file, std::string_view dateKey) const override
    {
        return closeLetterGap(file, book_, dateKey);
    }

protected:
    // Sets the text and the name the entry is shown and named with.
    virtual void describe(ListEntry& entry) const = 0;

private:
    Book book_;
};

class BirthdayList final : public DatedList {
public:
    BirthdayList() : DatedList(Book::Birthdays) {}

    ListWords words() const override
    {
        return {texts::kBookBirthdays, texts::kBookName, texts::kBookYear, texts::kBookBirthdayList};
    }
    EntryFields fields(const std::string& value) const override
    {
        const Birthday birthday = readBirthday(value);
        return {qs(birthday.name),
                birthday.year ? QString::number(*birthday.year).rightJustified(4, QLatin1Char('0')) : QString()};
    }
    TypedValue value(const EntryFields& fields, int thisYear) const override
    {
        const QString year = fields.second.trimmed();
        std::optional<int> born;
        if (!year.isEmpty()) {
            // Four digits and nothing else: toInt() alone would take "+123" or " 12".
            const bool digits = year.size() == 4 && std::all_of(year.begin(), year.end(), [](QChar c) {
                                    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
                                });
            if (!digits)
                return {{}, qs(texts::kBookBadYear)};
            born = year.toInt();
            // A year after this one, or the year 0, would give the page a negative or impossible age.
            if (const std::string refusal = birthYearRefusal(*born, thisYear); !refusal.empty())
                return {{}, qs(refusal)};
        }
        std::string value;
        const WriteResult result = birthdayValue(utf8(fields.first), born, value);
        return typed(result, std::move(value));
    }
    bool fitsOnPage(const std::string& value, int year) const override
    {
        return fitsInLabel(form1layout::kLabel4, qs(birthdayMessage(readBirthday(value), year)));
    }

protected:
    void describe(ListEntry& entry) const override
    {
        const Birthday birthday = readBirthday(entry.value);
        entry.name = qs(birthday.name);
        entry.text = entry.name;
        if (birthday.year)
            entry.text += qs(texts::kBookBornIn).arg(*birthday.year);
    }
};

class SpecialDayList final : public DatedList {
public:
    SpecialDayList() : DatedList(Book::SpecialDays) {}

    ListWords words() const override { return {texts::kBookSpecialDays, texts::kBookText, {}, texts::kBookSpecialDayList}; }
    EntryFields fields(const std::string& value) const override { return {qs(value), {}}; }
    TypedValue value(const EntryFields& fields, int) const override
    {
        std::string value;
        const WriteResult result = specialDayValue(utf8(fields.first), value);
        return typed(result, std::move(value));
    }
    bool fitsOnPage(const std::string& value, int) const override
    {
        return fitsInLabel(form1layout::kLabel4, qs(value));
    }

protected:
    void describe(ListEntry& entry) const override
    {
        entry.text = qs(entry.value);
        entry.name = entry.text;
    }
};

// The sayings, numbered from 1; a number names the key it is stored under.
class SayingList final : public BookList {
public:
    ListWords words() const override { return {texts::kBookSayings, texts::kBookSaying, texts::kBookSource, texts::kBookSayingList}; }
    bool dated() const override { return false; }

    std::vector<ListEntry> entries(const BookSnapshot& snapshot, std::string_view) const override
    {
        std::vector<ListEntry> entries;
        const std::vector<std::string> values = sayingValues(snapshot);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const Saying saying = splitSaying(values[i]);
            ListEntry entry{std::to_string(i + 1), values[i], QString::number(i + 1), qs(saying.text), qs(saying.text)};
            if (!saying.source.empty())
                entry.text += QStringLiteral("（") + qs(saying.source) + QStringLiteral("）");
            entries.push_back(std::move(entry));
        }
        return entries;
    }
    EntryFields fields(const std::string& value) const override
    {
        const Saying saying = splitSaying(value);
        return {qs(saying.text), qs(saying.source)};
    }
    TypedValue value(const EntryFields& fields, int) const override
    {
        std::string value;
        const WriteResult result = sayingValue(utf8(fields.first), utf8(fields.second), value);
        return typed(result, std::move(value));
    }
    bool fitsOnPage(const std::string& value, int) const override
    {
        const Saying saying = splitSaying(value);
        return fitsInLabel(form1layout::kLabel6, qs(saying.text)) && fitsInLabel(form1layout::kLabel7, qs(saying.source));
    }

    WriteResult add(SettingsFile& file, std::string_view, const std::string& value, int* index) const override
    {
        int number = 0;
        const WriteResult result = addSaying(file, value, &number);
        if (result.ok && index)
            *index = number - 1;
        return result;
    }
    WriteResult change(SettingsFile& file, std::string_view, int index, const ListEntry& entry,
                       const std::string& value) const override
    {
        return editSaying(file, seenNumber(index, entry), value);
    }
    WriteResult remove(SettingsFile& file, std::string_view, int index, const ListEntry& entry) const override
    {
        return removeSaying(file, seenNumber(index, entry));
    }
    WriteResult move(SettingsFile& file, std::string_view, int index, const ListEntry& entry, int to) const override
    {
        return moveSaying(file, seenNumber(index, entry), to + 1);
    }
};

}  // namespace

std::unique_ptr<BookList> birthdayList() { return std::make_unique<BirthdayList>(); }
std::unique_ptr<BookList> specialDayList() { return std::make_unique<SpecialDayList>(); }
std::unique_ptr<BookList> sayingList() { return std::make_unique<SayingList>(); }

}  // namespace dovi
