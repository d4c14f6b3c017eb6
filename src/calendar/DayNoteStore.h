#pragma once

#include "platform/AppPaths.h"

#include <functional>
#include <optional>

#include <QDate>
#include <QSet>
#include <QString>

namespace yk {

// The three texts of one day. Line breaks are "\n" here; on disk they are
// CR LF.
struct DayNote
{
    QString diary;     // tab "日記"
    QString morning;   // tab "午前"
    QString afternoon; // tab "午後"

    bool isEmpty() const { return diary.isEmpty() && morning.isEmpty() && afternoon.isEmpty(); }
    bool operator==(const DayNote&) const = default;
};

// Day notes in <application folder>/txt/: one file "yyyymmdd.TXT" per day
// and the common memo "Memo0001.TXT". Names are matched without regard to
// case, so files carried over from a Windows system (".txt", ".TXT", any
// mix) are found; an existing file keeps its own spelling when rewritten.
// Files are read as Shift-JIS or UTF-8, whichever they hold, and every write
// replaces the file whole or leaves it as it was. A file too large to be a
// note is refused without being read.
//
// Day file layout: the diary lines, a line "&%All", the morning lines, a
// line "&%AM", the afternoon lines. A text line that would read as a marker
// is written with one "&%" in front: any line made of zero or more "&%"
// followed by "&%All" or "&%AM" gains one "&%" on writing and loses one on
// reading. Files from before this rule never hold such lines as text (the
// old writer could not keep them apart from the markers), so they read
// exactly as before.
class DayNoteStore
{
public:
    static constexpr QStringView kAllMarker = u"&%All";
    static constexpr QStringView kAmMarker = u"&%AM";
    static constexpr QStringView kEscape = u"&%";

    // Notes are typed by hand into the memo window: a large one is a few
    // tens of kilobytes, and 1 MiB is hundreds of printed pages. A file past
    // that is damaged or not ours; reading it would hold the window (a MiB
    // of bare line ends alone is a million lines), so it is refused unread.
    static constexpr qint64 kMaxFileBytes = qint64(1) << 20;
    // Shown, with the file's name, when a file is refused for its size.
    static constexpr QStringView kTooLargeText = u"メモファイルが大きすぎるため開けません。";

    enum class ReadStatus {
        Read,
        Missing,    // no such file: the day has no notes
        TooLarge,   // more than kMaxFileBytes; nothing was read
        Unreadable, // there, but it could not be opened or read
    };
    template <typename T>
    struct ReadResult
    {
        ReadStatus status = ReadStatus::Missing;
        T value{};    // the text(s) read; empty unless status is Read
        QString path; // the file found, when there was one
        bool ok() const { return status == ReadStatus::Read; }
    };

    explicit DayNoteStore(AppPaths paths);

    QString folder() const; // with trailing '/'

    // True for an eight-digit "yyyymmdd" stem; anything else names no day.
    static bool isDayStem(const QString& stem);
    static QString stemOf(const QDate& date);

    // The day's file exists (any case of the name).
    bool hasNotes(const QString& stem) const;
    bool hasNotes(const QDate& date) const;
    // Days of the month that have a file: one folder listing for a whole grid.
    QSet<int> daysWithNotes(int year, int month) const;
    // A "day has a note" test for the grid of one month, built from one
    // listing; dates of other months answer false.
    std::function<bool(const QDate&)> noteTestFor(int year, int month) const;

    // What reading the day's file (or the common memo) came to, with the
    // file's path so that a refusal can name it.
    ReadResult<DayNote> readDayFile(const QString& stem) const;
    ReadResult<QString> readCommonMemoFile() const;
    // kTooLargeText and the file's name, for a message box.
    static QString tooLargeMessage(const QString& path);

    // nullopt unless the file was read (no file, unreadable, too large).
    std::optional<DayNote> readDay(const QString& stem) const;
    std::optional<QString> readCommonMemo() const;

    // Writes the day file (unless all three texts are empty, which leaves an
    // existing file alone) and always the common memo. Returns false when a
    // file could not be written or `stem` names no day; the common memo is
    // still attempted then.
    bool write(const QString& stem, const DayNote& note, const QString& commonMemo);

    // Removes the day's file in every spelling. True when no file is left.
    bool deleteDay(const QString& stem);

    // The file contents as written, exposed for the format rules' sake.
    static QString formatDay(const DayNote& note);
    static DayNote parseDay(QStringView text);
    static QString formatCommon(const QString& memo);
    static QString parseCommon(QStringView text);

    // Path of an existing file named `fileName` in any case, else empty.
    QString findFile(const QString& fileName) const;

private:
    QString writePath(const QString& fileName) const;

    AppPaths m_paths;
};

} // namespace yk
