#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "core/Settings.h"
#include "support/TestUtil.h"
#include "timers/TimerForm.h"

using namespace yk;
using Box = TimerForm::Box;
using Group = TimerForm::Group;
using Half = TimerForm::Half;
using List = TimerForm::List;
using Quick = TimerForm::Quick;

namespace {

const QString kNone = QStringLiteral("未登録");

struct FormTest : ::testing::Test
{
    QTemporaryDir dir;
    Settings settings{dir.filePath(QStringLiteral("System/viw.ini"))};
    TimerForm form{settings};

    QString file(const QString& name)
    {
        const QString path = dir.filePath(name);
        yk::test::writeBytes(path, "x");
        return path;
    }
};

struct Rule
{
    Box box;
    const char16_t* typed;
    const char16_t* text;
    bool reset;
    Half half; // after the edit, from Half::None
};

} // namespace

TEST_F(FormTest, TimeBoxesKeepOnlyTimesTheirGroupCanHold)
{
    const Rule rules[] = {
        {Box::H, u"23", u"23", false, Half::None},  {Box::H, u"24", u"00", true, Half::None},
        {Box::H, u"x", u"00", true, Half::None},    {Box::H, u"", u"00", true, Half::None},
        {Box::H, u"-1", u"00", true, Half::None},   {Box::H, u"１２", u"12", false, Half::None},
        {Box::M, u"59", u"59", false, Half::None},  {Box::M, u"60", u"00", true, Half::None},
        {Box::M2, u"60", u"00", true, Half::None},  {Box::M2, u"7", u"7", false, Half::None},
        {Box::H2, u"15", u"3", false, Half::PM},    {Box::H2, u"13", u"1", false, Half::PM},
        {Box::H2, u"12", u"12", false, Half::None}, {Box::H2, u"24", u"00", true, Half::None},
        {Box::H2, u"", u"00", true, Half::None},    {Box::H2, u"a", u"00", true, Half::None},
    };
    for (const Rule& r : rules) {
        TimerForm f(settings);
        const QString typed = QString::fromUtf16(r.typed);
        EXPECT_EQ(f.editBox(r.box, typed), r.reset) << qPrintable(typed);
        EXPECT_EQ(f.boxText(r.box), QString::fromUtf16(r.text)) << qPrintable(typed);
        EXPECT_EQ(f.half(), r.half) << qPrintable(typed);
        // Typing into a box wakes its group.
        EXPECT_EQ(f.group(), TimerForm::groupOf(r.box));
    }
}

TEST_F(FormTest, EnterMovesOnOnlyFromATimeTheClockCanReach)
{
    form.editBox(Box::H2, QStringLiteral("12"));
    EXPECT_FALSE(form.enterInBox(Box::H2));
    EXPECT_EQ(form.boxText(Box::H2), QStringLiteral("00"));
    form.editBox(Box::H2, QStringLiteral("11"));
    EXPECT_TRUE(form.enterInBox(Box::H2));
    EXPECT_EQ(form.boxText(Box::H2), QStringLiteral("11"));
    form.editBox(Box::H, QStringLiteral("23"));
    EXPECT_TRUE(form.enterInBox(Box::H));
    form.editBox(Box::M, QStringLiteral("59"));
    EXPECT_TRUE(form.enterInBox(Box::M));
    form.editBox(Box::M2, QStringLiteral("0"));
    EXPECT_TRUE(form.enterInBox(Box::M2));
}

TEST_F(FormTest, EachPresetComesBackAsItWasWithItsCaption)
{
    const std::pair<const char*, const char16_t*> cases[] = {
        {"Time A03", u"3分後にセットします♪"},       {"Time A05", u"5分後にセットします♪"},
        {"Time A10", u"10分後にセットします♪"},      {"Time B0130", u"1時間30分後にセットします♪"},
        {"Time B0005", u"5分後にセットします♪"},     {"Time B2300", u"23時間0分後にセットします♪"},
        {"Time CA0915", u"AM9時15分にセットします♪"}, {"Time CP1200", u"PM12時0分にセットします♪"},
    };
    for (const auto& [preset, caption] : cases) {
        form.loadPreset(QString::fromLatin1(preset));
        EXPECT_EQ(form.presetText(), QString::fromLatin1(preset));
        EXPECT_EQ(form.setCaption(), QString::fromUtf16(caption)) << preset;
    }
    form.loadPreset(QStringLiteral("Time B0130"));
    EXPECT_EQ(form.group(), Group::B);
    EXPECT_EQ(form.boxText(Box::H), QStringLiteral("01"));
    EXPECT_EQ(form.boxText(Box::M), QStringLiteral("30"));
    form.loadPreset(QStringLiteral("Time CP0905"));
    EXPECT_EQ(form.group(), Group::C);
    EXPECT_EQ(form.half(), Half::PM);
    EXPECT_EQ(form.boxText(Box::H2), QStringLiteral("09"));
    // Nothing usable: group A with no choice, and the unset caption.
    form.loadPreset(QStringLiteral("Time X"));
    EXPECT_EQ(form.group(), Group::A);
    EXPECT_EQ(form.quick(), Quick::None);
    EXPECT_EQ(form.setCaption(), TimerForm::kUnsetCaption);
}

TEST_F(FormTest, StoreWritesThePresetOfTheActiveGroupOnly)
{
    settings.timerPreset = QStringLiteral("Time A05");
    form.load();
    form.editBox(Box::H, QStringLiteral("2"));
    form.editBox(Box::M, QStringLiteral("5"));
    EXPECT_EQ(form.setCaption(), QStringLiteral("2時間5分後にセットします♪"));
    // Nothing is kept before the set button.
    EXPECT_EQ(settings.timerPreset, QStringLiteral("Time A05"));
    form.store();
    EXPECT_EQ(settings.timerPreset, QStringLiteral("Time B0205"));

    // The quick option kept its choice while B was active and wins again.
    form.activate(Group::A);
    form.store();
    EXPECT_EQ(settings.timerPreset, QStringLiteral("Time A05"));
    form.chooseQuick(Quick::M10);
    form.store();
    EXPECT_EQ(settings.timerPreset, QStringLiteral("Time A10"));

    form.editBox(Box::H2, QStringLiteral("7"));
    form.editBox(Box::M2, QStringLiteral("30"));
    EXPECT_EQ(form.presetText(), QString()) << "neither AM nor PM chosen";
    form.chooseHalf(Half::AM);
    form.store();
    EXPECT_EQ(settings.timerPreset, QStringLiteral("Time CA0730"));
    form.editBox(Box::H2, QStringLiteral("19"));
    form.store();
    EXPECT_EQ(settings.timerPreset, QStringLiteral("Time CP0730"));
}

TEST_F(FormTest, StoringGroupAWithoutAChoiceEmptiesThePreset)
{
    settings.timerPreset = QStringLiteral("Time B0130");
    form.load();
    form.activate(Group::A);
    form.store();
    EXPECT_TRUE(settings.timerPreset.isEmpty());
}

TEST_F(FormTest, ListsShowTenSlotsAndTheChosenOne)
{
    const QString tool = file(QStringLiteral("tool.exe"));
    const QString bell = file(QStringLiteral("bell.wav"));
    settings.registrations[2] = tool;
    settings.registrations[5] = dir.filePath(QStringLiteral("gone.exe"));
    settings.registrations[Settings::RegAprNumber] = QStringLiteral("3");
    settings.registrations[13] = bell;
    form.load();

    const QStringList programs = form.rows(List::Programs);
    ASSERT_EQ(programs.size(), 10);
    EXPECT_EQ(programs.at(2), tool);
    EXPECT_EQ(programs.at(5), dir.filePath(QStringLiteral("gone.exe")));
    EXPECT_EQ(programs.count(kNone), 8);
    EXPECT_EQ(form.numberText(List::Programs), QStringLiteral("3"));
    EXPECT_EQ(form.listText(List::Programs), tool);
    EXPECT_EQ(form.nameText(List::Programs), QStringLiteral("tool.exe"));

    // No sound number yet: slot 1, nothing shown.
    EXPECT_EQ(form.rows(List::Sounds).at(3), bell);
    EXPECT_EQ(form.numberText(List::Sounds), QStringLiteral("1"));
    EXPECT_EQ(form.listText(List::Sounds), kNone);
    EXPECT_EQ(form.nameText(List::Sounds), kNone);

    // A chosen row becomes the number of its own list only.
    form.chooseRow(List::Sounds, 3);
    EXPECT_EQ(settings.registrations[Settings::RegWavNumber], QStringLiteral("4"));
    EXPECT_EQ(settings.registrations[Settings::RegAprNumber], QStringLiteral("3"));
    EXPECT_EQ(form.nameText(List::Sounds), QStringLiteral("bell.wav"));
    // A slot whose file went shows its path but no name.
    form.chooseRow(List::Programs, 5);
    EXPECT_EQ(settings.registrations[Settings::RegAprNumber], QStringLiteral("6"));
    EXPECT_EQ(form.nameText(List::Programs), kNone);
}

TEST_F(FormTest, TypedPathsAreRegisteredOnlyWhenTheFileFits)
{
    const QString tool = file(QStringLiteral("TOOL.EXE"));
    const QString song = file(QStringLiteral("song.mp3"));
    form.load();
    form.chooseRow(List::Programs, 1);
    form.enterPath(List::Programs, song);
    EXPECT_TRUE(settings.registrations[1].isEmpty());
    EXPECT_EQ(form.rows(List::Programs).at(1), song) << "the row shows what was typed";
    EXPECT_EQ(form.nameText(List::Programs), kNone);
    form.enterPath(List::Programs, tool);
    EXPECT_EQ(settings.registrations[1], tool);
    EXPECT_EQ(form.nameText(List::Programs), QStringLiteral("TOOL.EXE"));

    form.chooseRow(List::Sounds, 6);
    form.enterPath(List::Sounds, song);
    EXPECT_EQ(settings.registrations[16], song);
    EXPECT_TRUE(settings.registrations[6].isEmpty());
    form.enterPath(List::Sounds, dir.filePath(QStringLiteral("missing.wav")));
    EXPECT_EQ(settings.registrations[16], song);
    EXPECT_EQ(form.nameText(List::Sounds), kNone);
}

TEST_F(FormTest, DeletingASlotFreesItAndKeepsItsNumber)
{
    const QString song = file(QStringLiteral("song.mp3"));
    settings.registrations[17] = song;
    settings.registrations[Settings::RegWavNumber] = QStringLiteral("8");
    settings.registrations[7] = file(QStringLiteral("keep.exe"));
    form.load();
    EXPECT_EQ(form.nameText(List::Sounds), QStringLiteral("song.mp3"));
    form.deleteSlot(List::Sounds);
    EXPECT_TRUE(settings.registrations[17].isEmpty());
    EXPECT_FALSE(settings.registrations[7].isEmpty()) << "program slot 8 is another list";
    EXPECT_EQ(settings.registrations[Settings::RegWavNumber], QStringLiteral("8"));
    EXPECT_EQ(form.rows(List::Sounds).at(7), kNone);
    EXPECT_EQ(form.listText(List::Sounds), kNone);
    EXPECT_TRUE(form.nameText(List::Sounds).isEmpty());
}

TEST_F(FormTest, PickerEntriesLandInTheirListsSlot)
{
    form.load();
    form.setEntry(List::Sounds, 4, QStringLiteral("/s/a.wav"));
    form.setEntry(List::Programs, 10, QStringLiteral("/p/b.exe"));
    form.setEntry(List::Programs, 11, QStringLiteral("/p/c.exe"));
    EXPECT_EQ(settings.registrations[13], QStringLiteral("/s/a.wav"));
    EXPECT_EQ(settings.registrations[9], QStringLiteral("/p/b.exe"));
    EXPECT_EQ(form.rows(List::Sounds).at(3), QStringLiteral("/s/a.wav"));
    EXPECT_EQ(form.rows(List::Programs).at(9), QStringLiteral("/p/b.exe"));
    for (int e = 0; e < 20; ++e) {
        if (e != 13 && e != 9) {
            EXPECT_TRUE(settings.registrations[static_cast<size_t>(e)].isEmpty()) << e;
        }
    }
}

TEST_F(FormTest, EachOptionHasItsOwnEntry)
{
    const std::pair<RegistrationCheck, int> options[] = {
        {RegistrationCheck::Apr, 20},
        {RegistrationCheck::Audio, 22},
        {RegistrationCheck::TimeOff, 24},
        {RegistrationCheck::ExitWin, 25},
    };
    for (const auto& [check, entry] : options) {
        form.setChecked(check, true);
        for (const auto& [other, otherEntry] : options) {
            EXPECT_EQ(settings.registrations[static_cast<size_t>(otherEntry)] == u"1", otherEntry == entry);
            EXPECT_EQ(form.isChecked(other), other == check);
        }
        form.setChecked(check, false);
        EXPECT_EQ(settings.registrations[static_cast<size_t>(entry)], QStringLiteral("0"));
    }
}
