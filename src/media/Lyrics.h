#pragma once

#include <QString>

namespace yk {

// Timed lyrics for the playing track. The player asks for a track's lyrics
// when it opens the track and turns them off when it stops; the tick asks
// for the line due at the current position.
class Lyrics
{
public:
    virtual ~Lyrics() = default;
    virtual void open(const QString& trackPath) = 0;
    virtual void off() = 0;
    // The line to show at `positionMs`; empty when none.
    virtual QString lineAt(qint64 positionMs) = 0;
};

// Finds no lyrics for any track.
class NoLyrics final : public Lyrics
{
public:
    void open(const QString&) override {}
    void off() override {}
    QString lineAt(qint64) override { return {}; }
};

} // namespace yk
