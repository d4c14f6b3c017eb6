#include "core/Settings.h"

#include "platform/TextFile.h"

#include <csignal>
#include <map>
#include <sys/resource.h>

#include <iostream>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/TestUtil.h"

#include "support/FileSizeLimit.h"
#include "support/MemoryProbe.h"

using yk::RegistrationCheck;
using yk::Settings;
using yk::TwipsPos;
using yk::WindowId;

using yk::test::readBytes;
using yk::test::writeBytes;
using yk::test::writeFilledFile;

namespace {

// Records what the settings object asks of the windows.
class FakeHost : public yk::SettingsHost
{
public:
    void startClockTick() override { ++ticksStarted; }
    std::optional<TwipsPos> windowPosition(WindowId w) const override
    {
        auto it = positions.find(w);
        if (it == positions.end())
            return std::nullopt;
        return it->second;
    }
    void placeWindow(WindowId w, TwipsPos pos) override { placed.emplace_back(w, pos); }
    void setTopMost(bool on) override { topMost.push_back(on); }
    void setMovieFullChecked(bool on) override { movieFull.push_back(on); }
    bool hasRegistrationWindow() const override { return registration; }
    void setRegistrationCheck(RegistrationCheck c, bool on) override
    {
        checksSet.emplace_back(c, on);
        // A box the user cannot tick stays clear, whatever it was told.
        checks[c] = on && stuckOff.count(c) == 0;
    }
    bool registrationCheck(RegistrationCheck c) const override
    {
        auto it = checks.find(c);
        return it != checks.end() && it->second;
    }
    QString lyricsBoxText() const override { return lyricsBox; }

    std::map<WindowId, TwipsPos> positions;
    int ticksStarted = 0;
    std::vector<std::pair<WindowId, TwipsPos>> placed;
    std::vector<bool> topMost;
    std::vector<bool> movieFull;
    bool registration = false;
    std::map<RegistrationCheck, bool> checks;
    std::map<RegistrationCheck, bool> stuckOff;
    std::vector<std::pair<RegistrationCheck, bool>> checksSet;
    QString lyricsBox;
};



QByteArray crlf(const QStringList& lines)
{
    QByteArray out;
    for (const QString& l : lines)
        out += l.toUtf8() + "\r\n";
    return out;
}

// 51 lines in the layout of a file with everything at its defaults.
QStringList defaultLines(const QString& line1)
{
    QStringList l{line1};
    for (int i = 2; i <= 14; ++i)
        l << QStringLiteral(" ");
    l << QStringLiteral("TN") << QStringLiteral("Time A03");
    for (int i = 17; i <= 36; ++i)
        l << QString();
    l << QStringLiteral("AprFalse") << QStringLiteral("1") << QStringLiteral("WavFalse") << QStringLiteral("1")
      << QStringLiteral("MsgBoxFalse") << QStringLiteral("DefoltSize") << QStringLiteral("Movie Nomal Window")
      << QStringLiteral("Y_Color") << QStringLiteral("M_Color") << QStringLiteral("T_Color")
      << QStringLiteral("Sun_Color") << QStringLiteral("Day_Color") << QStringLiteral("Sat_Color")
      << QStringLiteral("ExitWinFalse") << QStringLiteral("Lyrics Null");
    return l;
}

QString zeros(int fields)
{
    return QString(fields * 10, u'0');
}


class SettingsFile : public ::testing::Test
{
protected:
    QString path() const { return dir.filePath(QStringLiteral("viw.ini")); }
    void writeFile(const QStringList& lines) { writeBytes(path(), crlf(lines)); }

    QTemporaryDir dir;
    FakeHost host;
};

} // namespace

TEST(SettingsHelpers, FormatsTwipsAndKeepsWinPosFieldsInPlace)
{
    EXPECT_EQ(Settings::formatTwips(0), QStringLiteral("0000000000"));
    EXPECT_EQ(Settings::formatTwips(1234), QStringLiteral("0000001234"));
    EXPECT_EQ(Settings::formatTwips(-1234), QStringLiteral("-0000001234"));
    EXPECT_EQ(Settings::formatTwips(123456789012), QStringLiteral("9999999999"));

    Settings s(QStringLiteral("/nonexistent/viw.ini"));
    EXPECT_EQ(s.winPosField(3), 0);
    EXPECT_FALSE(s.winPosNumber(3).has_value());
    s.setWinPosField(3, 4500);
    EXPECT_EQ(s.windowPlaces.size(), 140);
    EXPECT_EQ(s.windowPlaces.mid(20, 10), QStringLiteral("0000004500"));
    EXPECT_EQ(s.winPosField(3), 4500);
    s.setWinPos(WindowId::Memo, {-300, 777});
    EXPECT_EQ(s.winPos(WindowId::Memo), (TwipsPos{0, 777}));
    EXPECT_EQ(s.windowPlaces.size(), 140);
    s.setWinPosField(15, 1);
    s.setWinPosField(0, 1);
    EXPECT_EQ(s.windowPlaces.size(), 140);
    EXPECT_FALSE(s.winPosNumber(15).has_value());

    s.windowPlaces.replace(40, 10, QStringLiteral("12ab      "));
    EXPECT_EQ(s.winPosField(5), 0);
    EXPECT_FALSE(s.winPosNumber(5).has_value());

    s.backgroundSlots[3] = QStringLiteral("x");
    s.registrations[20] = QStringLiteral("1");
    s.alwaysOnTop = s.movieFullWindow = true;
    s.saturdayColour = s.lyricsFolder = s.movieTop = QStringLiteral("1");
    s.clear();
    EXPECT_TRUE(s.windowPlaces.isEmpty());
    EXPECT_TRUE(s.backSlot(3).isEmpty());
    EXPECT_TRUE(s.registrations[20].isEmpty());
    EXPECT_FALSE(s.alwaysOnTop || s.movieFullWindow);
    EXPECT_TRUE(s.saturdayColour.isEmpty() && s.lyricsFolder.isEmpty() && s.movieTop.isEmpty());
}

TEST_F(SettingsFile, MissingFileIsCreatedWithTheMainWindowPlaceThenSavedInFull)
{
    host.positions[WindowId::Main] = {150, 3000};
    Settings s(path());
    ASSERT_TRUE(s.Load(host));
    EXPECT_EQ(host.ticksStarted, 1);
    EXPECT_EQ(readBytes(path()), QByteArray("00000001500000003000\r\n"));
    // The record is read back at once, padded with zeros.
    EXPECT_EQ(s.windowPlaces, QStringLiteral("00000001500000003000") + zeros(12));
    EXPECT_EQ(s.movieTop, QStringLiteral("0"));
    EXPECT_EQ(s.movieLeft, QStringLiteral("0"));
    ASSERT_EQ(host.placed.size(), 6u);
    EXPECT_EQ(host.placed[0], std::make_pair(WindowId::Main, TwipsPos{150, 3000}));
    EXPECT_EQ(host.placed[5], std::make_pair(WindowId::Play, TwipsPos{0, 0}));
    // No line 15 or 43: nothing touched.
    EXPECT_TRUE(host.topMost.empty());
    EXPECT_TRUE(host.movieFull.empty());

    host.positions[WindowId::Main] = {-45, 60};
    host.positions[WindowId::Play] = {1200, 7000};
    ASSERT_TRUE(s.Save(host));
    const QString line1 = QStringLiteral("-00000000450000000060") + zeros(8) + QStringLiteral("00000012000000007000")
                          + zeros(2);
    EXPECT_EQ(readBytes(path()), crlf(defaultLines(line1)));
}

TEST_F(SettingsFile, NegativeFieldsReadAsZeroAndLaterFieldsKeepTheirPlace)
{
    // Fields 2 and 4 negative, the movie window's left negative as well.
    const QString line1 = QStringLiteral("0000000100-0000000200") + QStringLiteral("0000000300-0000000400")
                          + QStringLiteral("0000000500") + zeros(6) + QStringLiteral("0000001200")
                          + QStringLiteral("0000001300-0000001400");
    writeFile({line1});
    Settings s(path());
    ASSERT_TRUE(s.Load(host));
    EXPECT_EQ(s.windowPlaces.size(), 140);
    EXPECT_EQ(s.winPosField(1), 100);
    EXPECT_EQ(s.winPosField(2), 0);
    EXPECT_EQ(s.winPosField(3), 300);
    EXPECT_EQ(s.winPosField(4), 0);
    EXPECT_EQ(s.winPosField(5), 500);
    EXPECT_EQ(s.winPosField(12), 1200);
    EXPECT_EQ(s.movieTop, QStringLiteral("1300"));
    EXPECT_EQ(s.movieLeft, QStringLiteral("0"));
    ASSERT_EQ(host.placed.size(), 6u);
    EXPECT_EQ(host.placed[0].second, (TwipsPos{100, 0}));
    EXPECT_EQ(host.placed[1], std::make_pair(WindowId::Back, TwipsPos{300, 0}));
    EXPECT_EQ(host.placed[2], std::make_pair(WindowId::Launcher, TwipsPos{500, 0}));
    EXPECT_EQ(host.placed[5], std::make_pair(WindowId::Play, TwipsPos{0, 1200}));
}

TEST_F(SettingsFile, ShortOrDamagedFirstLine)
{
    // 120 characters: a record without the movie window.
    QString line1;
    for (int k = 1; k <= 12; ++k)
        line1 += Settings::formatTwips(k * 10);
    writeFile({line1});
    Settings s(path());
    ASSERT_TRUE(s.Load(host));
    EXPECT_EQ(s.windowPlaces, line1 + zeros(2));
    EXPECT_EQ(s.movieTop, QStringLiteral("0"));
    EXPECT_EQ(s.movieLeft, QStringLiteral("0"));
    EXPECT_EQ(host.placed[4], std::make_pair(WindowId::Registration, TwipsPos{90, 100}));

    // A field that is not a number reads as 0; a pair of blanks is skipped.
    host.placed.clear();
    writeFile({QStringLiteral("00000001x0abcdefghij") + QString(20, u' ') + QStringLiteral("0000000050")});
    ASSERT_TRUE(s.Load(host));
    EXPECT_EQ(s.winPosField(1), 0);
    EXPECT_EQ(s.winPosField(5), 50);
    ASSERT_EQ(host.placed.size(), 5u);
    EXPECT_EQ(host.placed[0], std::make_pair(WindowId::Main, TwipsPos{0, 0}));
    EXPECT_EQ(host.placed[1].first, WindowId::Launcher);
    // Save rewrites the damaged fields as numbers, so the layout holds.
    ASSERT_TRUE(s.Save(host));
    const QString saved = yk::textfile::readLines(path())->at(0);
    EXPECT_EQ(saved.size(), 140);
    EXPECT_EQ(saved.mid(20, 30), zeros(2) + QStringLiteral("0000000050"));
}

TEST_F(SettingsFile, LineRulesForModesWordsColoursAndLyrics)
{
    Settings s(path());
    s.clockColour = QStringLiteral("777");
    s.sundayColour = QStringLiteral("888");
    s.timerPreset = QStringLiteral("Time B01");
    QStringList l = defaultLines(zeros(14));
    l[13] = QStringLiteral(" ");                   // line 14
    l[14] = QStringLiteral("TY");                  // line 15
    l[15] = QStringLiteral(" ");                   // line 16
    l[16] = QStringLiteral(u"C:\\Tools\\a.exe");   // line 17
    l[36] = QStringLiteral("AprTlue");             // line 37
    l[37] = QString();                             // line 38
    l[38] = QStringLiteral("WavTrue");             // line 39: not the file's word
    l[39] = QStringLiteral("7");                   // line 40
    l[40] = QStringLiteral("MsgBoxTlue");          // line 41
    l[41] = QString();                             // line 42
    l[42] = QStringLiteral("Movie Full Window");   // line 43
    l[43] = QStringLiteral("Y_Color255");          // line 44
    l[44] = QStringLiteral("M_Color");             // line 45
    l[45] = QStringLiteral("T_Co");                // line 46: too short
    l[46] = QString();                             // line 47: empty
    l[47] = QStringLiteral("XXXXXXXXX16711680");   // line 48: prefix not checked
    l[49] = QStringLiteral("ExitWinTlue");         // line 50
    l[50] = QStringLiteral(u"Lyrics /home/u/歌詞"); // line 51
    writeFile(l);
    ASSERT_TRUE(s.Load(host));

    EXPECT_EQ(s.backgroundMode, QStringLiteral("1"));
    EXPECT_TRUE(s.alwaysOnTop);
    EXPECT_EQ(host.topMost, std::vector<bool>{true});
    EXPECT_EQ(s.timerPreset, QStringLiteral("Time B01"));
    EXPECT_EQ(s.registrations[0], QStringLiteral(u"C:\\Tools\\a.exe"));
    EXPECT_EQ(s.registrations[20], QStringLiteral("1"));
    EXPECT_EQ(s.registrations[21], QStringLiteral("1"));
    EXPECT_EQ(s.registrations[22], QStringLiteral("0"));
    EXPECT_EQ(s.registrations[23], QStringLiteral("7"));
    EXPECT_EQ(s.registrations[24], QStringLiteral("1"));
    EXPECT_EQ(s.registrations[25], QStringLiteral("1"));
    EXPECT_EQ(s.movieSize, QStringLiteral("DefoltSize"));
    EXPECT_TRUE(s.movieFullWindow);
    EXPECT_EQ(host.movieFull, std::vector<bool>{true});
    EXPECT_EQ(s.yearColour, QStringLiteral("255"));
    EXPECT_EQ(s.monthColour, QString());
    EXPECT_EQ(s.clockColour, QStringLiteral("777"));
    EXPECT_EQ(s.sundayColour, QStringLiteral("888"));
    EXPECT_EQ(s.weekdayColour, QStringLiteral("16711680"));
    EXPECT_EQ(s.lyricsFolder, QStringLiteral(u"/home/u/歌詞"));

    // Second pass: "Lyrics Null" and an unknown top-most word change nothing;
    // "TN" and "Movie Nomal Window" clear.
    l[14] = QStringLiteral("T?");
    l[50] = QStringLiteral("Lyrics Null");
    l[42] = QStringLiteral("Movie Nomal Window");
    l[13] = QStringLiteral("M");
    writeFile(l);
    ASSERT_TRUE(s.Load(host));
    EXPECT_TRUE(s.alwaysOnTop);
    EXPECT_EQ(host.topMost, std::vector<bool>{true});
    EXPECT_EQ(s.lyricsFolder, QStringLiteral(u"/home/u/歌詞"));
    EXPECT_FALSE(s.movieFullWindow);
    EXPECT_EQ(s.backgroundMode, QStringLiteral("M"));
    l[14] = QStringLiteral("TN");
    writeFile(l);
    ASSERT_TRUE(s.Load(host));
    EXPECT_FALSE(s.alwaysOnTop);
    EXPECT_EQ(host.topMost, (std::vector<bool>{true, false}));
}

TEST_F(SettingsFile, BackgroundSlotsTakeOnlyPicturesThatExist)
{
    const QString picture = dir.filePath(QStringLiteral(u"背景.jpg"));
    const QString hidden = dir.filePath(QStringLiteral(".hidden.jpg"));
    writeBytes(picture, "jpg");
    writeBytes(hidden, "jpg");
    Settings s(path());
    s.backgroundSlots[3] = QStringLiteral("/old/kept.jpg");
    QStringList l = defaultLines(zeros(14));
    l[1] = picture;                                 // slot 1
    l[2] = dir.filePath(QStringLiteral("gone.jpg")); // slot 2: missing
    l[3] = QString();                               // slot 3: empty keeps
    l[12] = hidden;                                 // slot 12
    writeFile(l);
    ASSERT_TRUE(s.Load(host));
    EXPECT_EQ(s.backSlot(1), picture);
    EXPECT_EQ(s.backSlot(2), QString());
    EXPECT_EQ(s.backSlot(3), QStringLiteral("/old/kept.jpg"));
    EXPECT_EQ(s.backSlot(12), hidden);
}

TEST_F(SettingsFile, ShortFilesKeepValuesAndLinesPastTheLastAreIgnored)
{
    Settings s(path());
    s.registrations[5] = QStringLiteral("keep5");
    s.saturdayColour = QStringLiteral("123");
    s.lyricsFolder = QStringLiteral("/lyrics");
    writeFile({zeros(14), QStringLiteral(" "), QStringLiteral(" ")});
    ASSERT_TRUE(s.Load(host));
    EXPECT_EQ(s.registrations[5], QStringLiteral("keep5"));
    EXPECT_EQ(s.saturdayColour, QStringLiteral("123"));
    EXPECT_EQ(s.lyricsFolder, QStringLiteral("/lyrics"));
    EXPECT_TRUE(s.backgroundMode.isEmpty());

    QStringList l = defaultLines(zeros(14));
    l[50] = QStringLiteral("Lyrics /new");
    l << QStringLiteral("Lyrics /past-the-end") << QStringLiteral("Y_Color1") << QStringLiteral("TY");
    writeFile(l);
    ASSERT_TRUE(s.Load(host));
    EXPECT_EQ(s.lyricsFolder, QStringLiteral("/new"));
    EXPECT_EQ(s.yearColour, QString());
    ASSERT_TRUE(s.Save(host));
    EXPECT_EQ(yk::textfile::readLines(path())->size(), 51);
}

TEST_F(SettingsFile, SaveThenLoadRoundTripsEveryValue)
{
    const QString picture = dir.filePath(QStringLiteral("b.png"));
    writeBytes(picture, "png");
    Settings a(path());
    a.windowPlaces = zeros(14);
    for (int k = 3; k <= 10; ++k)
        a.setWinPosField(k, k * 111);
    a.setBackSlot(7, picture);
    a.backgroundMode = QStringLiteral("L07");
    a.alwaysOnTop = true;
    a.timerPreset = QStringLiteral("Time C12");
    for (int e = 0; e < 20; ++e)
        a.registrations[static_cast<size_t>(e)] = e % 3 ? QStringLiteral(u"C:\\音\\%1.wav").arg(e) : QString();
    a.registrations[20] = QStringLiteral("1");
    a.registrations[21] = QStringLiteral("4");
    a.registrations[22] = QStringLiteral("0");
    a.registrations[23] = QStringLiteral("9");
    a.registrations[24] = QStringLiteral("1");
    a.registrations[25] = QStringLiteral("0");
    a.movieSize = QStringLiteral("x2");
    a.movieFullWindow = true;
    a.yearColour = QStringLiteral("255");
    a.monthColour = QStringLiteral("65280");
    a.clockColour = QStringLiteral("0");
    a.sundayColour = QStringLiteral("255");
    a.weekdayColour = QString();
    a.saturdayColour = QStringLiteral("16711680");
    a.lyricsFolder = QStringLiteral(u"/歌詞");
    a.movieTop = QStringLiteral("1500");
    a.movieLeft = QStringLiteral("-20");
    host.positions[WindowId::Main] = {1, 2};
    host.positions[WindowId::Play] = {11, 12};
    ASSERT_TRUE(a.Save(host));
    // Without a registration window the folder in memory is written and kept.
    EXPECT_EQ(a.lyricsFolder, QStringLiteral(u"/歌詞"));
    const QByteArray first = readBytes(path());
    EXPECT_TRUE(first.endsWith(QStringLiteral(u"Lyrics /歌詞\r\n").toUtf8()));

    Settings b(path());
    FakeHost other;
    ASSERT_TRUE(b.Load(other));
    EXPECT_EQ(b.winPos(WindowId::Main), (TwipsPos{1, 2}));
    EXPECT_EQ(b.winPos(WindowId::Play), (TwipsPos{11, 12}));
    for (int k = 3; k <= 10; ++k)
        EXPECT_EQ(b.winPosField(k), k * 111);
    EXPECT_EQ(b.backSlot(7), picture);
    EXPECT_EQ(b.backgroundMode, a.backgroundMode);
    EXPECT_TRUE(b.alwaysOnTop);
    EXPECT_EQ(b.timerPreset, a.timerPreset);
    EXPECT_EQ(b.registrations, a.registrations);
    EXPECT_EQ(b.movieSize, a.movieSize);
    EXPECT_TRUE(b.movieFullWindow);
    EXPECT_EQ(b.monthColour, a.monthColour);
    EXPECT_EQ(b.weekdayColour, QString());
    EXPECT_EQ(b.saturdayColour, a.saturdayColour);
    EXPECT_EQ(b.lyricsFolder, a.lyricsFolder);
    EXPECT_EQ(b.movieTop, QStringLiteral("1500"));
    EXPECT_EQ(b.movieLeft, QStringLiteral("0")); // stored negative, read back on screen

    // Saving what was loaded changes nothing but the movie window's left.
    ASSERT_TRUE(b.Save(other));
    QByteArray expected = first;
    expected.replace("0000001500-0000000020", "00000015000000000000");
    EXPECT_EQ(readBytes(path()), expected);
}

TEST_F(SettingsFile, ReadsAShiftJisFileWrittenOnWindows)
{
    const QString picture = dir.filePath(QStringLiteral(u"壁紙①.jpg"));
    writeBytes(picture, "jpg");
    QStringList l = defaultLines(zeros(14));
    l[1] = picture;
    l[16] = QStringLiteral(u"C:\\Program Files\\ﾒﾓ帳\\髙橋.exe");
    l[26] = QStringLiteral(u"C:\\音\\㈱チャイム.wav");
    l[50] = QStringLiteral(u"Lyrics C:\\歌詞");
    QByteArray bytes;
    for (const QString& line : l)
        bytes += yk::cp932::encode(line) + "\r\n";
    writeBytes(path(), bytes);

    Settings s(path());
    ASSERT_TRUE(s.Load(host));
    EXPECT_EQ(s.backSlot(1), picture);
    EXPECT_EQ(s.registrations[0], l[16]);
    EXPECT_EQ(s.registrations[10], l[26]);
    EXPECT_EQ(s.lyricsFolder, QStringLiteral(u"C:\\歌詞"));
    // Written back as UTF-8, and read the same way.
    ASSERT_TRUE(s.Save(host));
    EXPECT_TRUE(readBytes(path()).contains(QStringLiteral(u"髙橋.exe").toUtf8()));
    Settings again(path());
    ASSERT_TRUE(again.Load(host));
    EXPECT_EQ(again.registrations, s.registrations);
}

TEST_F(SettingsFile, RegistrationWindowBoxesAndLyricsFolderAreUsedWhenPresent)
{
    Settings s(path());
    s.registrations[20] = QStringLiteral("1");
    s.registrations[22] = QStringLiteral("1");
    s.registrations[24] = QStringLiteral("0");
    s.registrations[25] = QStringLiteral("1");
    s.lyricsFolder = QStringLiteral("/old");
    host.registration = true;
    host.stuckOff[RegistrationCheck::ExitWin] = true;
    host.lyricsBox = QStringLiteral("/from/box");
    ASSERT_TRUE(s.Save(host));
    EXPECT_EQ(host.checksSet,
              (std::vector<std::pair<RegistrationCheck, bool>>{{RegistrationCheck::Apr, true},
                                                               {RegistrationCheck::Audio, true},
                                                               {RegistrationCheck::TimeOff, false},
                                                               {RegistrationCheck::ExitWin, true}}));
    const QStringList lines = *yk::textfile::readLines(path());
    ASSERT_EQ(lines.size(), 51);
    EXPECT_EQ(lines[36], QStringLiteral("AprTlue"));
    EXPECT_EQ(lines[38], QStringLiteral("WavTlue"));
    EXPECT_EQ(lines[40], QStringLiteral("MsgBoxFalse"));
    EXPECT_EQ(lines[49], QStringLiteral("ExitWinFalse")); // what the box shows wins
    EXPECT_EQ(lines[50], QStringLiteral("Lyrics /from/box"));
    EXPECT_EQ(s.lyricsFolder, QStringLiteral("/from/box"));

    // An empty box leaves the folder in memory to be written.
    host.lyricsBox.clear();
    ASSERT_TRUE(s.Save(host));
    EXPECT_EQ(yk::textfile::readLines(path())->at(50), QStringLiteral("Lyrics /from/box"));
    ASSERT_TRUE(s.Save(host));
    EXPECT_EQ(yk::textfile::readLines(path())->at(50), QStringLiteral("Lyrics /from/box"));
}

TEST_F(SettingsFile, ValuesWithLineBreaksCannotShiftLaterLines)
{
    Settings s(path());
    s.registrations[3] = QStringLiteral("a\r\nb");
    s.timerPreset = QStringLiteral("Time\nA01");
    ASSERT_TRUE(s.Save(host));
    const QStringList lines = *yk::textfile::readLines(path());
    ASSERT_EQ(lines.size(), 51);
    EXPECT_EQ(lines[15], QStringLiteral("TimeA01"));
    EXPECT_EQ(lines[19], QStringLiteral("ab"));
    EXPECT_EQ(lines[50], QStringLiteral("Lyrics Null"));
}

TEST_F(SettingsFile, AFailedSaveLeavesTheOldFileWhole)
{
    Settings s(path());
    writeFile(defaultLines(zeros(14)));
    const QByteArray old = readBytes(path());
    s.registrations[0] = QString(8000, u'x'); // the new file is larger than the limit
    {
        yk::test::FileSizeLimit limit(old.size() + 100);
        EXPECT_FALSE(s.Save(host));
    }
    EXPECT_EQ(readBytes(path()).size(), old.size());
    EXPECT_EQ(readBytes(path()), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("viw.ini")});

    // A settings folder that is really a file: nothing is written, and Load
    // reports that it could neither read nor create the settings.
    const QString notAFolder = dir.filePath(QStringLiteral("System"));
    writeBytes(notAFolder, "file");
    Settings broken(notAFolder + QStringLiteral("/viw.ini"));
    EXPECT_FALSE(broken.Save(host));
    EXPECT_FALSE(broken.Load(host));
    EXPECT_EQ(readBytes(notAFolder), QByteArray("file"));
}

TEST_F(SettingsFile, AHugeFileOfBareLineEndsIsReadOnlyAsFarAsItsLinesGo)
{
    // A damaged file: the first lines hold values, then 50 MiB of bare line
    // ends. Only 51 lines can mean anything, so only those may cost anything.
    QStringList head = defaultLines(QStringLiteral("0000000150") + QStringLiteral("0000003000"));
    head[15] = QStringLiteral("Time B0130");
    head.resize(20);
    writeFilledFile(path(), crlf(head), '\n', 50 << 20);

    Settings s(path());
    bool loaded = false;
    const yk::test::Cost cost = yk::test::measure([&] { loaded = s.Load(host); });
    ASSERT_TRUE(loaded);
    EXPECT_EQ(s.timerPreset, QStringLiteral("Time B0130"));
    EXPECT_EQ(s.winPos(WindowId::Main), (TwipsPos{150, 3000}));
    // Lines 21-51 of the file are empty: they read as such, no further.
    EXPECT_EQ(s.registrations[Settings::RegAprOn], QStringLiteral("0"));
    EXPECT_EQ(s.registrations[Settings::RegAprNumber], QStringLiteral("1"));
    EXPECT_EQ(s.movieSize, QStringLiteral("DefoltSize"));
    EXPECT_LT(cost.peakGrowth, 8 << 20) << "peak memory grew by " << cost.peakGrowth << " bytes";
    EXPECT_LT(cost.ms, 200);
    std::cout << "[ measure  ] 50 MiB settings file: peak +" << cost.peakGrowth / 1024 << " KiB, "
              << cost.ms << " ms\n";
}

TEST_F(SettingsFile, ALineTooLongForAnyPathEndsTheReadingThere)
{
    QStringList lines = defaultLines(zeros(14));
    lines[15] = QStringLiteral("Time B0130");
    lines[16] = QStringLiteral("/usr/bin/") + QString(4096, u'p'); // as long as a path can be
    lines[17] = QString(10000, u'x');                             // damage
    lines[18] = QStringLiteral("/usr/bin/later");
    lines[50] = QStringLiteral("Lyrics /music");
    writeFile(lines);
    Settings s(path());
    ASSERT_TRUE(s.Load(host));
    EXPECT_EQ(s.timerPreset, QStringLiteral("Time B0130"));
    EXPECT_EQ(s.registrations[0], lines[16]);
    EXPECT_TRUE(s.registrations[1].isEmpty());
    EXPECT_TRUE(s.registrations[2].isEmpty());
    EXPECT_TRUE(s.lyricsFolder.isEmpty());
}
