#include "FuzzTargets.h"
#include "ScratchFolder.h"

#include "media/ListFiles.h"

namespace yk::fuzz {

int fuzzPlayList(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = scratchPath(QStringLiteral("viw.m3u"));
    writeAll(path, bytes);
    const std::optional<listfile::PlayList> list = listfile::readPlayList(path);
    YK_FUZZ_CHECK(list.has_value());
    YK_FUZZ_CHECK(!list->cutShort);
    for (const QString& entry : list->entries) {
        YK_FUZZ_CHECK(!entry.startsWith(u'#'));
        YK_FUZZ_CHECK(!entry.contains(u'\r') && !entry.contains(u'\n'));
    }
    // At most one entry per line of the file.
    YK_FUZZ_CHECK(list->entries.size() <= bytes.count('\r') + bytes.count('\n') + 1);

    // A line limit in characters these inputs reach: longer entries go, said so; the rest stay.
    const std::optional<listfile::PlayList> limited = listfile::readPlayList(path, {.maxLineChars = 64});
    QStringList kept = list->entries;
    YK_FUZZ_CHECK(limited && (kept.removeIf([](const QString& e) { return e.size() > 64; }) == 0 || limited->incomplete()));
    YK_FUZZ_CHECK(!QByteArrayView(bytes).isValidUtf8() || limited->entries == kept);

    // Saved and loaded again, the list is the same; saved once more, the
    // file is the same byte for byte.
    YK_FUZZ_CHECK(listfile::writePlayList(path, list->entries));
    const QByteArray saved = readAll(path);
    YK_FUZZ_CHECK(saved.endsWith("\r\n"));
    const std::optional<listfile::PlayList> again = listfile::readPlayList(path);
    YK_FUZZ_CHECK(again.has_value());
    YK_FUZZ_CHECK(again->entries == list->entries);
    YK_FUZZ_CHECK(listfile::writePlayList(path, again->entries));
    YK_FUZZ_CHECK(readAll(path) == saved);
    return 0;
}

} // namespace yk::fuzz
