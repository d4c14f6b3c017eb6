#include "calendar/DayNoteStore.h"

#include "platform/TextFile.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace yk {

namespace {

const QString kCommonMemoName = QStringLiteral("Memo0001.TXT");
constexpr QDir::Filters kFileFilter = QDir::Files | QDir::Hidden | QDir::System;

QString normaliseBreaks(const QString& text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(u'\r', u'\n');
    return out;
}

// True for "&%All" and "&%AM" with any number of "&%" in front: the lines a
// text must not hand to the file as they are.
bool looksLikeMarker(QStringView line)
{
    while (true) {
        if (line == DayNoteStore::kAllMarker || line == DayNoteStore::kAmMarker)
            return true;
        if (!line.startsWith(DayNoteStore::kEscape))
            return false;
        line = line.mid(DayNoteStore::kEscape.size());
    }
}

QString escapeText(const QString& text)
{
    if (!text.contains(DayNoteStore::kAllMarker) && !text.contains(DayNoteStore::kAmMarker))
        return text;
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (looksLikeMarker(line))
            line.prepend(DayNoteStore::kEscape);
    }
    return lines.join(u'\n');
}

QStringView unescapeLine(QStringView line)
{
    if (line.startsWith(DayNoteStore::kEscape) && looksLikeMarker(line))
        return line.mid(DayNoteStore::kEscape.size());
    return line;
}

} // namespace

DayNoteStore::DayNoteStore(AppPaths paths)
    : m_paths(std::move(paths))
{
}

QString DayNoteStore::folder() const
{
    return m_paths.file(u"txt/");
}

bool DayNoteStore::isDayStem(const QString& stem)
{
    if (stem.size() != 8
        || !std::all_of(stem.cbegin(), stem.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return false;
    return QDate::fromString(stem, u"yyyyMMdd").isValid();
}

QString DayNoteStore::stemOf(const QDate& date)
{
    return date.toString(u"yyyyMMdd");
}

QString DayNoteStore::findFile(const QString& fileName) const
{
    const QString dir = folder();
    const QFileInfo exact(dir + fileName);
    if (exact.isFile())
        return exact.filePath();
    // Case-insensitive file systems already answered above; elsewhere look
    // for any spelling of the name. The filter matches without case.
    const QStringList found = QDir(dir).entryList({fileName}, kFileFilter, QDir::Name);
    for (const QString& name : found) {
        if (name.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir + name;
    }
    return QString();
}

QString DayNoteStore::writePath(const QString& fileName) const
{
    const QString existing = findFile(fileName);
    return existing.isEmpty() ? folder() + fileName : existing;
}

bool DayNoteStore::hasNotes(const QString& stem) const
{
    return isDayStem(stem) && !findFile(stem + QStringLiteral(".TXT")).isEmpty();
}

bool DayNoteStore::hasNotes(const QDate& date) const
{
    return date.isValid() && hasNotes(stemOf(date));
}

QSet<int> DayNoteStore::daysWithNotes(int year, int month) const
{
    QSet<int> days;
    const QDate first(year, month, 1);
    if (!first.isValid() || year < 1000 || year > 9999)
        return days;
    const QString prefix = stemOf(first).left(6);
    const QStringList names =
        QDir(folder()).entryList({prefix + QStringLiteral("??.txt")}, kFileFilter, QDir::NoSort);
    for (const QString& name : names) {
        const QString stem = name.left(8);
        if (name.size() != 12 || !isDayStem(stem) || !stem.startsWith(prefix))
            continue;
        days.insert(stem.mid(6, 2).toInt());
    }
    return days;
}

std::function<bool(const QDate&)> DayNoteStore::noteTestFor(int year, int month) const
{
    return [year, month, days = daysWithNotes(year, month)](const QDate& date) {
        return date.year() == year && date.month() == month && days.contains(date.day());
    };
}

QString DayNoteStore::formatDay(const DayNote& note)
{
    const QString diary = escapeText(normaliseBreaks(note.diary));
    const QString morning = escapeText(normaliseBreaks(note.morning));
    const QString afternoon = escapeText(normaliseBreaks(note.afternoon));

    QString out = diary;
    if (!out.endsWith(u'\n'))
        out += u'\n';
    out += kAllMarker;
    out += u'\n';
    out += morning;
    if (!morning.isEmpty() && !morning.endsWith(u'\n'))
        out += u'\n';
    out += kAmMarker;
    out += u'\n';
    out += afternoon;
    out += u'\n';
    return out;
}

DayNote DayNoteStore::parseDay(QStringView text)
{
    DayNote note;
    QString* current = &note.diary;
    // Every text line is followed by a line break except the file's last
    // line; the break is owed until the next line shows there is one.
    QString* owesBreak = nullptr;
    textfile::forEachLine(text, [&](QStringView line) {
        if (owesBreak)
            *owesBreak += u'\n';
        owesBreak = nullptr;
        if (line == kAllMarker) {
            note.morning.clear();
            current = &note.morning;
        } else if (line == kAmMarker) {
            current = &note.afternoon;
        } else {
            *current += unescapeLine(line);
            owesBreak = current;
        }
    });
    return note;
}

QString DayNoteStore::formatCommon(const QString& memo)
{
    return normaliseBreaks(memo) + u'\n';
}

QString DayNoteStore::parseCommon(QStringView text)
{
    QString memo;
    bool first = true;
    textfile::forEachLine(text, [&](QStringView line) {
        if (!first)
            memo += u'\n';
        memo += line;
        first = false;
    });
    return memo;
}

namespace {

template <typename T, typename Parse>
DayNoteStore::ReadResult<T> readNoteFile(const QString& path, Parse parse)
{
    using Status = DayNoteStore::ReadStatus;
    DayNoteStore::ReadResult<T> result;
    result.path = path;
    if (path.isEmpty())
        return result;
    const textfile::LimitedRead read = textfile::readTextUpTo(path, DayNoteStore::kMaxFileBytes);
    switch (read.status) {
    case textfile::LimitedRead::Read:
        result.status = Status::Read;
        result.value = parse(read.text);
        break;
    case textfile::LimitedRead::TooLarge:
        result.status = Status::TooLarge;
        break;
    case textfile::LimitedRead::CannotOpen:
        result.status = Status::Unreadable;
        break;
    }
    return result;
}

} // namespace

DayNoteStore::ReadResult<DayNote> DayNoteStore::readDayFile(const QString& stem) const
{
    if (!isDayStem(stem))
        return {};
    return readNoteFile<DayNote>(findFile(stem + QStringLiteral(".TXT")), &DayNoteStore::parseDay);
}

DayNoteStore::ReadResult<QString> DayNoteStore::readCommonMemoFile() const
{
    return readNoteFile<QString>(findFile(kCommonMemoName), &DayNoteStore::parseCommon);
}

QString DayNoteStore::tooLargeMessage(const QString& path)
{
    return kTooLargeText.toString() + u'\n' + QFileInfo(path).fileName();
}

std::optional<DayNote> DayNoteStore::readDay(const QString& stem) const
{
    auto read = readDayFile(stem);
    if (!read.ok())
        return std::nullopt;
    return std::move(read.value);
}

std::optional<QString> DayNoteStore::readCommonMemo() const
{
    auto read = readCommonMemoFile();
    if (!read.ok())
        return std::nullopt;
    return std::move(read.value);
}

bool DayNoteStore::write(const QString& stem, const DayNote& note, const QString& commonMemo)
{
    QDir().mkpath(folder());
    bool ok = true;
    if (!isDayStem(stem))
        ok = false;
    else if (!note.isEmpty())
        ok = textfile::writeText(writePath(stem + QStringLiteral(".TXT")), formatDay(note));
    if (!textfile::writeText(writePath(kCommonMemoName), formatCommon(commonMemo)))
        ok = false;
    return ok;
}

bool DayNoteStore::deleteDay(const QString& stem)
{
    if (!isDayStem(stem))
        return true;
    const QString fileName = stem + QStringLiteral(".TXT");
    bool ok = true;
    const QStringList names = QDir(folder()).entryList({fileName}, kFileFilter, QDir::NoSort);
    for (const QString& name : names) {
        if (name.compare(fileName, Qt::CaseInsensitive) == 0 && !QFile::remove(folder() + name))
            ok = false;
    }
    return ok && findFile(fileName).isEmpty();
}

} // namespace yk
