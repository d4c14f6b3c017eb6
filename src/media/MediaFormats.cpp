#include "media/MediaFormats.h"

#include <algorithm>
#include <array>

namespace yk {

namespace {

struct Ending
{
    QStringView text;
    MediaKind kind;
};

constexpr std::array<Ending, 19> kClassicTails{{
    {u"wav", MediaKind::Sound}, {u"stm", MediaKind::Sound}, {u"dsm", MediaKind::Sound},
    {u".mj", MediaKind::Sound}, {u"mp3", MediaKind::Sound}, {u"mp2", MediaKind::Sound},
    {u"mid", MediaKind::Sound}, {u"idi", MediaKind::Sound}, {u"rmi", MediaKind::Sound},
    {u"avi", MediaKind::Movie}, {u"mpg", MediaKind::Movie}, {u"mpe", MediaKind::Movie},
    {u"m1v", MediaKind::Movie}, {u"pv2", MediaKind::Movie}, {u"p2v", MediaKind::Movie},
    {u"wmv", MediaKind::Movie}, {u"wvx", MediaKind::Movie}, {u"wax", MediaKind::Movie},
    {u"peg", MediaKind::Movie},
}};

// Every container GStreamer decodes on a Debian desktop that the classic
// tails miss. Sound formats go straight to the sound device; the video
// containers to the movie window (one holding only sound plays as sound
// there too, as any movie without a picture does).
constexpr std::array<Ending, 15> kModernEndings{{
    {u"flac", MediaKind::Sound}, {u"ogg", MediaKind::Sound}, {u"oga", MediaKind::Sound},
    {u"opus", MediaKind::Sound}, {u"m4a", MediaKind::Sound}, {u"aac", MediaKind::Sound},
    {u"wma", MediaKind::Sound}, {u"ape", MediaKind::Sound}, {u"wv", MediaKind::Sound},
    {u"mka", MediaKind::Sound}, {u"mkv", MediaKind::Movie}, {u"webm", MediaKind::Movie},
    {u"mp4", MediaKind::Movie}, {u"m4v", MediaKind::Movie}, {u"mov", MediaKind::Movie},
}};

QStringView baseName(QStringView path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

const Ending* modernEnding(QStringView name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 1) // no extension, or a hidden file's bare name
        return nullptr;
    const QStringView ext = name.mid(dot + 1);
    const auto it = std::find_if(kModernEndings.begin(), kModernEndings.end(),
                                 [&](const Ending& e) { return ext.compare(e.text, Qt::CaseInsensitive) == 0; });
    return it == kModernEndings.end() ? nullptr : &*it;
}

} // namespace

MediaKind mediaKind(QStringView fileName)
{
    const QStringView name = baseName(fileName);
    if (const Ending* e = modernEnding(name))
        return e->kind;
    if (name.size() < 3 || name.endsWith(u".jpeg", Qt::CaseInsensitive))
        return MediaKind::None;
    const QStringView tail = name.right(3);
    for (const Ending& e : kClassicTails) {
        if (tail.compare(e.text, Qt::CaseInsensitive) == 0)
            return e.kind;
    }
    return MediaKind::None;
}

bool hasModernMediaEnding(QStringView fileName)
{
    return modernEnding(baseName(fileName)) != nullptr;
}

QString withoutMediaSuffix(const QString& fileName)
{
    const QStringView name = baseName(fileName);
    if (const Ending* e = modernEnding(name))
        return name.chopped(e->text.size() + 1).toString();
    return name.left(std::max<qsizetype>(0, name.size() - 4)).toString();
}

QString modernMediaPatterns()
{
    QString out;
    for (const Ending& e : kModernEndings) {
        if (!out.isEmpty())
            out += u';';
        out += QStringLiteral("*.");
        out += e.text;
    }
    return out;
}

} // namespace yk
