#include <QElapsedTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "media/PlayList.h"

using namespace yk;

namespace {

QStringList paths(std::initializer_list<const char*> names)
{
    QStringList out;
    for (const char* name : names)
        out << QString::fromUtf8(name);
    return out;
}

} // namespace

TEST(PlayList, EditsSignalOnceAndIgnoreIndicesOutsideTheList)
{
    PlayList list;
    QSignalSpy changed(&list, &PlayList::changed);

    list.assign(paths({"a", "b", "c", "d"}));
    EXPECT_EQ(changed.count(), 1);
    list.assign(paths({"a", "b", "c", "d"})); // same entries: nothing changed
    EXPECT_EQ(changed.count(), 1);

    list.swap(0, 3);
    EXPECT_EQ(list.entries(), paths({"d", "b", "c", "a"}));
    list.removeAt(1);
    EXPECT_EQ(list.entries(), paths({"d", "c", "a"}));
    EXPECT_EQ(changed.count(), 3);

    list.removeAt(3);
    list.removeAt(-1);
    list.swap(0, 3);
    list.swap(-1, 0);
    list.swap(1, 1);
    EXPECT_EQ(list.entries(), paths({"d", "c", "a"}));
    EXPECT_EQ(changed.count(), 3);
}

TEST(PlayList, DuplicatesGoAndTheFirstCopyKeepsItsPlace)
{
    PlayList list;
    list.assign(paths({"a", "b", "a", "c", "b"}));
    QSignalSpy changed(&list, &PlayList::changed);
    int current = 0;
    EXPECT_EQ(list.removeDuplicates(current), 2);
    EXPECT_EQ(list.entries(), paths({"a", "b", "c"}));
    EXPECT_EQ(current, 0);
    EXPECT_EQ(changed.count(), 1);

    // Nothing to remove: no signal.
    EXPECT_EQ(list.removeDuplicates(current), 0);
    EXPECT_EQ(changed.count(), 1);
}

TEST(PlayList, DuplicatesAreExactTextsOnly)
{
    PlayList list;
    list.assign(paths({"/m/Song.mp3", "/m/song.mp3", "/m//song.mp3", "/m/song.mp3 ", "/m/Song.mp3"}));
    int current = 0;
    list.removeDuplicates(current);
    EXPECT_EQ(list.entries(), paths({"/m/Song.mp3", "/m/song.mp3", "/m//song.mp3", "/m/song.mp3 "}));
}

TEST(PlayList, TheCurrentIndexFollowsItsEntry)
{
    struct Case
    {
        int before;
        int after;
    };
    // a b a c b a d: removals at 2, 4 and 5.
    for (const Case& c : {Case{0, 0}, Case{1, 1}, Case{3, 2}, Case{6, 3}, // entries that stay
                          Case{2, 0}, Case{4, 1}, Case{5, 0}}) {     // later copies: to the kept one
        PlayList list;
        list.assign(paths({"a", "b", "a", "c", "b", "a", "d"}));
        const QString playing = list.at(c.before);
        int current = c.before;
        list.removeDuplicates(current);
        EXPECT_EQ(current, c.after) << "from " << c.before;
        EXPECT_EQ(list.at(current), playing) << "from " << c.before;
    }
}

TEST(PlayList, AHundredThousandEntriesLoseTheirDuplicatesQuickly)
{
    QStringList entries;
    entries.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        entries << QStringLiteral("/music/album%1/track%2.mp3").arg(i % 500).arg((i * 7919) % 50000);
    PlayList list;
    list.assign(entries);
    int current = 99999;
    const QString playing = list.at(current);

    QElapsedTimer timer;
    timer.start();
    const int removed = list.removeDuplicates(current);
    const qint64 ms = timer.elapsed();

    EXPECT_LT(ms, 500);
    // (i*7919) mod 50000 repeats every 50000 entries and i mod 500 agrees
    // for i and i+50000, so exactly the second half goes.
    EXPECT_EQ(removed, 50000);
    EXPECT_EQ(list.count(), 50000);
    EXPECT_EQ(list.entries(), entries.mid(0, 50000));
    EXPECT_EQ(list.at(current), playing);
}
