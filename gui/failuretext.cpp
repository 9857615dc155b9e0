#include "gui/failuretext.h"

#include <cerrno>

#include "gui/widgetkit.h"
#include "texts/texts.h"

namespace dovi {

namespace {

QString partText(WritePart part)
{
    switch (part) {
    case WritePart::SectionName: return qs(texts::kPartSection);
    case WritePart::KeyName: return qs(texts::kPartKey);
    case WritePart::Value:
    case WritePart::None: break;
    }
    return qs(texts::kPartValue);
}

// A character that cannot be shown as itself (a line break, NUL, other controls) as U+XXXX.
QString characterText(const std::string& utf8)
{
    const QString text = qs(utf8);
    if (text.isEmpty())
        return text;
    const char32_t c = text.toUcs4().value(0);
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0))
        return QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
    return text;
}

// The first character's code point as U+XXXX (four hex digits at least).
QString codePointText(const std::string& utf8)
{
    const QList<uint> points = qs(utf8).toUcs4();
    return points.isEmpty() ? QString() : QStringLiteral("U+%1").arg(points.first(), 4, 16, QLatin1Char('0')).toUpper();
}

QString systemErrorText(int error)
{
    switch (error) {
    case ENOSPC: return qs(texts::kErrNoSpace);
    case EDQUOT: return qs(texts::kErrQuota);
    case EACCES:
    case EPERM: return qs(texts::kErrAccess);
    case EROFS: return qs(texts::kErrReadOnlyFs);
    case EIO: return qs(texts::kErrIo);
    default: return qs(texts::kErrOther).arg(error);
    }
}

std::string_view sentenceFor(WriteFailure reason)
{
    switch (reason) {
    case WriteFailure::None: return {};
    case WriteFailure::InvalidText: return texts::kFailInvalidText;
    case WriteFailure::LineBreak: return texts::kFailLineBreak;
    case WriteFailure::NulCharacter: return texts::kFailNul;
    case WriteFailure::ForbiddenCharacter: return texts::kFailForbidden;
    case WriteFailure::EmptyName: return texts::kFailEmptyName;
    case WriteFailure::Unstorable: return texts::kFailUnstorable;
    case WriteFailure::HalfUtf16Ending: return texts::kFailHalfUtf16;
    case WriteFailure::KeyMissing: return texts::kFailKeyMissing;
    case WriteFailure::EntryTaken: return texts::kFailEntryTaken;
    case WriteFailure::AbsentValue: return texts::kFailAbsentValue;
    case WriteFailure::LinkLoop: return texts::kFailLinkLoop;
    case WriteFailure::Folder: return texts::kFailFolder;
    case WriteFailure::NotRegularFile: return texts::kFailNotRegular;
    case WriteFailure::ReadOnly: return texts::kFailReadOnly;
    case WriteFailure::Unreadable: return texts::kFailUnreadable;
    case WriteFailure::WouldReadAsUtf8: return texts::kFailWouldReadAsUtf8;
    case WriteFailure::WouldReadAsShiftJis: return texts::kFailWouldReadAsShiftJis;
    case WriteFailure::UntrustedLink: return texts::kFailUntrustedLink;
    case WriteFailure::SystemError: return texts::kFailSystem;
    case WriteFailure::LockUnavailable: return texts::kFailLockUnavailable;
    case WriteFailure::LockTimeout: return texts::kFailLockTimeout;
    case WriteFailure::NoRoom: return texts::kFailNoRoom;
    case WriteFailure::ChangedMeanwhile: return texts::kFailChangedMeanwhile;
    }
    return {};
}

}  // namespace

QString failureText(const WriteResult& result)
{
    if (result.ok || result.reason == WriteFailure::None)
        return result.ok ? QString() : qs(texts::kFailSystem).arg(qs(texts::kErrOther).arg(result.systemError));
    const QString sentence = qs(sentenceFor(result.reason));
    switch (result.reason) {
    case WriteFailure::SystemError: return sentence.arg(systemErrorText(result.systemError));
    case WriteFailure::Unstorable:
        return QString(sentence)
            .replace(QLatin1String("%2"), characterText(result.character))
            .replace(QLatin1String("%3"), codePointText(result.character));
    case WriteFailure::ForbiddenCharacter:
        return QString(sentence)
            .replace(QLatin1String("%1"), partText(result.part))
            .replace(QLatin1String("%2"), characterText(result.character));
    case WriteFailure::InvalidText:
    case WriteFailure::LineBreak:
    case WriteFailure::NulCharacter:
    case WriteFailure::EmptyName: return QString(sentence).replace(QLatin1String("%1"), partText(result.part));
    default: return sentence;
    }
}

}  // namespace dovi
