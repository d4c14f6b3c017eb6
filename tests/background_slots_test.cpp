#include "skin/BackgroundSlots.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace yk;
using Picture = BackgroundChange::Picture;

namespace {

class BackgroundSlotsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("System"));
        QDir(m_dir.path()).mkpath(QStringLiteral("img"));
    }

    AppPaths paths() const { return AppPaths(m_dir.path()); }

    QString makeFile(const QString& relative)
    {
        const QString path = paths().file(relative);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
        return path;
    }
    QString makeFallback() { return makeFile(QStringLiteral("System/Back.jpg")); }

    // Slots 1..12 registered with existing pictures, except those listed.
    BackSlotList filledSlots(std::initializer_list<int> empty = {})
    {
        BackSlotList slots;
        for (int n = 1; n <= 12; ++n)
            slots[size_t(n - 1)] = makeFile(QStringLiteral("img/%1.jpg").arg(n));
        for (int n : empty)
            slots[size_t(n - 1)].clear();
        return slots;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(BackgroundSlotsTest, MenuSlotShowsItOrFallsBackOrClearsAndAlwaysSetsTheMode)
{
    const BackgroundSlots rules(paths());
    BackSlotList slots = filledSlots({5});

    const BackgroundChange shown = rules.slotChange(slots, 3);
    EXPECT_EQ(shown.picture, Picture::Show);
    EXPECT_EQ(shown.path, slots[2]);
    EXPECT_EQ(shown.mode, QStringLiteral("3"));
    EXPECT_TRUE(shown.drawFrame);

    // Empty slot 5, no Back.jpg: no background at all, but mode "5".
    const BackgroundChange bare = rules.slotChange(slots, 5);
    EXPECT_EQ(bare.picture, Picture::Clear);
    EXPECT_EQ(bare.mode, QStringLiteral("5"));
    EXPECT_TRUE(bare.drawFrame);

    const QString fallback = makeFallback();
    const BackgroundChange fell = rules.slotChange(slots, 5);
    EXPECT_EQ(fell.picture, Picture::Show);
    EXPECT_EQ(fell.path, fallback);

    // A registered picture that has since been deleted leaves the screen alone.
    ASSERT_TRUE(QFile::remove(slots[6]));
    const BackgroundChange gone = rules.slotChange(slots, 7);
    EXPECT_EQ(gone.picture, Picture::Keep);
    EXPECT_EQ(gone.mode, QStringLiteral("7"));
}

TEST_F(BackgroundSlotsTest, MonthlyRefreshFollowsTheShownMonth)
{
    const BackgroundSlots rules(paths());
    const BackSlotList slots = filledSlots({2});

    for (int month : {1, 7, 12}) {
        const BackgroundChange c = rules.monthlyRefresh(slots, month);
        EXPECT_EQ(c.picture, Picture::Show);
        EXPECT_EQ(c.path, slots[size_t(month - 1)]);
        EXPECT_EQ(c.mode, QStringLiteral("M"));
        EXPECT_TRUE(c.drawFrame);
    }
    // Empty month slot: Back.jpg, else the picture stays (never cleared).
    EXPECT_EQ(rules.monthlyRefresh(slots, 2).picture, Picture::Keep);
    const QString fallback = makeFallback();
    EXPECT_EQ(rules.monthlyRefresh(slots, 2).path, fallback);
}

TEST_F(BackgroundSlotsTest, RandomAndInTurnMenuItemsOnlyRewriteTheMode)
{
    EXPECT_EQ(BackgroundSlots::randomMode(QStringLiteral("4")), QStringLiteral("R"));
    EXPECT_EQ(BackgroundSlots::randomMode(QStringLiteral("L03")), QStringLiteral("R"));

    EXPECT_EQ(BackgroundSlots::inTurnMode(QStringLiteral("M")), QStringLiteral("L01"));
    EXPECT_EQ(BackgroundSlots::inTurnMode(QStringLiteral("R")), QStringLiteral("L01"));
    EXPECT_EQ(BackgroundSlots::inTurnMode(QStringLiteral("5")), QStringLiteral("L05"));
    EXPECT_EQ(BackgroundSlots::inTurnMode(QStringLiteral("12")), QStringLiteral("L12"));
    EXPECT_EQ(BackgroundSlots::inTurnMode(QStringLiteral("L07")), QStringLiteral("L07"));
    // Nothing usable to start from: the round starts at slot 1.
    EXPECT_EQ(BackgroundSlots::inTurnMode(QString()), QStringLiteral("L01"));
    EXPECT_EQ(BackgroundSlots::inTurnMode(QStringLiteral("x")), QStringLiteral("L01"));
    EXPECT_EQ(BackgroundSlots::inTurnMode(QStringLiteral("L99")), QStringLiteral("L01"));
}

TEST_F(BackgroundSlotsTest, MenuChecksFollowTheMode)
{
    const BackgroundSlots rules(paths());
    const BackSlotList slots = filledSlots();
    for (int n = 1; n <= 12; ++n) {
        const BackgroundChange c = rules.modeChange(slots, QString::number(n), true);
        EXPECT_EQ(c.check, backMenuItemForSlot(n));
        EXPECT_EQ(c.picture, Picture::Keep);
        EXPECT_EQ(c.mode, QString::number(n));
    }
    EXPECT_EQ(backMenuItemForSlot(12), BackMenuItem::No12);
    const BackSlotList built = backSlotList([](int k) { return QString::number(k); });
    EXPECT_EQ(built[0], QStringLiteral("1"));
    EXPECT_EQ(built[11], QStringLiteral("12"));
    EXPECT_EQ(rules.modeChange(slots, QStringLiteral("M"), true).check, BackMenuItem::Mon);
    EXPECT_EQ(rules.modeChange(slots, QStringLiteral("R"), true).check, BackMenuItem::Ran);
    EXPECT_EQ(rules.modeChange(slots, QStringLiteral("L04"), false).check, BackMenuItem::Loop);
    for (const char* other : {"", "13", "0", "X", "01"}) {
        const BackgroundChange c = rules.modeChange(slots, QString::fromLatin1(other), true);
        EXPECT_EQ(c.check, BackMenuItem::None) << other;
        EXPECT_EQ(c.picture, Picture::Keep) << other;
        EXPECT_EQ(c.mode, QString::fromLatin1(other)) << other;
    }
}

TEST_F(BackgroundSlotsTest, InTurnAdvancesOncePerRunAndWrapsAfterTwelve)
{
    const BackgroundSlots rules(paths());
    const BackSlotList slots = filledSlots();

    const BackgroundChange first = rules.modeChange(slots, QStringLiteral("L04"), true);
    EXPECT_EQ(first.mode, QStringLiteral("L05"));
    EXPECT_EQ(first.picture, Picture::Show);
    EXPECT_EQ(first.path, slots[4]);
    EXPECT_TRUE(first.drawFrame);

    // Later draws of the same run keep the slot.
    const BackgroundChange later = rules.modeChange(slots, first.mode, false);
    EXPECT_EQ(later.mode, QStringLiteral("L05"));
    EXPECT_EQ(later.path, slots[4]);

    // Slot 12 this run: next start shows slot 1 and stores "L01".
    const BackgroundChange wrapped = rules.modeChange(slots, QStringLiteral("L12"), true);
    EXPECT_EQ(wrapped.mode, QStringLiteral("L01"));
    EXPECT_EQ(wrapped.path, slots[0]);
    const BackgroundChange start = rules.startup(slots, wrapped.mode, 6);
    EXPECT_EQ(start.path, slots[0]);
    EXPECT_EQ(start.mode, QStringLiteral("L01"));
}

TEST_F(BackgroundSlotsTest, InTurnOnAnEmptySlotClearsUnlessBackJpgExists)
{
    const BackgroundSlots rules(paths());
    const BackSlotList slots = filledSlots({3});

    const BackgroundChange cleared = rules.modeChange(slots, QStringLiteral("L02"), true);
    EXPECT_EQ(cleared.mode, QStringLiteral("L03"));
    EXPECT_EQ(cleared.picture, Picture::Clear);
    EXPECT_EQ(cleared.check, BackMenuItem::Loop);
    EXPECT_EQ(rules.startup(slots, cleared.mode, 1).picture, Picture::Clear);

    const QString fallback = makeFallback();
    const BackgroundChange fell = rules.modeChange(slots, QStringLiteral("L03"), false);
    EXPECT_EQ(fell.picture, Picture::Show);
    EXPECT_EQ(fell.path, fallback);
    const BackgroundChange start = rules.startup(slots, QStringLiteral("L03"), 1);
    EXPECT_EQ(start.path, fallback);
}

TEST_F(BackgroundSlotsTest, StartupPicksTheModesSlotOrBackJpg)
{
    const BackSlotList slots = filledSlots({9});
    const BackgroundSlots rules(paths(), [] { return 0.5; });

    EXPECT_EQ(rules.startup(slots, QStringLiteral("4"), 1).path, slots[3]);
    EXPECT_EQ(rules.startup(slots, QStringLiteral("M"), 8).path, slots[7]);
    EXPECT_EQ(rules.startup(slots, QStringLiteral("L11"), 8).path, slots[10]);
    const BackgroundChange random = rules.startup(slots, QStringLiteral("R"), 8);
    EXPECT_EQ(random.path, slots[6]); // int(0.5 * 12) + 1
    EXPECT_EQ(random.mode, QStringLiteral("R"));
    EXPECT_TRUE(random.drawFrame);

    // Unusable choices: empty, a lone blank, a missing file, no slot at all.
    BackSlotList odd = slots;
    odd[0] = QStringLiteral(" ");
    odd[1] = paths().file(u"img/gone.jpg");
    for (const char* mode : {"9", "1", "2", "", "0", "13", "Q"}) {
        EXPECT_EQ(rules.startup(odd, QString::fromLatin1(mode), 9).picture, Picture::Clear) << mode;
    }
    const QString fallback = makeFallback();
    EXPECT_EQ(rules.startup(odd, QStringLiteral("2"), 1).path, fallback);
}

TEST_F(BackgroundSlotsTest, RandomDrawStaysWithinTheTwelveSlots)
{
    const BackSlotList slots = filledSlots();
    for (double r : {0.0, 0.0833, 0.0834, 0.5, 0.9999, 1.0, -0.2}) {
        const BackgroundSlots rules(paths(), [r] { return r; });
        const BackgroundChange c = rules.startup(slots, QStringLiteral("R"), 1);
        ASSERT_EQ(c.picture, Picture::Show) << r;
        const auto it = std::find(slots.begin(), slots.end(), c.path);
        ASSERT_NE(it, slots.end()) << r;
        const int slot = int(it - slots.begin()) + 1;
        EXPECT_GE(slot, 1);
        EXPECT_LE(slot, 12);
        if (r >= 0.0 && r < 1.0) {
            EXPECT_EQ(slot, int(r * 12) + 1) << r;
        }
    }
    // The system source also lands in range, and "R" with empty slots
    // falls back.
    const BackgroundSlots system(paths());
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(system.startup(slots, QStringLiteral("R"), 1).picture, Picture::Show);
    const QString fallback = makeFallback();
    EXPECT_EQ(system.startup(BackSlotList{}, QStringLiteral("R"), 1).path, fallback);
}

TEST_F(BackgroundSlotsTest, ThumbnailRightClickShowsAndSetsTheMode)
{
    const BackgroundSlots rules(paths());
    BackSlotList slots = filledSlots({6});
    const BackgroundChange shown = rules.thumbnailShow(slots, 2);
    EXPECT_EQ(shown.path, slots[1]);
    EXPECT_EQ(shown.mode, QStringLiteral("2"));
    EXPECT_TRUE(shown.drawFrame);

    // Empty without Back.jpg, or a missing file: the picture stays.
    EXPECT_EQ(rules.thumbnailShow(slots, 6).picture, Picture::Keep);
    EXPECT_EQ(rules.thumbnailShow(slots, 6).mode, QStringLiteral("6"));
    ASSERT_TRUE(QFile::remove(slots[7]));
    EXPECT_EQ(rules.thumbnailShow(slots, 8).picture, Picture::Keep);
    const QString fallback = makeFallback();
    EXPECT_EQ(rules.thumbnailShow(slots, 6).path, fallback);
}

TEST_F(BackgroundSlotsTest, RegistrationStoresExistingFilesAndRefreshesMonthlyMode)
{
    const BackgroundSlots rules(paths());
    BackSlotList slots;
    const QString picture = makeFile(QStringLiteral("img/new.png"));

    // Fixed mode "4": stored, but the background waits until 4 is chosen.
    auto r = rules.registerPicture(slots, 4, picture, QStringLiteral("4"), 4);
    EXPECT_TRUE(r.registered);
    EXPECT_EQ(slots[3], picture);
    EXPECT_EQ(r.background.picture, Picture::Keep);
    EXPECT_EQ(r.background.mode, QStringLiteral("4"));

    // Monthly mode: this month's slot shows at once.
    r = rules.registerPicture(slots, 6, picture, QStringLiteral("M"), 6);
    EXPECT_TRUE(r.registered);
    EXPECT_EQ(r.background.picture, Picture::Show);
    EXPECT_EQ(r.background.path, picture);
    EXPECT_EQ(r.background.mode, QStringLiteral("M"));

    // Not a file: nothing happens.
    const BackSlotList before = slots;
    for (const QString& bad : {paths().file(u"img/none.jpg"), paths().file(u"img"), QString()}) {
        r = rules.registerPicture(slots, 6, bad, QStringLiteral("M"), 6);
        EXPECT_FALSE(r.registered);
        EXPECT_EQ(r.background.picture, Picture::Keep);
    }
    EXPECT_EQ(slots, before);
}

TEST_F(BackgroundSlotsTest, PickerCaptionAndStartFolder)
{
    EXPECT_EQ(BackgroundSlots::registrationCaption(4), QStringLiteral(" No,4の背景登録"));
    const BackgroundSlots rules(paths());
    EXPECT_EQ(rules.registrationFolder(), paths().file(u"img/"));
    ASSERT_TRUE(QDir(paths().file(u"img")).removeRecursively());
    EXPECT_EQ(rules.registrationFolder(), paths().myPath());
    EXPECT_EQ(rules.fallbackPath(), paths().file(u"System/Back.jpg"));
    EXPECT_EQ(rules.framePath(), paths().file(u"System/Flame.bmp"));
}
