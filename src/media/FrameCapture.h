#pragma once

#include <QImage>
#include <QString>

namespace yk::capture {

// A movie frame kept as a picture: Capture/0000clip.bmp, 0001clip.bmp, ...
// for the movie clip.avi. Numbers count from 0 and the first free one is
// taken, so a deleted capture's number is used again before a new one.

// The name of capture n of a movie: n as at least four digits, then the
// movie's file name less its last four characters (its extension), ".bmp".
QString fileNameFor(int n, const QString& moviePath);
// The first free capture path for the movie in `folder`.
QString nextFreePath(const QString& folder, const QString& moviePath);

struct Result
{
    bool saved = false;
    QString path;  // where it was written, when saved
    QString error; // why not, in the user's words, when not saved
};

// Writes the frame as a bitmap under the first free name, making the folder
// when it is missing. The file appears whole or not at all.
Result saveFrame(const QImage& frame, const QString& folder, const QString& moviePath);

} // namespace yk::capture
