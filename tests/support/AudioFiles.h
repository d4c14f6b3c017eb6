#pragma once

// Short encoded sound files made on the spot with GStreamer's command-line
// player, so tag and lyrics tests need no sample files checked in: a tone of
// a tenth of a second in each container the program reads tags from. Each
// format is encoded once per test run and copied for every test that asks.

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <fileref.h>
#include <tpropertymap.h>

namespace yk::test {

enum class AudioFormat { Mp3, Flac, OggVorbis, Opus, M4a, Wma };

inline QString audioSuffix(AudioFormat format)
{
    switch (format) {
    case AudioFormat::Mp3: return QStringLiteral("mp3");
    case AudioFormat::Flac: return QStringLiteral("flac");
    case AudioFormat::OggVorbis: return QStringLiteral("ogg");
    case AudioFormat::Opus: return QStringLiteral("opus");
    case AudioFormat::M4a: return QStringLiteral("m4a");
    case AudioFormat::Wma: return QStringLiteral("wma");
    }
    return {};
}

namespace detail {

inline QString encoderChain(AudioFormat format)
{
    switch (format) {
    case AudioFormat::Mp3: return QStringLiteral("lamemp3enc");
    case AudioFormat::Flac: return QStringLiteral("flacenc");
    case AudioFormat::OggVorbis: return QStringLiteral("vorbisenc ! oggmux");
    case AudioFormat::Opus: return QStringLiteral("opusenc ! oggmux");
    case AudioFormat::M4a: return QStringLiteral("avenc_aac ! mp4mux");
    case AudioFormat::Wma: return QStringLiteral("avenc_wmav2 ! asfmux");
    }
    return {};
}

inline QTemporaryDir& encodedCache()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace detail

// Whether the encoders are here at all (gst-launch-1.0 and the plugins the
// set-up installs); tests that need encoded files skip without them.
inline bool canEncodeAudio()
{
    return !QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0")).isEmpty();
}

// A fresh copy of a short untagged tone in `format` at `path`; false when
// it could not be made.
inline bool writeAudioFile(const QString& path, AudioFormat format)
{
    static QHash<int, QString> encoded;
    QString& source = encoded[int(format)];
    if (source.isEmpty() || !QFile::exists(source)) {
        const QString out = detail::encodedCache().filePath(QStringLiteral("tone.") + audioSuffix(format));
        const QString pipeline = QStringLiteral("audiotestsrc num-buffers=10 ! audioconvert ! %1 ! filesink location=\"%2\"")
                                     .arg(detail::encoderChain(format), out);
        QProcess gst;
        gst.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("gst-launch-1.0 -q ") + pipeline});
        if (!gst.waitForFinished(30000) || gst.exitCode() != 0 || !QFile::exists(out))
            return false;
        source = out;
    }
    QFile::remove(path);
    return QFile::copy(source, path) && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

// Tags written by TagLib's common names ("TITLE", "ALBUMARTIST", "DATE",
// ...), each into the field the file's format keeps it in (an MP3 gets
// ID3v2.4). False when the file could not be saved.
inline bool writeTags(const QString& path, std::initializer_list<std::pair<const char*, const char*>> fields)
{
    TagLib::FileRef file(QFile::encodeName(path).constData());
    if (file.isNull())
        return false;
    TagLib::PropertyMap map;
    for (const auto& [key, value] : fields)
        map.insert(key, TagLib::StringList(TagLib::String(value, TagLib::String::UTF8)));
    file.file()->setProperties(map);
    return file.save();
}

} // namespace yk::test
