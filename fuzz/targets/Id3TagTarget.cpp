#include "FuzzTargets.h"
#include "ScratchFolder.h"

#include "media/Id3Tag.h"

namespace yk::fuzz {
namespace {

void checkField(const QString& field, int width)
{
    YK_FUZZ_CHECK(!field.contains(QChar(0)));
    YK_FUZZ_CHECK(!field.startsWith(u' ') && !field.endsWith(u' '));
    YK_FUZZ_CHECK(id3::encodeField(field, width).size() == width);
}

} // namespace

int fuzzId3Tag(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = scratchPath(QStringLiteral("song.mp3"));
    writeAll(path, bytes);
    const std::optional<id3::Tag> tag = id3::readTag(path);
    const bool hasTag = bytes.size() >= id3::kTagSize && bytes.right(id3::kTagSize).startsWith("TAG");
    YK_FUZZ_CHECK(tag.has_value() == hasTag);
    if (!tag)
        return 0;
    YK_FUZZ_CHECK(id3::parseTag(bytes.right(id3::kTagSize)) == tag);
    checkField(tag->title, id3::kTitleWidth);
    checkField(tag->artist, id3::kArtistWidth);
    checkField(tag->album, id3::kAlbumWidth);
    checkField(tag->year, id3::kYearWidth);
    checkField(tag->comment, id3::kCommentWidth);
    const int genre = id3::genreIndexForByte(tag->genre);
    YK_FUZZ_CHECK(genre >= -1 && genre < id3::genreNames().size());
    if (genre >= 0)
        YK_FUZZ_CHECK(id3::genreByteForName(id3::genreNames()[genre]) == tag->genre);

    // A block built from what was read is a tag again; from the second
    // round on, reading and building change nothing.
    const QByteArray block = id3::tagBlock(*tag);
    YK_FUZZ_CHECK(block.size() == id3::kTagSize);
    const std::optional<id3::Tag> first = id3::parseTag(block);
    YK_FUZZ_CHECK(first.has_value());
    YK_FUZZ_CHECK(first->genre == tag->genre);
    const QByteArray again = id3::tagBlock(*first);
    const std::optional<id3::Tag> second = id3::parseTag(again);
    YK_FUZZ_CHECK(second == first);
    YK_FUZZ_CHECK(id3::tagBlock(*second) == again);
    return 0;
}

} // namespace yk::fuzz
