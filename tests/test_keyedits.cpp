// Several edits of the settings file as one replacement: all of them, or none.
#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

#include <functional>
#include <random>

#include "settings/inifile.h"
#include "settings/settingsfile.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using Kind = KeyEdit::Kind;

class KeyEdits : public testing::Test {
protected:
    test::TempDir dir;
    const std::filesystem::path path = dir / "dovi.ini";
    SettingsFile file{path};
};

TEST_F(KeyEdits, EachEditSeesTheOnesBeforeIt)
{
    test::writeBytes(path, "[誕生日]\r\na01/20=太郎\r\nb01/20=花子\r\nc01/20=次郎\r\n[init]\r\n言霊総数=3\r\n");
    const KeyEdit edits[] = {
        {Kind::Delete, "誕生日", "a01/20", {}},
        {Kind::Rename, "誕生日", "b01/20", "a01/20"},
        {Kind::Rename, "誕生日", "c01/20", "b01/20"},
        {Kind::Set, "init", "言霊総数", "2"},
        {Kind::Set, "特別日", "a01/20", "大寒"},
    };
    ASSERT_TRUE(file.applyEdits(edits).ok);
    EXPECT_EQ(test::readBytes(path),
              "[誕生日]\r\na01/20=花子\r\nb01/20=次郎\r\n[init]\r\n言霊総数=2\r\n[特別日]\r\na01/20=大寒\r\n");
    EXPECT_EQ(test::namesIn(dir.path()), (std::set<std::string>{".dovi.ini.lock", "dovi.ini"}));
}

TEST_F(KeyEdits, OneRefusedEditLeavesTheFileUntouched)
{
    const std::string before = "[s]\na=1\nb=2\n";
    test::writeBytes(path, before);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);

    const KeyEdit missing[] = {{Kind::Delete, "s", "a", {}}, {Kind::Rename, "s", "x", "a"}};
    EXPECT_EQ(file.applyEdits(missing).reason, WriteFailure::KeyMissing);
    const KeyEdit lineBreak[] = {{Kind::Set, "s", "c", "3"}, {Kind::Set, "s", "d", "4\n5"}};
    EXPECT_EQ(file.applyEdits(lineBreak).reason, WriteFailure::LineBreak);
    EXPECT_EQ(test::readBytes(path), before);

    // Edits that end in the same text leave the file itself in place.
    const KeyEdit nothing[] = {{Kind::Delete, "s", "zz", {}}, {Kind::Set, "s", "a", "1"}};
    EXPECT_TRUE(file.applyEdits(nothing).ok);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, st.st_ino);
}

// "ﾃｩ" in Shift-JIS is C3 A9, valid UTF-8: once the line that is not goes, the file would read as
// UTF-8, and the value "ﾃｩ" would become "é".
TEST_F(KeyEdits, AShiftJisFileThatWouldTurnIntoUtf8HalfwayIsNotChanged)
{
    const std::string before = "[s]\r\na=\xC3\xA9\r\nb=\x82\xA0\r\n";
    test::writeBytes(path, before);
    const KeyEdit edits[] = {{Kind::Delete, "s", "b", {}}, {Kind::Set, "s", "c", "ｱ"}};
    EXPECT_EQ(file.applyEdits(edits).reason, WriteFailure::WouldReadAsUtf8);
    EXPECT_EQ(test::readBytes(path), before);
    // The same when the text the batch ends with is what would read in the other encoding.
    const KeyEdit last[] = {{Kind::Set, "s", "c", "1"}, {Kind::Delete, "s", "b", {}}};
    EXPECT_EQ(file.applyEdits(last).reason, WriteFailure::WouldReadAsUtf8);
    EXPECT_EQ(test::readBytes(path), before);

    // A UTF-8 file with two UTF-8 lines and one that is not would read as Shift-JIS at a tie.
    const std::string utf8 = "[s]\na=\xC3\xA9\nb=\x82\xA0\nc=\xC3\xBC\n";
    test::writeBytes(path, utf8);
    const KeyEdit tie[] = {{Kind::Set, "s", "d", "1"}, {Kind::Delete, "s", "c", {}}};
    EXPECT_EQ(file.applyEdits(tie).reason, WriteFailure::WouldReadAsShiftJis);
    EXPECT_EQ(test::readBytes(path), utf8);
    const KeyEdit kept[] = {{Kind::Set, "s", "d", "é"}, {Kind::Delete, "s", "c", {}}};
    EXPECT_TRUE(file.applyEdits(kept).ok);
    EXPECT_EQ(test::readBytes(path), "[s]\na=\xC3\xA9\nb=\x82\xA0\nd=\xC3\xA9\n");
}

// The edits one by one, each on a new parse of the text the ones before it made: what a batch
// must come to, byte for byte and refusal for refusal. A Renumber edit stands for a Delete (of a
// key that reads as absent) or a Rename of each of its numbered keys, in the order that never
// overwrites a key still to come.
IniEdit oneByOne(const IniText& original, std::span<const KeyEdit> edits)
{
    std::optional<IniText> current;
    std::optional<IniEdit> refused;
    const auto apply = [&](const std::function<IniEdit(const IniText&)>& edit) {
        IniEdit step = edit(current ? *current : original);
        if (step.refusal.reason != WriteFailure::None) {
            refused = std::move(step);
            return false;
        }
        if (!step.changed)
            return true;
        current.emplace(std::move(step.bytes));
        if (current->encoding() != original.encoding()) {
            refused = IniEdit{false, {}, writeFailure(original.encoding() == FileEncoding::Cp932
                                                          ? WriteFailure::WouldReadAsUtf8
                                                          : WriteFailure::WouldReadAsShiftJis,
                                                      "the settings file would read in another encoding during this "
                                                      "change, so it is not changed")};
            return false;
        }
        return true;
    };
    for (const KeyEdit& edit : edits) {
        bool on = true;
        switch (edit.kind) {
        case Kind::Set: on = apply([&](const IniText& text) { return text.edit(edit.section, edit.key, edit.text); }); break;
        case Kind::Delete: on = apply([&](const IniText& text) { return text.edit(edit.section, edit.key, std::nullopt); }); break;
        case Kind::Rename: on = apply([&](const IniText& text) { return text.renameKey(edit.section, edit.key, edit.text); }); break;
        case Kind::Renumber:
            for (int i = 0; on && edit.by != 0 && i <= edit.last - edit.first; ++i) {
                const int number = edit.by < 0 ? edit.first + i : edit.last - i;
                on = apply([&](const IniText& text) {
                    const std::string key = std::to_string(number);
                    const std::optional<std::string> value = text.value(edit.section, key);
                    return !value || *value == "0" ? text.edit(edit.section, key, std::nullopt)
                                                   : text.renameKey(edit.section, key, std::to_string(number + edit.by));
                });
            }
            break;
        }
        if (!on)
            return std::move(*refused);
    }
    if (!current || current->bytes() == original.bytes())
        return {};
    return {true, std::string(current->bytes()), {}};
}

std::string encoded(FileEncoding encoding, std::string_view utf8)
{
    codepage::Codec codec(encoding);
    return std::string(codepage::byteOrderMark(encoding)) + *codec.encode(utf8);
}

// Files with what makes line and section handling hard: each kind of line end, a last line
// without one, a lone CR meeting an empty LF line, copies of sections and keys, key lines without
// a name, comments and "[" lines without "]", text before the first section, every encoding, and
// a Shift-JIS file one line away from reading as UTF-8.
std::vector<std::string> awkwardFiles()
{
    std::vector<std::string> files = {
        "",
        "k=v",
        ";only a comment\r\n",
        "top=1\r\n[s]\r\na=1",
        "[s]\r\na=1\r\nb=2\r\n; note\r\n\r\n[t]\r\nx=1\r\n",
        "[s]\na=1\nb=2",
        "[s]\ra=1\rb=2\n\nc=3\r\n[t]\rk=v\r",
        "[s]\ra=1\rb=2\n\n",
        "[s]\r\na=1\r\na=2\r\n=novalue\r\n[s]\r\nhidden=1\r\n[S]\r\nb=1\r\n",
        "  [ s ]  \r\n[broken\r\n a = 1 \r\n  b=2\r\n;c=3\r\n[t]",
        "[s]\r\na=\xC3\xA9\r\nb=\x82\xA0\r\n",
        "[s]\r\na=\xC3\xA9\r\nb=\x82\xA0\r\nc=\x82\xA2\r\n",
        "[s]\na=é\nb=\x82\xA0\n",
        "[s]\na=é\nb=\x82\xA0\nc=ü\n",
        "\xEF\xBB\xBF[s]\r\na=1\r\n",
        "[s]\r\n1=x\r\n01=y\r\n2=z\r\n 1 =again\r\n0=w\r\n3=0\r\n",  // numbers as names, one twice
    };
    files.push_back(encoded(FileEncoding::Cp932, "[誕生日]\r\na01/20=太郎\r\nb01/20=花子\r\n[言霊]\r\n1=急がば回れ,ことわざ\r\n"
                                                 "2=継続は力なり\r\n[init]\r\n言霊総数=3\r\n"));
    files.push_back(encoded(FileEncoding::Utf8, "[言霊]\nキー=値\n1=一\n2=二\n"));
    const std::string utf16 = "[s]\r\na=1\r\nキー=値\r\n[t]\r\nb=2";
    files.push_back(encoded(FileEncoding::Utf16Le, utf16));
    files.push_back(encoded(FileEncoding::Utf16Be, utf16));
    files.push_back(encoded(FileEncoding::Utf16Le, utf16) + "x");  // half a character at the end
    return files;
}

// A batch's outcome against the edits one by one on file (shown names the edits): the same
// refusal, the same bytes, and the lines a write trusts instead of detecting the encoding again
// are those a new detection counts.
// A batch as a failure message shows it.
std::string described(std::span<const KeyEdit> edits)
{
    std::string shown;
    for (const KeyEdit& edit : edits) {
        shown += std::to_string(static_cast<int>(edit.kind)) + " [" + edit.section + "] " + edit.key + " " + edit.text;
        if (edit.kind == Kind::Renumber)
            shown += std::to_string(edit.first) + ".." + std::to_string(edit.last) + " by " + std::to_string(edit.by);
        shown += "; ";
    }
    return shown;
}

void expectSameOutcome(const IniEdit& batch, const IniEdit& expected, const std::string& file, const std::string& shown)
{
    ASSERT_EQ(batch.refusal.reason, expected.refusal.reason) << testing::PrintToString(file) << " " << shown;
    ASSERT_EQ(batch.refusal.error, expected.refusal.error) << shown;
    ASSERT_EQ(batch.changed, expected.changed) << testing::PrintToString(file) << " " << shown;
    ASSERT_EQ(batch.bytes, expected.bytes) << testing::PrintToString(file) << " " << shown;
    if (batch.lines) {
        codepage::Utf8Lines counted;
        codepage::detect(batch.bytes, &counted);
        ASSERT_EQ(batch.lines->valid, counted.valid) << testing::PrintToString(file) << " " << shown;
        ASSERT_EQ(batch.lines->invalid, counted.invalid) << testing::PrintToString(file) << " " << shown;
    }
}

// Random batches of edits on each of those files: the batch gives what the edits one by one give.
TEST(KeyEditBatch, GivesWhatTheEditsOneByOneGive)
{
    // The names and values that an edit refuses come last (two or three), and are picked one time in
    // fifty.
    const std::vector<std::string> sections = {"s", "S", " s ", "t", "new", "誕生日", "言霊", "init", "x]", ""};
    const std::vector<std::string> keys = {"a", "A", "b", "c", "x", "k", "キー", "1", "2", "3", "01", "0", "a01/20", "b01/20",
                                           "~a", "z", " a ", "[a", "k=v", ""};
    const std::vector<std::string> values = {"1", "v", "", "\xEF\xBE\x83\xEF\xBD\xA9" /* ﾃｩ */, "値", "\"q\"", "é",
                                             "0", "a\nb", "😀"};
    const std::string held[] = {"s", "t", "言霊", "誕生日", "a", "b", "1", "キー", "a01/20"};
    std::mt19937 random(18);
    const auto any = [&](const std::vector<std::string>& from) {
        const std::size_t sound = from.size() - (&from == &keys ? 3 : 2);
        return from[random() % 50 == 0 ? sound + random() % (from.size() - sound) : random() % sound];
    };
    int changed = 0, refusedAll = 0;
    for (const std::string& file : awkwardFiles()) {
        const IniText text(file);
        for (int round = 0; round < 1000; ++round) {
            std::vector<KeyEdit> edits;
            const int length = 1 + static_cast<int>(random() % 8);
            for (int i = 0; i < length; ++i) {
                const unsigned pick = random() % 4;  // sets twice as often as the others
                const Kind kind = pick == 3 ? Kind::Set : static_cast<Kind>(pick);
                if (kind == Kind::Rename)  // mostly of a key that some of the files have
                    edits.push_back({kind, random() % 4 == 0 ? any(sections) : held[random() % 4],
                                     random() % 4 == 0 ? any(keys) : held[4 + random() % 5], any(keys)});
                else
                    edits.push_back({kind, any(sections), any(keys), any(values)});
            }
            const IniEdit expected = oneByOne(text, edits);
            const IniEdit batch = text.editAll(edits);
            const std::string shown = described(edits);
            ASSERT_EQ(batch.refusal.character, expected.refusal.character) << shown;
            expectSameOutcome(batch, expected, file, shown);
            if (testing::Test::HasFatalFailure())
                return;
            if (batch.changed && (text.encoding() == FileEncoding::Cp932 || text.encoding() == FileEncoding::Utf8)) {
                ASSERT_TRUE(batch.lines) << testing::PrintToString(file) << " " << shown;
            }
            changed += expected.changed ? 1 : 0;
            refusedAll += expected.refusal.reason != WriteFailure::None ? 1 : 0;
        }
    }
    // The batches reached both outcomes often enough to mean something.
    EXPECT_GT(changed, 3000);
    EXPECT_GT(refusedAll, 3000);
}

// A few values stored in sections of their own (an added entry and its count), which the batch
// makes without splitting the sections into lines: the same bytes, refusals and counted lines as
// the edits one by one, also where a value turns a Shift-JIS file into UTF-8.
TEST(KeyEditBatch, SetsInSectionsOfTheirOwnGiveWhatTheEditsOneByOneGive)
{
    const std::vector<std::string> sections = {"s", "t", "S", "誕生日", "言霊", "init", "new"};
    const std::vector<std::string> keys = {"a", "b", "k", "x", "1", "01", "キー", "a01/20", "言霊総数", "z"};
    const std::vector<std::string> values = {"1", "v", "", "\xEF\xBE\x83\xEF\xBD\xA9" /* ﾃｩ */, "値", "é", "\"q\""};
    std::mt19937 random(24);
    int changed = 0;
    for (const std::string& file : awkwardFiles()) {
        const IniText text(file);
        for (int round = 0; round < 400; ++round) {
            std::vector<std::string> order = sections;
            std::shuffle(order.begin(), order.end(), random);
            std::vector<KeyEdit> edits;
            const int length = 2 + static_cast<int>(random() % 3);
            for (int i = 0; i < length; ++i)
                edits.push_back({Kind::Set, order[static_cast<std::size_t>(i)], keys[random() % keys.size()],
                                 values[random() % values.size()]});
            const IniEdit expected = oneByOne(text, edits);
            const IniEdit batch = text.editAll(edits);
            const std::string shown = described(edits);
            expectSameOutcome(batch, expected, file, shown);
            if (testing::Test::HasFatalFailure())
                return;
            changed += expected.changed ? 1 : 0;
        }
    }
    EXPECT_GT(changed, 2000);
}

// Files with numbered keys for renumbering: numbers twice, lone CRs, blanks around names, lines
// of the other encoding, keys that hold nothing in each way a value can read as "0"; after the
// awkward files.
std::vector<std::string> numberedFiles()
{
    std::vector<std::string> files = awkwardFiles();
    files.push_back("[s]\r\n1=a\r\n2=b\r\n; 3=c\r\n3=c\r\n\r\n 4 = d\r\nx=y\r\n5=e\r\n[t]\r\nn=5\r\n6=f\r\n");
    files.push_back("[t]\nn=4\n[s]\n0=z\n1=a\n2=b\n3=c\n4=d\n~1=p\n70000=big\n01=lead");
    files.push_back("[s]\r1=a\r2=b\n\n3=c\r\n[t]\rn=3\r");            // lone CRs
    files.push_back("[s]\n1=a\n2=b\n1=again\n3=c\n[t]\nn=3\n");          // a number twice
    files.push_back("[s]\n1=a\n=none\n \t=blank\n2=b\n[t]\nn=2\n");       // lines without a name
    files.push_back("[s]\n1=\x82\xA0\n2=\xC3\xA9\n3=\x82\xA2\n4=\xC3\xA9\n[t]\nn=4\n");  // Shift-JIS by a tie
    files.push_back("[s]\n1=\xE4\xB8\x80\n2=\x82\xA0\n3=\xE4\xBA\x8C\n4=\x82\xA2\n5=x\n[t]\nn=\xE4\xB8\x89\n");
    std::string many = "[t]\r\nn=300\r\n[s]\r\n";
    for (int i = 1; i <= 300; ++i)
        many += std::to_string(i) + "=" + (i % 7 == 0 ? "\x82\xA0" : "v") + std::to_string(i) + "\r\n";
    files.push_back(many);
    files.push_back(encoded(FileEncoding::Utf16Le, "[s]\r\n1=a\r\n2=b\r\n"));
    files.push_back("[s]\n1=a\n2=0\n3= \"0\" \n5='0'\n6=b\n" + std::string("7=0\0rest\n", 10) +
                    "8= 0\n9=00\n10=\"0\n11=0 x\n12=\n13=c\n[t]\nn=13\n");
    files.push_back(encoded(FileEncoding::Utf16Be, "[s]\r\n1=a\r\n2=0\r\n3=\"0\"\r\n4=b\r\n6=0x\r\n"));
    files.push_back("[s]\r\n1=\x82\xA0\r\n2=0\r\n3=\xC3\xA9\r\n4=0\r\n5=\x82\xA2\r\n[t]\r\nn=5\r\n");
    return files;
}

// Batches that renumber the keys of one section, as removing and moving entries do: renames and
// deletions of numbered keys and of a parked name, now and then a value of another section, a
// name twice, a key that is missing or no number. The same bytes, refusals and counted lines as
// the edits one by one, also where the lines that go turn the file's encoding, on files with
// numbers twice, lone CRs, blanks around names and lines of the other encoding.
TEST(KeyEditBatch, RenumberingsGiveWhatTheEditsOneByOneGive)
{
    const std::vector<std::string> files = numberedFiles();
    const std::size_t awkward = awkwardFiles().size();
    std::mt19937 random(32);
    const auto number = [&](int count) { return std::to_string(random() % 40 == 0 ? 0 : 1 + random() % count); };
    int changed = 0, refusedAll = 0;
    for (std::size_t f = 0; f < files.size(); ++f) {
        const std::string& file = files[f];
        const IniText text(file);
        for (int round = 0; round < (f < awkward ? 50 : 500); ++round) {
            // The numbered keys go up to count, mostly.
            int count = 1;
            while (text.value("s", std::to_string(count + 1)))
                ++count;
            count += random() % 8 == 0 ? 1 : 0;
            const std::string section = random() % 30 == 0 ? "t" : "s";
            const std::string parked = random() % 2 == 0 ? "~1" : "~A";
            std::vector<KeyEdit> edits;
            const int from = 1 + static_cast<int>(random() % count), to = 1 + static_cast<int>(random() % count);
            if (random() % 2 == 0) {  // a removal
                edits.push_back({Kind::Delete, section, std::to_string(from), {}});
                for (int i = from + 1; i <= std::min(count, from + 40); ++i)
                    edits.push_back({Kind::Rename, section, std::to_string(i), std::to_string(i - 1)});
            } else {  // a move, by way of the parked name
                edits.push_back({Kind::Rename, section, std::to_string(from), parked});
                const int step = from < to ? 1 : -1;
                for (int i = from + step; i != to + step && std::abs(i - from) <= 40; i += step)
                    edits.push_back({Kind::Rename, section, std::to_string(i), std::to_string(i - step)});
                edits.push_back({Kind::Rename, section, parked, std::to_string(to)});
            }
            // Now and then something the renumbering alone does not do.
            switch (random() % 12) {
            case 0: edits.push_back({Kind::Set, "t", "n", std::to_string(count - 1)}); break;
            case 1: edits.push_back({Kind::Set, "t", "n", "\xE2\x80\xA0"}); break;
            case 2: edits.push_back({Kind::Set, "t", "new", "1"}); break;
            case 3: edits.push_back({Kind::Set, section, number(count), "v"}); break;
            case 4: edits.push_back({Kind::Rename, section, number(count), number(count)}); break;
            case 5: edits.push_back({Kind::Rename, section, "x", number(count)}); break;
            case 6: edits.push_back({Kind::Delete, section, number(count), {}}); break;
            case 7: edits.insert(edits.begin() + 1, {Kind::Rename, section, number(count), "01"}); break;
            case 8: edits.push_back({Kind::Rename, "S", number(count), number(count)}); break;
            case 9: edits.push_back({Kind::Set, "t", "n", "a\nb"}); break;
            case 10: edits.push_back({Kind::Rename, section, "", number(count)}); break;
            default: break;
            }
            const IniEdit expected = oneByOne(text, edits);
            const IniEdit batch = text.editAll(edits);
            const std::string shown = described(edits);
            expectSameOutcome(batch, expected, file, shown);
            if (testing::Test::HasFatalFailure())
                return;
            if (batch.changed && (text.encoding() == FileEncoding::Cp932 || text.encoding() == FileEncoding::Utf8)) {
                ASSERT_TRUE(batch.lines) << testing::PrintToString(file) << " " << shown;
            }
            changed += expected.changed ? 1 : 0;
            refusedAll += expected.refusal.reason != WriteFailure::None ? 1 : 0;
        }
    }
    EXPECT_GT(changed, 2000);
    EXPECT_GT(refusedAll, 1500);
}

// Removals and moves written with Renumber edits, and Renumber edits of any step alone: the same
// bytes, refusals and counted lines as the Deletes and Renames they stand for, one by one.
TEST(KeyEditBatch, RenumberEditsGiveTheDeletesAndRenamesTheyStandFor)
{
    std::mt19937 random(33);
    int changed = 0, refusedAll = 0;
    for (const std::string& file : numberedFiles()) {
        const IniText text(file);
        for (int round = 0; round < 120; ++round) {
            int count = 1;
            while (text.value("s", std::to_string(count + 1)) || text.value("s", std::to_string(count + 2)))
                ++count;
            count += static_cast<int>(random() % 3);
            const std::string section = random() % 20 == 0 ? "t" : random() % 20 == 0 ? "S" : "s";
            const int from = 1 + static_cast<int>(random() % count), to = 1 + static_cast<int>(random() % count);
            std::vector<KeyEdit> edits;
            switch (random() % 4) {
            case 0:  // a removal
                edits.push_back({Kind::Delete, section, std::to_string(from), {}});
                edits.push_back(KeyEdit::renumber(section, from + 1, count, -1));
                edits.push_back({Kind::Set, "t", "n", std::to_string(count)});
                break;
            case 1:  // a move, by way of a parked name
                edits.push_back({Kind::Rename, section, std::to_string(from), "~1"});
                edits.push_back(from < to ? KeyEdit::renumber(section, from + 1, to, -1)
                                          : KeyEdit::renumber(section, to, from - 1, 1));
                edits.push_back({Kind::Rename, section, "~1", std::to_string(to)});
                break;
            case 2: {  // any step, over a range that may be empty or reach past the keys
                const int by = static_cast<int>(random() % 7) - 3;
                edits.push_back(KeyEdit::renumber(section, std::min(from, to) + (by < 0 ? -by : 0),
                                                  std::max(from, to) + static_cast<int>(random() % 3), by));
                break;
            }
            default:  // after edits that change the keys it renumbers
                edits.push_back({Kind::Set, section, std::to_string(from), random() % 2 ? "0" : "v"});
                edits.push_back({Kind::Delete, section, std::to_string(to), {}});
                edits.push_back(KeyEdit::renumber(section, 1, count, random() % 2 ? -1 : 1));
                break;
            }
            const IniEdit expected = oneByOne(text, edits);
            expectSameOutcome(text.editAll(edits), expected, file, described(edits));
            if (testing::Test::HasFatalFailure())
                return;
            changed += expected.changed ? 1 : 0;
            refusedAll += expected.refusal.reason != WriteFailure::None ? 1 : 0;
        }
    }
    EXPECT_GT(changed, 1500);
    EXPECT_GT(refusedAll, 20);
}

// Where no key may be named: numbers below 0 are refused, and nothing changes.
TEST(KeyEditBatch, RenumberingBelowZeroIsRefused)
{
    const IniText text(std::string("[s]\n0=a\n1=b\n"));
    for (const KeyEdit& edit : {KeyEdit::renumber("s", 0, 1, -1), KeyEdit::renumber("s", -1, 1, 1)}) {
        const KeyEdit edits[] = {edit};
        EXPECT_EQ(text.editAll(edits).refusal.reason, WriteFailure::KeyMissing);
        test::MemoryStore store;
        store.put("s", "1", "b");
        EXPECT_EQ(store.applyEdits(edits).reason, WriteFailure::KeyMissing);
        EXPECT_EQ(store.get("s", "1"), "b");
    }
}

// A store without batches of its own renumbers one key at a time, as the file does at once:
// keys that hold nothing go, the others take their new numbers.
TEST_F(KeyEdits, AStoreKeyByKeyRenumbersAsTheFileDoes)
{
    test::MemoryStore store;
    std::string bytes = "[s]\r\n";
    for (const auto& [key, value] : {std::pair{"1", "a"}, {"2", "b"}, {"3", "0"}, {"5", "c"}, {"6", "d"}}) {
        store.put("s", key, value);
        bytes += std::string(key) + "=" + value + "\r\n";
    }
    test::writeBytes(path, bytes);
    const KeyEdit edits[] = {{Kind::Delete, "s", "1", {}}, KeyEdit::renumber("s", 2, 6, -1)};
    ASSERT_TRUE(store.applyEdits(edits).ok);
    ASSERT_TRUE(file.applyEdits(edits).ok);
    EXPECT_EQ(test::readBytes(path), "[s]\r\n1=b\r\n4=c\r\n5=d\r\n");
    for (const char* key : {"1", "2", "3", "4", "5", "6"})
        EXPECT_EQ(store.get("s", key).value_or("0"), file.read("s", key)) << key;
}

// The sayings' removal: the first of many lines goes and every later one moves down a key.
TEST(KeyEditBatch, ManyRenamesInOneSection)
{
    std::string file = "[init]\r\n言霊総数=2001\r\n[言霊]\r\n";
    for (int i = 1; i <= 2000; ++i)
        file += std::to_string(i) + "=saying " + std::to_string(i) + "\r\n";
    const IniText text(encoded(FileEncoding::Cp932, file));
    std::vector<KeyEdit> edits = {{Kind::Delete, "言霊", "1", {}}};
    for (int i = 2; i <= 2000; ++i)
        edits.push_back({Kind::Rename, "言霊", std::to_string(i), std::to_string(i - 1)});
    edits.push_back({Kind::Set, "init", "言霊総数", "2000"});
    const IniEdit batch = text.editAll(edits);
    EXPECT_EQ(batch.bytes, oneByOne(text, edits).bytes);
    std::string expected = "[init]\r\n言霊総数=2000\r\n[言霊]\r\n";
    for (int i = 2; i <= 2000; ++i)
        expected += std::to_string(i - 1) + "=saying " + std::to_string(i) + "\r\n";
    EXPECT_EQ(batch.bytes, encoded(FileEncoding::Cp932, expected));
}

}  // namespace
}  // namespace dovi
