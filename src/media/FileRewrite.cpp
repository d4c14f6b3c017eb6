#include "media/FileRewrite.h"

#include <algorithm>

#include <QFileInfo>
#include <QSaveFile>

namespace yk::tagedit {
namespace {

// Large enough that a music file copies in a few dozen reads, small enough
// not to matter in memory.
constexpr qint64 kChunk = 1 << 20;
// TagLib writes behind the end of a file only when a damaged header sent it
// there; zeros to fill a gap larger than this are not worth writing.
constexpr qint64 kLargestGap = 16 << 20;

WriteResult fail(WriteResult::Status status, const QString& detail = {})
{
    return WriteResult{status, detail};
}

QByteArray toBytes(const TagLib::ByteVector& v)
{
    return QByteArray(v.data(), qsizetype(v.size()));
}

} // namespace

QString failureMessage(const WriteResult& result)
{
    switch (result.status) {
    case WriteResult::Status::Written:
        return {};
    case WriteResult::Status::NoPath:
        return QStringLiteral("ファイルが指定されていません。");
    case WriteResult::Status::Missing:
        return QStringLiteral("ファイルが見つかりません。");
    case WriteResult::Status::ReadOnly:
        return QStringLiteral("ファイルに書き込めません（読み取り専用）。");
    case WriteResult::Status::Unsupported:
        return QStringLiteral("この形式のファイルのタグは編集できません。");
    case WriteResult::Status::Unreadable:
        return QStringLiteral("ファイルの中身が形式どおりでないため、タグを書き込めません。");
    case WriteResult::Status::Failed:
        break;
    }
    return QStringLiteral("タグを保存できませんでした（ディスクの空き不足など）。");
}

FileRewrite::FileRewrite(const QString& path, Mode mode)
    : m_path(path)
    , m_name(QFile::encodeName(path))
    , m_mode(mode)
    , m_file(path)
{
    m_openResult = fail(WriteResult::Status::Written);
    if (path.trimmed().isEmpty()) {
        m_openResult = fail(WriteResult::Status::NoPath);
        return;
    }
    if (!QFileInfo(path).isFile()) {
        m_openResult = fail(WriteResult::Status::Missing);
        return;
    }
    // Opening the old file for writing, though only a new one is written,
    // asks the system whether this file may be changed at all: replacing it
    // through its folder would otherwise get round a read-only file.
    const QIODevice::OpenMode how = mode == Mode::Rewrite ? QIODevice::ReadWrite | QIODevice::ExistingOnly
                                                          : QIODevice::ReadOnly;
    if (!m_file.open(how)) {
        const bool gone = !QFileInfo::exists(path);
        m_openResult = fail(gone ? WriteResult::Status::Missing : WriteResult::Status::ReadOnly, m_file.errorString());
        return;
    }
    m_length = m_file.size();
    if (m_length > 0)
        m_pieces.push_back(Piece{0, m_length, {}});
}

FileRewrite::~FileRewrite() = default;

size_t FileRewrite::splitAt(qint64 at)
{
    qint64 begin = 0;
    for (size_t i = 0; i < m_pieces.size(); ++i) {
        Piece& piece = m_pieces[i];
        if (at == begin)
            return i;
        if (at < begin + piece.size) {
            const qint64 head = at - begin;
            Piece tail;
            tail.size = piece.size - head;
            if (piece.origin >= 0)
                tail.origin = piece.origin + head;
            else
                tail.added = piece.added.sliced(head);
            piece.size = head;
            if (piece.origin < 0)
                piece.added.truncate(head);
            m_pieces.insert(m_pieces.begin() + qsizetype(i) + 1, std::move(tail));
            return i + 1;
        }
        begin += piece.size;
    }
    return m_pieces.size();
}

QByteArray FileRewrite::bytes(qint64 at, qint64 count)
{
    QByteArray out;
    if (at < 0 || at >= m_length || count <= 0)
        return out;
    count = std::min(count, m_length - at);
    out.reserve(count);
    qint64 begin = 0;
    for (const Piece& piece : m_pieces) {
        const qint64 end = begin + piece.size;
        if (end > at && out.size() < count) {
            const qint64 from = std::max(at, begin) - begin;
            const qint64 take = std::min(piece.size - from, count - out.size());
            if (piece.origin < 0) {
                out.append(piece.added.constData() + from, take);
            } else {
                const QByteArray read = m_file.seek(piece.origin + from) ? m_file.read(take) : QByteArray();
                out.append(read);
                if (read.size() != take) {
                    m_broken = true; // the file changed under us or the disk failed
                    break;
                }
            }
        }
        begin = end;
    }
    return out;
}

void FileRewrite::replace(qint64 at, qint64 count, const QByteArray& with)
{
    if (at < 0 || count < 0)
        return;
    if (at > m_length) {
        if (at - m_length > kLargestGap) {
            m_broken = true;
            return;
        }
        m_pieces.push_back(Piece{-1, at - m_length, QByteArray(at - m_length, '\0')});
        m_length = at;
    }
    count = std::min(count, m_length - at);
    const size_t first = splitAt(at);
    const size_t last = splitAt(at + count);
    m_pieces.erase(m_pieces.begin() + qsizetype(first), m_pieces.begin() + qsizetype(last));
    if (!with.isEmpty())
        m_pieces.insert(m_pieces.begin() + qsizetype(first), Piece{-1, with.size(), with});
    m_length += with.size() - count;
}

bool FileRewrite::copyTo(QIODevice& out)
{
    for (const Piece& piece : m_pieces) {
        if (piece.origin < 0) {
            if (out.write(piece.added) != piece.added.size())
                return false;
            continue;
        }
        if (!m_file.seek(piece.origin))
            return false;
        for (qint64 left = piece.size; left > 0;) {
            const QByteArray buffer = m_file.read(std::min(left, kChunk));
            if (buffer.isEmpty() || out.write(buffer) != buffer.size())
                return false;
            left -= buffer.size();
        }
    }
    return true;
}

WriteResult FileRewrite::commit()
{
    if (!m_openResult.ok())
        return m_openResult;
    if (m_mode != Mode::Rewrite || m_broken)
        return fail(WriteResult::Status::Failed, m_file.errorString());
    const bool unchanged = m_length == m_file.size()
                           && (m_pieces.empty() || (m_pieces.size() == 1 && m_pieces[0].origin == 0));
    if (unchanged)
        return fail(WriteResult::Status::Written);

    // A link stays a link: the file it points to is the one replaced.
    const QFileInfo info(m_path);
    const QString target = info.isSymLink() ? info.canonicalFilePath() : m_path;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return fail(WriteResult::Status::Failed, out.errorString());
    out.setPermissions(m_file.permissions());
    // Flushed here: commit() does not notice a write that fails while it
    // empties the buffer (a full disk) and would put a cut-off file in place.
    if (!copyTo(out) || !out.flush()) {
        const QString why = out.error() != QFileDevice::NoError ? out.errorString() : m_file.errorString();
        out.cancelWriting();
        return fail(WriteResult::Status::Failed, why);
    }
    if (!out.commit())
        return fail(WriteResult::Status::Failed, out.errorString());
    return fail(WriteResult::Status::Written);
}

TagLib::FileName FileRewrite::name() const
{
    return m_name.constData();
}

TagLib::ByteVector FileRewrite::readBlock(unsigned long length)
{
    const QByteArray read = bytes(m_position, qint64(std::min<unsigned long>(length, 0x7fffffffUL)));
    m_position += read.size();
    return TagLib::ByteVector(read.constData(), static_cast<unsigned int>(read.size()));
}

void FileRewrite::writeBlock(const TagLib::ByteVector& data)
{
    replace(m_position, data.size(), toBytes(data));
    m_position += data.size();
}

void FileRewrite::insert(const TagLib::ByteVector& data, unsigned long start, unsigned long replaced)
{
    replace(qint64(start), qint64(replaced), toBytes(data));
    m_position = qint64(start) + data.size();
}

void FileRewrite::removeBlock(unsigned long start, unsigned long length)
{
    replace(qint64(start), qint64(length), {});
    m_position = qint64(start);
}

bool FileRewrite::readOnly() const
{
    return m_mode != Mode::Rewrite;
}

bool FileRewrite::isOpen() const
{
    return m_openResult.ok();
}

void FileRewrite::seek(long offset, Position p)
{
    const qint64 base = p == Beginning ? 0 : p == Current ? m_position : m_length;
    // As a file does: no position before the start, any after the end.
    if (base + offset >= 0)
        m_position = base + offset;
}

long FileRewrite::tell() const
{
    return long(m_position);
}

long FileRewrite::length()
{
    return long(m_length);
}

void FileRewrite::truncate(long length)
{
    if (length < 0)
        return;
    // Longer: replacing nothing at the new end fills the gap with zeros.
    if (length < m_length)
        replace(length, m_length - length, {});
    else
        replace(length, 0, {});
}

} // namespace yk::tagedit
