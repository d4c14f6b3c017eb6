#include "FuzzTargets.h"
#include "ScratchFolder.h"

#include <QFileInfo>

#include "media/HandOverIntake.h"
#include "platform/TextFile.h"

namespace yk::fuzz {

int fuzzHandOverIntake(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString file = scratchPath(QStringLiteral("lst.tmp"));
    writeAll(file, bytes);
    const std::optional<QStringList> paths = takeHandOver(file);
    YK_FUZZ_CHECK(paths.has_value());
    YK_FUZZ_CHECK(!QFileInfo::exists(file));
    YK_FUZZ_CHECK(!takeHandOver(file).has_value());
    for (const QString& p : *paths)
        YK_FUZZ_CHECK(!p.isEmpty() && !p.contains(u'\r') && !p.contains(u'\n'));

    // What a second start writes for these paths (each in quotes, a line
    // each) hands over the same paths.
    QStringList lines;
    for (const QString& p : *paths)
        lines.append(u'"' + p + u'"');
    YK_FUZZ_CHECK(textfile::writeLines(file, lines));
    YK_FUZZ_CHECK(takeHandOver(file) == paths);
    return 0;
}

} // namespace yk::fuzz
