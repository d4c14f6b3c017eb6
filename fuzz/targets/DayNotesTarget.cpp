#include "FuzzTargets.h"
#include "ScratchFolder.h"

#include "calendar/DayNoteStore.h"

#include <QDir>

namespace yk::fuzz {
namespace {

const QString kStem = QStringLiteral("20260105");

} // namespace

int fuzzDayNotes(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString folder = scratchPath(QStringLiteral("notes/"));
    QDir(folder + QStringLiteral("txt")).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("txt"));
    DayNoteStore store{AppPaths(folder)};

    // The same bytes as a day file and as the common memo.
    writeAll(store.folder() + kStem + QStringLiteral(".txt"), bytes);
    writeAll(store.folder() + QStringLiteral("Memo0001.TXT"), bytes);
    const auto day = store.readDayFile(kStem);
    const auto memo = store.readCommonMemoFile();
    YK_FUZZ_CHECK(day.ok() && memo.ok());
    YK_FUZZ_CHECK(store.readDay(kStem) == day.value);
    YK_FUZZ_CHECK(store.readCommonMemo() == memo.value);
    for (const QString* text : {&day.value.diary, &day.value.morning, &day.value.afternoon, &memo.value})
        YK_FUZZ_CHECK(!text->contains(u'\r'));

    // The common memo comes back as it was written at once.
    YK_FUZZ_CHECK(store.write(kStem, day.value, memo.value));
    const auto day2 = store.readDayFile(kStem);
    YK_FUZZ_CHECK(day2.ok());
    YK_FUZZ_CHECK(store.readCommonMemoFile().value == memo.value);
    // An empty day leaves the file as it was. Otherwise every text comes
    // back whole; one that was not the file's last gains a final line break.
    if (day.value.isEmpty())
        YK_FUZZ_CHECK(readAll(day2.path) == bytes);
    auto kept = [](const QString& before, const QString& after) {
        return after == before || after == before + u'\n';
    };
    YK_FUZZ_CHECK(kept(day.value.diary, day2.value.diary));
    YK_FUZZ_CHECK(kept(day.value.morning, day2.value.morning));
    YK_FUZZ_CHECK(kept(day.value.afternoon, day2.value.afternoon));

    // A day the store wrote is settled: read and written again, its file
    // and its texts stay as they are.
    const QByteArray written = readAll(day2.path);
    YK_FUZZ_CHECK(store.write(kStem, day2.value, memo.value));
    YK_FUZZ_CHECK(readAll(day2.path) == written);
    YK_FUZZ_CHECK(store.readDayFile(kStem).value == day2.value);
    return 0;
}

} // namespace yk::fuzz
