#pragma once

#include <vector>

#include <QByteArray>
#include <QFile>
#include <QString>

#include <taglib/tiostream.h>

namespace yk::tagedit {

// What became of a tag write. Anything but Written left the file exactly as
// it was.
struct WriteResult
{
    enum class Status {
        Written,
        NoPath,      // the path is blank
        Missing,     // no file at the path (or not a plain file)
        ReadOnly,    // the file cannot be opened for writing
        Failed,      // reading or writing broke off (full disk, I/O error)
        Unsupported, // a kind of file whose tags are not written here
        Unreadable,  // its name promises a format its bytes do not hold
    };
    Status status = Status::Failed;
    QString detail; // the system's own words, when it gave any

    bool ok() const { return status == Status::Written; }
};

// One line for the user saying what went wrong; empty for Written.
QString failureMessage(const WriteResult& result);

// A file as TagLib edits it, without touching it: the bytes that stay are
// read from the original where they lie, the bytes a tag changes are kept
// in memory, and commit() writes the result whole beside the original and
// puts it in the original's place (permission bits kept, a link stays a
// link). So a crash, a full disk or a TagLib that gives up half-way leaves
// the old file as it was; and however large the file, only the tags are
// ever held in memory.
class FileRewrite final : public TagLib::IOStream
{
public:
    enum class Mode {
        Read,    // only read; commit() refuses
        Rewrite, // the file must be one that may be changed
    };
    FileRewrite(const QString& path, Mode mode);
    ~FileRewrite() override;

    // Why the file could not be opened; Written when it was.
    WriteResult openResult() const { return m_openResult; }

    // The bytes [at, at + count) as they now stand (fewer at the end).
    QByteArray bytes(qint64 at, qint64 count);
    // The `count` bytes at `at` (as many as there are) become `with`.
    void replace(qint64 at, qint64 count, const QByteArray& with);
    qint64 size() const { return m_length; }

    // Writes the file as it now stands under its name; unchanged, nothing
    // is written.
    WriteResult commit();

    // TagLib::IOStream
    TagLib::FileName name() const override;
    TagLib::ByteVector readBlock(unsigned long length) override;
    void writeBlock(const TagLib::ByteVector& data) override;
    void insert(const TagLib::ByteVector& data, unsigned long start, unsigned long replace) override;
    void removeBlock(unsigned long start, unsigned long length) override;
    bool readOnly() const override;
    bool isOpen() const override;
    void seek(long offset, Position p) override;
    long tell() const override;
    long length() override;
    void truncate(long length) override;

private:
    // A run of the file as it now stands: `size` bytes of the original from
    // `origin`, or, with origin < 0, the bytes of `added`.
    struct Piece
    {
        qint64 origin = -1;
        qint64 size = 0;
        QByteArray added;
    };

    // The index of the piece that begins at `at`, splitting one if needed.
    size_t splitAt(qint64 at);
    bool copyTo(QIODevice& out);

    QString m_path;
    QByteArray m_name;
    Mode m_mode;
    QFile m_file;
    WriteResult m_openResult;
    std::vector<Piece> m_pieces;
    qint64 m_length = 0;
    qint64 m_position = 0;
    bool m_broken = false; // a read of the original failed, or an absurd write was refused
};

} // namespace yk::tagedit
