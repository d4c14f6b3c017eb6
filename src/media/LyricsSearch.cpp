#include "media/LyricsSearch.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "media/MediaFormats.h"

namespace yk::lyricssearch {

namespace {

struct Listing
{
    QStringList files;      // regular files, hidden ones left out
    QStringList subfolders; // in name order
};

Listing list(const QString& folder)
{
    Listing l;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& e : entries) {
        const QString name = e.fileName();
        if (name.startsWith(u'.'))
            continue;
        if (e.isDir())
            l.subfolders.append(name);
        else if (e.isFile())
            l.files.append(name);
    }
    return l;
}

// The file of `files` named `wanted` in any case; the exact spelling first.
QString match(const QStringList& files, const QString& wanted)
{
    if (files.contains(wanted))
        return wanted;
    for (const QString& name : files) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    }
    return {};
}

QString withSlash(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

// The folder part of a path, up to and with its last "/".
QString folderOf(const QString& path)
{
    return path.left(path.lastIndexOf(u'/') + 1);
}

struct Walk
{
    QString wanted;
    bool subFolders = false;
    const std::atomic_bool* cancel = nullptr;
    QString found;
    QSet<QString> seen; // folders reached twice through links are walked once

    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }

    void search(const QString& folder)
    {
        if (cancelled())
            return;
        const QString real = QFileInfo(folder).canonicalFilePath();
        if (real.isEmpty() || seen.contains(real))
            return;
        seen.insert(real);
        const Listing l = list(folder);
        if (const QString name = match(l.files, wanted); !name.isEmpty())
            found = folder + name;
        // Decided once: a find while the loop runs still lets the remaining
        // subfolders be looked in, but not below.
        if (!found.isEmpty() || !subFolders)
            return;
        for (const QString& sub : l.subfolders)
            search(folder + sub + u'/');
    }
};

} // namespace

QString besideCandidate(const QString& trackPath)
{
    if (hasModernMediaEnding(trackPath))
        return folderOf(trackPath) + wantedName(trackPath);
    return trackPath.chopped(std::min<qsizetype>(4, trackPath.size())) + QStringLiteral(".txt");
}

QString wantedName(const QString& trackPath)
{
    if (hasModernMediaEnding(trackPath))
        return withoutMediaSuffix(trackPath) + QStringLiteral(".txt");
    const QString name = QFileInfo(trackPath).fileName();
    return name.chopped(std::min<qsizetype>(3, name.size())) + QStringLiteral("txt");
}

QString wantedLrcName(const QString& trackPath)
{
    const QString name = QFileInfo(trackPath).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return (dot > 0 ? name.left(dot) : withoutMediaSuffix(name)) + QStringLiteral(".lrc");
}

QString searchFolder(const QString& folder, const QString& wanted, bool subFolders, const std::atomic_bool* cancel)
{
    Walk walk{wanted, subFolders, cancel, {}, {}};
    walk.search(withSlash(folder));
    return walk.cancelled() ? QString() : walk.found;
}

QString findLyricsFile(const QString& trackPath, const QString& lyricsFolder, const std::atomic_bool* cancel)
{
    int searchable = -1; // the folder is listed once, when first needed
    const QString names[] = {wantedName(trackPath), wantedLrcName(trackPath)};
    const QString besides[] = {besideCandidate(trackPath), folderOf(trackPath) + names[1]};
    for (int i = 0; i < 2; ++i) {
        if (QFileInfo(besides[i]).isFile())
            return besides[i];
        const QFileInfo besideInfo(besides[i]);
        if (const QString name = match(list(besideInfo.path()).files, besideInfo.fileName()); !name.isEmpty())
            return withSlash(besideInfo.path()) + name;
        if (searchable < 0)
            searchable = !lyricsFolder.isEmpty() && !list(lyricsFolder).files.isEmpty();
        if (searchable) {
            if (const QString found = searchFolder(lyricsFolder, names[i], true, cancel); !found.isEmpty())
                return found;
        }
        if (cancel && cancel->load())
            return {};
    }
    return {};
}

} // namespace yk::lyricssearch
