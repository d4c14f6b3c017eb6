#include "FuzzTargets.h"
#include "ScratchFolder.h"

#include "media/TagEditing.h"

namespace yk::fuzz {

int fuzzTagEditing(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte names the format the rest claims to be.
    static const char* const kEndings[] = {"mp3", "flac", "ogg", "opus", "m4a", "wma"};
    const QString path = scratchPath(QStringLiteral("song.") + QLatin1String(kEndings[data[0] % 6]));
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    writeAll(path, bytes);

    using Status = tagedit::FileTags::Status;
    const tagedit::FileTags before = tagedit::readFileTags(path);
    YK_FUZZ_CHECK(before.status == Status::Read || before.status == Status::Unreadable);
    tagedit::Fields after = before.fields;
    after.title = QStringLiteral(u"新しい題");
    after.genre = QStringLiteral("Anime(J)");
    const tagedit::WriteResult written = tagedit::writeFileTags(path, before, after);
    // Whole or nothing: a write that did not succeed left every byte.
    if (!written.ok()) {
        YK_FUZZ_CHECK(readAll(path) == bytes);
        return 0;
    }
    YK_FUZZ_CHECK(before.status == Status::Read);
    const tagedit::FileTags again = tagedit::readFileTags(path);
    YK_FUZZ_CHECK(again.status == Status::Read);
    YK_FUZZ_CHECK(again.fields.title == after.title);
    YK_FUZZ_CHECK(again.fields.genre == after.genre);
    return 0;
}

} // namespace yk::fuzz
