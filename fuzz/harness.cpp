// The fuzz cases. The checks restate the settings file's layout rules independently of the code
// under test (line splitting, encoding detection, UTF-8 validity, the reading rules for ASCII and
// UTF-8 files), so that a wrong result is caught, not only a crash.
#include "fuzz/harness.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calendar/clock.h"
#include "settings/codepage.h"
#include "settings/settingsfile.h"
#include "texts/texts.h"
#include "fuzz/inirules.h"
#include "fuzz/scriptedrandom.h"
#include "page/daypage.h"
#include "page/pagelabels.h"

namespace dovi::fuzz {

namespace {

namespace fs = std::filesystem;

FailureHandler failureHandler = nullptr;

[[noreturn]] void fail(const std::string& what)
{
    if (failureHandler)
        failureHandler(what.c_str());
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::abort();
}

void check(bool ok, const char* what)
{
    if (!ok)
        fail(what);
}

// Printable form of arbitrary bytes for a failure message.
std::string shown(std::string_view bytes)
{
    std::string out = "\"";
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && c != '"' && c != '\\') {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out + "\"";
}

// ---- The scratch folder: one per process, on a tmpfs when TMPDIR names one. ----

class Scratch {
public:
    Scratch()
    {
        std::string pattern = (fs::temp_directory_path() / "dovi-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            fail("no scratch folder can be made");
        dir_ = pattern;
        file_ = dir_ / "dovi.ini";
    }
    ~Scratch()
    {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const fs::path& file() const { return file_; }

    // Empties the folder and puts bytes as a new dovi.ini.
    void put(std::string_view bytes) const
    {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(dir_, ec))
            fs::remove_all(entry.path(), ec);
        const int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            fail("the scratch file cannot be made");
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd, bytes.data(), bytes.size());
            if (written <= 0)
                fail("the scratch file cannot be written");
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        ::close(fd);
    }

    std::string bytes() const
    {
        std::string out;
        const int fd = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            fail("the scratch file has gone");
        char buffer[65536];
        for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
            out.append(buffer, static_cast<std::size_t>(got));
        ::close(fd);
        return out;
    }

    // The names in the folder other than dovi.ini and its lock file (made by the first write and
    // kept for good): left-over files of a write.
    std::vector<std::string> strays() const
    {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(dir_, ec))
            if (entry.path().filename() != "dovi.ini" && entry.path().filename() != ".dovi.ini.lock")
                names.push_back(entry.path().filename().string());
        return names;
    }

private:
    fs::path dir_;
    fs::path file_;
};

const Scratch& scratch()
{
    static const Scratch instance;
    return instance;
}

// Every read gives valid UTF-8 without NUL, at most three bytes for each of the 1022 bytes.
void checkReadResult(const std::string& value, std::string_view section, std::string_view key)
{
    if (!validUtf8(value) || value.find('\0') != std::string::npos || value.size() > 3 * kValueLimit)
        fail("read " + shown(section) + "/" + shown(key) + " gave " + shown(value));
}

// ---- Reader. ----

void readAndCompare(SettingsFile& file, std::string_view section, std::string_view key,
                    const std::optional<std::string>& plainText)
{
    const std::string value = file.read(section, key);
    checkReadResult(value, section, key);
    if (file.read(section, key) != value)
        fail("a second read of " + shown(section) + "/" + shown(key) + " differs");
    if (plainText) {
        const std::string expected = referenceRead(*plainText, section, key);
        if (value != expected)
            fail("read " + shown(section) + "/" + shown(key) + " gave " + shown(value) + ", the layout rules give " +
                 shown(expected));
    }
}

// ---- Write. ----

// The input's last bytes, read from the end; what is left before them is the file.
class Trailer {
public:
    Trailer(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t byte()
    {
        if (size_ == 0)
            return 0;
        return data_[--size_];
    }
    std::string bytes(std::size_t n)
    {
        n = std::min(n, size_);
        size_ -= n;
        return std::string(reinterpret_cast<const char*>(data_ + size_), n);
    }
    std::string_view rest() const { return {reinterpret_cast<const char*>(data_), size_}; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// A write that every file must take (bar one that ends in half a UTF-16 character): plain ASCII
// names and value that the layout can hold.
bool plainWrite(std::string_view section, std::string_view key, std::optional<std::string_view> value)
{
    const auto printable = [](std::string_view text) {
        for (char c : text)
            if ((c < 0x20 || c > 0x7E) && c != '\t')
                return false;
        return true;
    };
    const std::string_view s = trimmed(section), k = trimmed(key);
    return !s.empty() && !k.empty() && printable(s) && printable(k) && (!value || printable(*value)) &&
           s.find(']') == std::string_view::npos && k.find('=') == std::string_view::npos && k.front() != ';' &&
           k.front() != '[';
}

// True if the bytes of text that are no UTF-8 all lie in one line.
bool nonUtf8InOneLine(std::string_view text)
{
    const Layout layout = splitLines(text, FileEncoding::Cp932);
    std::size_t lineStart = 0, badLines = 0;
    for (const Line& line : layout.lines) {
        const std::string_view whole = text.substr(lineStart, line.content.size() + line.end.size());
        // Line ends are ASCII, so a sequence never runs across one.
        if (!validUtf8(whole))
            ++badLines;
        lineStart += whole.size();
    }
    return badLines <= 1;
}

// Where two files' lines differ: the lines alike at the start and at the end, and how many lines
// between them one file has and the other.
struct LineDiff {
    Layout a, b;  // before, after
    std::size_t prefix = 0, suffix = 0, removed = 0, added = 0;
    std::string where;  // for messages: " (line N, R removed, A added)"
};

LineDiff diffLines(const std::string& before, const std::string& after, FileEncoding encoding)
{
    LineDiff d;
    d.a = splitLines(before, encoding);
    d.b = splitLines(after, encoding);
    if (d.a.mark != d.b.mark)
        fail("the byte-order mark changed");
    const std::size_t n = d.a.lines.size(), m = d.b.lines.size();
    // The last line, if it has no line end, gets one when a line is added after it.
    const auto same = [&](std::size_t i, std::size_t j) {
        return d.a.lines[i].content == d.b.lines[j].content &&
               (d.a.lines[i].end == d.b.lines[j].end || (i + 1 == n && d.a.lines[i].end.empty()));
    };
    while (d.prefix < n && d.prefix < m && same(d.prefix, d.prefix))
        ++d.prefix;
    while (d.suffix < n - d.prefix && d.suffix < m - d.prefix && same(n - 1 - d.suffix, m - 1 - d.suffix))
        ++d.suffix;
    d.removed = n - d.prefix - d.suffix;
    d.added = m - d.prefix - d.suffix;
    d.where = " (line " + std::to_string(d.prefix + 1) + ", " + std::to_string(d.removed) + " removed, " +
              std::to_string(d.added) + " added)";
    return d;
}

// A delete removes one key line.
void checkDeleteDiff(const LineDiff& d, FileEncoding encoding)
{
    std::size_t line = d.prefix;
    // Removing a line between a lone CR and an empty line makes CR and LF one line end: the empty
    // line goes into the line before; all bytes but the key line's stay.
    const bool joined = d.removed == 3 && d.added == 1 && d.a.lines[line + 2].content.empty() &&
                        d.b.lines[line].content == d.a.lines[line].content &&
                        d.b.lines[line].end == d.a.lines[line].end + d.a.lines[line + 2].end;
    if (joined)
        ++line;
    else if (d.removed != 1 || d.added != 0)
        fail("a delete changed more than one line" + d.where);
    if (equalsIn(d.a.lines[line].content, encoding) == std::string::npos)
        fail("a delete removed a line that holds no key" + d.where);
}

// A write changes the value of one key line, adds one key line to its section, or adds a section
// line and a key line at the end.
void checkWriteDiff(const LineDiff& d, FileEncoding encoding, std::string_view key, std::string_view value)
{
    codepage::Codec codec(encoding);
    const auto encodedValue = codec.encode(value);
    check(encodedValue.has_value(), "a value that was written cannot be encoded");
    if (d.removed == 1 && d.added == 1) {
        const Line& old = d.a.lines[d.prefix];
        const Line& now = d.b.lines[d.prefix];
        const std::size_t equals = equalsIn(old.content, encoding);
        if (equals == std::string::npos)
            fail("a write changed a line that holds no key" + d.where);
        const std::size_t unit = isUtf16(encoding) ? 2 : 1;
        if (now.content != old.content.substr(0, equals + unit) + *encodedValue || now.end != old.end)
            fail("a changed key line is not its old start followed by the value: " + shown(old.content) + " -> " +
                 shown(now.content) + d.where);
        return;
    }
    const std::string keyLine = *codec.encode(trimmed(key)) + *codec.encode("=") + *encodedValue;
    if (d.removed == 0 && d.added == 1 && d.prefix > 0) {
        if (d.b.lines[d.prefix].content != keyLine)
            fail("an added key line is " + shown(d.b.lines[d.prefix].content) + ", not " + shown(keyLine) + d.where);
        return;
    }
    if (d.removed == 0 && d.added == 2 && d.suffix == 0) {
        if (unitAt(d.b.lines[d.prefix].content, 0, encoding) != '[' || d.b.lines[d.prefix + 1].content != keyLine)
            fail("an added section is not a section line and the key line" + d.where);
        return;
    }
    fail("a write changed more than one line" + d.where);
}

// Checks that after differs from before by exactly one change of the kind a write may make.
void checkOneLineChanged(const std::string& before, const std::string& after, FileEncoding encoding,
                         std::string_view key, std::optional<std::string_view> value)
{
    if (before == after)
        return;  // deleting an absent key, or storing the value a key has
    const LineDiff d = diffLines(before, after, encoding);
    if (value)
        checkWriteDiff(d, encoding, key, *value);
    else
        checkDeleteDiff(d, encoding);
}

// ---- Page build. ----

// Passes every call on to the settings file, counting reads and logging writes.
class CountingStore final : public SettingsStore {
public:
    struct Write {
        std::string section, key;
        std::optional<std::string> value;
        bool ok;
    };

    explicit CountingStore(SettingsFile& file) : file_(file) {}

    std::string read(std::string_view section, std::string_view key) override
    {
        ++reads;
        std::string value = file_.read(section, key);
        checkReadResult(value, section, key);
        return value;
    }

    WriteResult write(std::string_view section, std::string_view key, std::optional<std::string_view> value) override
    {
        WriteResult result = file_.write(section, key, value);
        writes.push_back({std::string(section), std::string(key),
                          value ? std::optional<std::string>(std::string(*value)) : std::nullopt, result.ok});
        return result;
    }

    // A move is one change: done, the entry reads under toKey as it read under fromKey; refused,
    // the file is as it was.
    WriteResult moveKey(std::string_view section, std::string_view fromKey, std::string_view toKey,
                        std::string_view value) override
    {
        ++moves;
        const std::string before = scratch().bytes();
        WriteResult result = file_.moveKey(section, fromKey, toKey, value);
        if (!result.ok && scratch().bytes() != before)
            fail("a refused move of " + shown(section) + "/" + shown(fromKey) + " changed the file: " + result.error);
        if (result.ok && file_.read(section, toKey) != value)
            fail("an entry moved to " + shown(section) + "/" + shown(toKey) + " reads " +
                 shown(file_.read(section, toKey)) + ", not " + shown(value));
        return result;
    }

    std::unique_ptr<UpdateLock> lockForUpdate() override { return file_.lockForUpdate(); }

    int reads = 0;
    int moves = 0;
    std::vector<Write> writes;

private:
    SettingsFile& file_;
};

// The page build's limits. Reads: 4 of the profile; in each dated section the lettered keys up to
// the first missing one and then the bare key once per free letter, 27 in all; the holiday; the
// saying count; one saying. Moves: one per letter in each dated section. Writes: none of its own.
// Draws: 50.
constexpr int kMaxReads = 4 + 2 * 27 + 1 + 1 + 1;
constexpr int kMaxMoves = 2 * 26;
constexpr std::size_t kMaxWrites = 0;
constexpr std::size_t kMaxDraws = 50;

// The month and day of the first key of the file that names one ("01/20" or "a01/20"), so that
// the build meets the file's entries for its day.
std::optional<std::pair<unsigned, unsigned>> datedKeyIn(const Names& names)
{
    for (const std::string& raw : names.allKeys) {
        std::string_view key = trimmed(raw);
        if (key.size() == 6 && key[0] >= 'a' && key[0] <= 'z')
            key.remove_prefix(1);
        const auto digit = [&](std::size_t i) { return key[i] >= '0' && key[i] <= '9'; };
        if (key.size() == 5 && digit(0) && digit(1) && key[2] == '/' && digit(3) && digit(4))
            return std::pair{static_cast<unsigned>((key[0] - '0') * 10 + key[1] - '0'),
                             static_cast<unsigned>((key[3] - '0') * 10 + key[4] - '0')};
    }
    return std::nullopt;
}

void checkPageText(const std::string& text, const char* field)
{
    if (!validUtf8(text))
        fail(std::string("the page's ") + field + " is not valid UTF-8: " + shown(text));
}

}  // namespace

void setFailureHandler(FailureHandler handler) { failureHandler = handler; }

int runReaderCase(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Scratch& dir = scratch();
    dir.put(bytes);

    SettingsFile file(dir.file());
    const FileEncoding encoding = expectedEncoding(bytes);
    if (file.encoding() != encoding)
        fail("encoding() gave " + std::to_string(static_cast<int>(file.encoding())) + ", the file has " +
             std::to_string(static_cast<int>(encoding)));

    // Files whose layout is their text: the reading rules can be restated for them.
    std::optional<std::string> plainText;
    const std::string_view body = bytes.substr(std::min(markLength(encoding), bytes.size()));
    if ((encoding == FileEncoding::Cp932 && isAscii(bytes)) || encoding == FileEncoding::Utf8 ||
        (encoding == FileEncoding::Utf8Bom && validUtf8(body)))
        plainText = std::string(body);

    const Names names = namesIn(plainText ? *plainText : decodedText(bytes, encoding), 6, 12);
    for (const auto& [section, key] : names.keys) {
        readAndCompare(file, section, key, plainText);
        readAndCompare(file, upper(section), upper(key), plainText);
        readAndCompare(file, " \t" + section + " ", key + "\t", plainText);
    }
    for (const std::string& section : names.sections)
        readAndCompare(file, section, texts::kUser, plainText);
    for (const std::string& key : names.allKeys)
        readAndCompare(file, texts::kInit, key, plainText);
    readAndCompare(file, texts::kInit, texts::kUser, plainText);
    readAndCompare(file, texts::kInit, texts::kSayingCount, plainText);
    readAndCompare(file, texts::kSayings, "1", plainText);
    readAndCompare(file, "", texts::kUser, plainText);
    readAndCompare(file, texts::kInit, "", plainText);

    // A second object on the same file reads the same.
    SettingsFile again(dir.file());
    if (!names.keys.empty() && again.read(names.keys[0].first, names.keys[0].second) !=
                                   file.read(names.keys[0].first, names.keys[0].second))
        fail("two objects on one file read differently");
    check(again.encoding() == encoding, "a second object sees another encoding");
    return 0;
}

namespace {

// One write that a write case makes, and the file it makes it on.
struct WriteRequest {
    std::string section, key, valueText;
    std::optional<std::string_view> value;  // into valueText; std::nullopt deletes
    std::string_view before;                // the file
    FileEncoding encoding = FileEncoding::Cp932;  // the file's, as detected
};

// Trailer, from the end: mode, the three lengths, then section, key and value text.
//   mode bits 0-1: 0 or 1 store the value, 2 deletes, 3 stores ""
//   mode bit 2 / bit 3: the section / key is one named in the file (chosen by bits 4-7)
// The request points into data and into itself, so it is filled in place.
void readWriteRequest(const std::uint8_t* data, std::size_t size, WriteRequest& request)
{
    Trailer trailer(data, size);
    const std::uint8_t mode = trailer.byte();
    const std::size_t sectionLength = trailer.byte() & 0x3F;
    const std::size_t keyLength = trailer.byte() & 0x3F;
    const std::uint8_t valueByte = trailer.byte();
    const std::size_t valueLength = valueByte < 0xF0 ? valueByte : std::size_t{valueByte - 0xEFu} * 256;
    request.section = trailer.bytes(sectionLength);
    request.key = trailer.bytes(keyLength);
    request.valueText = trailer.bytes(valueLength);
    request.before = trailer.rest();

    request.encoding = expectedEncoding(request.before);
    const Names names = namesIn(decodedText(request.before, request.encoding), 16, 16);
    const std::size_t pick = mode >> 4;
    if ((mode & 4) && !names.sections.empty())
        request.section = names.sections[pick % names.sections.size()];
    if ((mode & 8) && !names.keys.empty()) {
        const auto& [keySection, keyName] = names.keys[pick % names.keys.size()];
        request.key = keyName;
        if (mode & 4)
            request.section = keySection;
    }
    if ((mode & 3) < 2)
        request.value = request.valueText;
    else if ((mode & 3) == 3)
        request.value = std::string_view();
}

// A refused write leaves the file alone, says why, and is no plain write that every file takes.
void checkRefusedWrite(const WriteRequest& request, const WriteResult& result, const std::string& after)
{
    check(!result.error.empty(), "a refused write gives no reason");
    if (after != request.before)
        fail("a refused write changed the file: " + result.error);
    // Refusals a plain write may meet: a UTF-16 file that ends in half a unit, and a Shift-JIS
    // file that would read as UTF-8 once the one line with bytes that are not UTF-8 changes.
    const bool halfUnit = isUtf16(request.encoding) && request.before.size() % 2 != 0;
    const bool couldTurnUtf8 = request.encoding == FileEncoding::Cp932 && nonUtf8InOneLine(request.before);
    if (plainWrite(request.section, request.key, request.value) && !halfUnit && !couldTurnUtf8)
        fail("a plain ASCII write was refused: " + result.error);
}

// A done write keeps the encoding, changes one line, and the key then reads back as written, for
// the writing object and for a new one.
void checkDoneWrite(const WriteRequest& request, const WriteResult& result, SettingsFile& file,
                    const std::string& after)
{
    check(result.error.empty(), "a write that was done gives a reason");
    const FileEncoding encoding = request.encoding;
    const FileEncoding now = expectedEncoding(after);
    if (now != encoding && !(encoding == FileEncoding::Utf8 && now == FileEncoding::Cp932 && isAscii(after)))
        fail("a write changed the file's encoding from " + std::to_string(static_cast<int>(encoding)) + " to " +
             std::to_string(static_cast<int>(now)));
    checkOneLineChanged(std::string(request.before), after, encoding, request.key, request.value);

    SettingsFile fresh(file.path());
    const std::string cached = file.read(request.section, request.key);
    const std::string reread = fresh.read(request.section, request.key);
    if (cached != reread)
        fail("the writing object reads " + shown(cached) + ", a new one " + shown(reread));
    checkReadResult(reread, request.section, request.key);
    if (!request.value)
        return;
    const std::string written(unquoted(*request.value));
    codepage::Codec codec(encoding);
    const auto encoded = codec.encode(written);
    check(encoded.has_value(), "a value that was written cannot be encoded");
    // What the stored bytes say: in a Shift-JIS file a few characters that Linux input methods type
    // are stored under the codes Windows uses, and read back as Windows' own code points.
    const std::string expected = codec.decode(*encoded);
    const bool whole = encoded->size() <= kValueLimit && expected.find('\0') == std::string::npos;
    if (whole ? reread != expected : !expected.starts_with(reread))
        fail("the written key " + shown(request.section) + "/" + shown(request.key) + " reads back as " +
             shown(reread) + ", not " + shown(expected));
}

}  // namespace

int runWriteCase(const std::uint8_t* data, std::size_t size)
{
    WriteRequest request;
    readWriteRequest(data, size, request);

    const Scratch& dir = scratch();
    dir.put(request.before);
    SettingsFile file(dir.file());
    const WriteResult result = file.write(request.section, request.key, request.value);
    const std::string after = dir.bytes();
    if (!dir.strays().empty())
        fail("a write left " + dir.strays().front() + " in the folder");

    if (result.ok)
        checkDoneWrite(request, result, file, after);
    else
        checkRefusedWrite(request, result, after);
    return 0;
}

namespace {

// The moment and the random numbers of one page case, and the file it builds on.
struct PageRequest {
    LocalDateTime at;
    std::vector<float> randoms;
    std::string_view bytes;
};

// Trailer, from the end: flags, the day number (3 bytes), hour, minute, second, then up to
// seven random numbers of 3 bytes each.
//   flags bits 0-2: how many random numbers; bit 3: month and day from the file's first dated key
PageRequest readPageRequest(const std::uint8_t* data, std::size_t size)
{
    Trailer trailer(data, size);
    const std::uint8_t flags = trailer.byte();
    std::uint32_t dayNumber = trailer.byte();
    dayNumber = dayNumber << 8 | trailer.byte();
    dayNumber = dayNumber << 8 | trailer.byte();
    PageRequest request;
    request.at.hour = trailer.byte() % 24;
    request.at.minute = trailer.byte() % 60;
    request.at.second = trailer.byte() % 60;
    for (int i = 0; i < (flags & 7); ++i) {
        std::uint32_t bits = trailer.byte();
        bits = bits << 8 | trailer.byte();
        bits = bits << 8 | trailer.byte();
        request.randoms.push_back(static_cast<float>(bits) * 0x1p-24f);  // in [0, 1), exact
    }
    request.bytes = trailer.rest();

    using namespace std::chrono;
    const sys_days first = sys_days{year{1} / January / 1};
    const sys_days last = sys_days{year{9999} / December / 31};
    request.at.date = Date{first + days{dayNumber % static_cast<std::uint32_t>((last - first).count() + 1)}};
    if (flags & 8) {
        const FileEncoding encoding = expectedEncoding(request.bytes);
        if (const auto monthDay = datedKeyIn(namesIn(decodedText(request.bytes, encoding), 0, 64))) {
            const Date dated{request.at.date.year(), month{monthDay->first}, day{monthDay->second}};
            if (dated.ok())
                request.at.date = dated;
        }
    }
    return request;
}

// The build stays within its reads, moves, writes and draws, and leaves no file behind.
void checkPageBuildBounds(const CountingStore& store, const ScriptedRandom& random, const Scratch& dir)
{
    if (store.reads > kMaxReads)
        fail("the page build read " + std::to_string(store.reads) + " times");
    if (store.moves > kMaxMoves)
        fail("the page build moved " + std::to_string(store.moves) + " entries");
    if (store.writes.size() > kMaxWrites)
        fail("the page build wrote " + std::to_string(store.writes.size()) + " times");
    check(random.seeds == 1, "the saying draw seeds other than once");
    check(random.draws <= kMaxDraws, "the saying draw takes more than 50 numbers");
    if (!dir.strays().empty())
        fail("the page build left " + dir.strays().front() + " in the folder");
}

// A moved entry is deleted under its bare key and then written under a letter or, when that
// fails, written back: one of the two must be done, or the entry is lost.
void checkNoEntryLost(const std::vector<CountingStore::Write>& writes)
{
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (writes[i].value || !writes[i].ok)
            continue;
        const bool moved = i + 1 < writes.size() && writes[i + 1].ok;
        const bool restored = i + 2 < writes.size() && !writes[i + 1].ok && writes[i + 2].ok &&
                              writes[i + 2].key == writes[i].key;
        if (!moved && !restored)
            fail("an entry deleted under " + shown(writes[i].section) + "/" + shown(writes[i].key) +
                 " was neither moved nor written back");
    }
}

// What the window shows of the page: 1 to 26 messages and valid text in every label.
void checkPageLabels(const DayPage& page)
{
    const PageLabels labels = pageLabels(page);
    if (labels.msgCount < 1 || labels.msgCount > kMsgListSize)
        fail("the page's msgCount is " + std::to_string(labels.msgCount));
    for (int i = 0; i < labels.msgCount; ++i)
        checkPageText(labels.msgList[static_cast<std::size_t>(i)], "message");
    checkPageText(labels.label4, "Label4");
    checkPageText(labels.label5, "Label5");
    checkPageText(labels.label6, "Label6");
    checkPageText(labels.label7, "Label7");
    checkPageText(labels.label8, "Label8");
}

}  // namespace

int runPageCase(const std::uint8_t* data, std::size_t size)
{
    PageRequest request = readPageRequest(data, size);
    const Scratch& dir = scratch();
    dir.put(request.bytes);
    SettingsFile file(dir.file());
    CountingStore store(file);
    FixedClock clock(request.at);
    ScriptedRandom random(std::move(request.randoms));
    const DayPage page = buildDayPage(store, clock, random);

    checkPageBuildBounds(store, random, dir);
    checkNoEntryLost(store.writes);
    checkPageLabels(page);
    return 0;
}

}  // namespace dovi::fuzz
