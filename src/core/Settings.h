#pragma once

#include <array>
#include <optional>

#include <QString>
#include <QStringList>

#include "core/SettingsHost.h"

namespace yk {

// The program's settings, held in memory while it runs and kept in one
// line-numbered text file (System/viw.ini). Values are found by line number
// only; the few fixed words ("AprTlue", "DefoltSize", ...) are the file's own
// and are written and compared exactly as older copies of the program wrote
// them, so files move freely between versions.
class Settings
{
public:
    // windowPlaces: 14 fields of 10 digits, each a position in twips.
    static constexpr int kWinPosFields = 14;
    static constexpr int kFieldWidth = 10;
    static constexpr int kWinPosLength = kWinPosFields * kFieldWidth;
    // Save always writes this many lines; Load reads no further.
    static constexpr int kLineCount = 51;
    static constexpr int kBackSlots = 12;

    // Entries of registrations past the registered programs (0-9) and sounds (10-19).
    enum RegEntry {
        RegAprOn = 20,     // "1"/"0": run a program when a timer ends
        RegAprNumber = 21, // which program
        RegWavOn = 22,     // "1"/"0": play a sound when a timer ends
        RegWavNumber = 23, // which sound
        RegMsgBoxOn = 24,  // "1"/"0": show a message box
        RegExitWinOn = 25, // "1"/"0": end the session
        RegListSize = 26,
    };

    explicit Settings(QString filePath);

    QString filePath() const { return m_filePath; }

    // Starts the clock tick, creates a missing file (holding the main
    // window's place) and reads the file into memory, placing windows and
    // setting menu marks through the host. Lines the file lacks keep their
    // values. Returns false when the file could neither be read nor made.
    bool Load(SettingsHost& host);
    // Writes all 51 lines; the old file stays whole until the new one is
    // complete. Returns false when nothing was written.
    bool Save(SettingsHost& host);
    // The 51 lines Save would write, without touching the disk.
    QStringList toLines(SettingsHost& host);

    // Back to the state before any Load (used at shutdown).
    void clear();

    // "0000000000": ten digits; a negative number gets a leading '-'.
    static QString formatTwips(qint64 twips);

    // Field k (1..14) of windowPlaces as a number; 0 when it is absent or not a
    // number.
    qint64 winPosField(int k) const;
    // nullopt when field k is absent or not a number.
    std::optional<qint64> winPosNumber(int k) const;
    // Stores field k as ten digits, filling windowPlaces to its full length
    // first. windowPlaces has room for ten characters per field, so a negative
    // place is kept as 0 (where the next start would put the window anyway).
    void setWinPosField(int k, qint64 twips);
    // Fields 2w+1 and 2w+2 of a window as a place.
    TwipsPos winPos(WindowId w) const;
    void setWinPos(WindowId w, TwipsPos pos);

    const QString& backSlot(int k) const { return backgroundSlots.at(static_cast<size_t>(k)); }
    void setBackSlot(int k, const QString& path) { backgroundSlots.at(static_cast<size_t>(k)) = path; }

    // The settings as the program uses them (docs/names.md gives each
    // one's line in the file).
    QString windowPlaces;
    std::array<QString, kBackSlots + 1> backgroundSlots; // slots 1..12; [0] unused
    QString backgroundMode;
    bool alwaysOnTop = false;
    QString timerPreset;
    std::array<QString, RegListSize> registrations;
    QString movieSize;
    bool movieFullWindow = false;
    QString yearColour;
    QString monthColour;
    QString clockColour;
    QString sundayColour;
    QString weekdayColour;
    QString saturdayColour;
    QString lyricsFolder;
    QString movieTop;
    QString movieLeft;

private:
    void readLine1(const QString& line, SettingsHost& host);
    void readLine(int number, const QString& line, SettingsHost& host);

    QString m_filePath;
};

} // namespace yk
