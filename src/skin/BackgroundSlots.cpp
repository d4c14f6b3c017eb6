#include "skin/BackgroundSlots.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>

namespace yk {

namespace {

// The settings file has been seen with a lone blank for "no picture".
bool isEmptySlot(const QString& path)
{
    return path.trimmed().isEmpty();
}

QString loopMode(int slot)
{
    return QStringLiteral("L%1").arg(slot, 2, 10, QLatin1Char('0'));
}

// The slot number carried by an in-turn mode ("L01".."L12"); 0 when the
// digits are missing or out of range.
int loopSlot(const QString& mode)
{
    bool ok = false;
    const int n = mode.right(2).toInt(&ok);
    return ok && n >= 1 && n <= 12 ? n : 0;
}

} // namespace

BackgroundSlots::BackgroundSlots(AppPaths paths, RandomSource random)
    : m_paths(std::move(paths))
    , m_random(std::move(random))
{
    if (!m_random)
        m_random = [] { return QRandomGenerator::global()->generateDouble(); };
}

QString BackgroundSlots::fallbackPath() const { return m_paths.file(u"System/Back.jpg"); }
QString BackgroundSlots::framePath() const { return m_paths.file(u"System/Flame.bmp"); }
QString BackgroundSlots::playBackPath() const { return m_paths.file(u"System/Back2.jpg"); }
QString BackgroundSlots::playFramePath() const { return m_paths.file(u"System/Flame2.bmp"); }

bool BackgroundSlots::usable(const QString& path)
{
    return !isEmptySlot(path) && QFileInfo(path).isFile();
}

QString BackgroundSlots::slotPath(const BackSlotList& slots, int slot)
{
    if (slot < 1 || slot > int(slots.size()))
        return {};
    return slots[size_t(slot - 1)];
}

QString BackgroundSlots::fallbackIfExists() const
{
    const QString path = fallbackPath();
    return QFileInfo(path).isFile() ? path : QString();
}

BackgroundChange BackgroundSlots::showOrFallback(const QString& path, const QString& mode,
                                                 bool clearWhenNothing) const
{
    BackgroundChange change;
    change.mode = mode;
    change.drawFrame = true;
    if (!isEmptySlot(path)) {
        // A registered picture that has disappeared leaves the one on show.
        if (QFileInfo(path).isFile()) {
            change.picture = BackgroundChange::Picture::Show;
            change.path = path;
        }
        return change;
    }
    const QString fallback = fallbackIfExists();
    if (!fallback.isEmpty()) {
        change.picture = BackgroundChange::Picture::Show;
        change.path = fallback;
    } else if (clearWhenNothing) {
        change.picture = BackgroundChange::Picture::Clear;
    }
    return change;
}

BackgroundChange BackgroundSlots::slotChange(const BackSlotList& slots, int slot) const
{
    slot = std::clamp(slot, 1, 12);
    return showOrFallback(slotPath(slots, slot), QString::number(slot), true);
}

BackgroundChange BackgroundSlots::monthlyRefresh(const BackSlotList& slots, int shownMonth) const
{
    return showOrFallback(slotPath(slots, shownMonth), QStringLiteral("M"), false);
}

QString BackgroundSlots::randomMode(const QString&)
{
    return QStringLiteral("R");
}

QString BackgroundSlots::inTurnMode(const QString& mode)
{
    if (mode == u"M" || mode == u"R")
        return loopMode(1);
    if (mode.startsWith(u'L')) {
        const int n = loopSlot(mode);
        return loopMode(n > 0 ? n : 1);
    }
    bool ok = false;
    const int n = mode.toInt(&ok);
    // A mode that names no slot starts the round at the first one.
    return loopMode(ok && n >= 1 && n <= 12 ? n : 1);
}

BackgroundChange BackgroundSlots::modeChange(const BackSlotList& slots, const QString& mode,
                                          bool firstDrawOfRun) const
{
    BackgroundChange change;
    change.mode = mode;
    const QString head = mode.left(2);

    bool isNumber = false;
    const int n = head.toInt(&isNumber);
    if (isNumber && n >= 1 && n <= 12 && head == QString::number(n)) {
        change.check = backMenuItemForSlot(n);
        return change;
    }
    if (head == u"M") {
        change.check = BackMenuItem::Mon;
        return change;
    }
    if (head == u"R") {
        change.check = BackMenuItem::Ran;
        return change;
    }
    if (head == u"L0" || head == u"L1") {
        int slot = loopSlot(mode);
        if (firstDrawOfRun) {
            ++slot;
            if (slot > 12)
                slot = 1;
            change.mode = loopMode(slot);
        }
        // Falls back to Back.jpg for an empty slot rather than blanking
        // the window at every later month change of the run.
        const BackgroundChange shown = showOrFallback(slotPath(slots, slot), change.mode, true);
        change.picture = shown.picture;
        change.path = shown.path;
        change.drawFrame = shown.picture != BackgroundChange::Picture::Keep;
        change.check = BackMenuItem::Loop;
        return change;
    }
    return change;
}

BackgroundChange BackgroundSlots::startup(const BackSlotList& slots, const QString& mode,
                                          int shownMonth) const
{
    int slot = 0;
    if (mode.startsWith(u'L')) {
        slot = loopSlot(mode);
    } else if (mode == u"M") {
        slot = shownMonth;
    } else if (mode == u"R") {
        const double r = std::clamp(m_random(), 0.0, 0.999999999);
        slot = int(r * 12) + 1;
    } else if (!mode.isEmpty()) {
        slot = mode.toInt();
    }

    // Nothing is on show yet, so an unusable slot (empty or gone) falls
    // back to Back.jpg, or to a bare window without it.
    const QString path = slotPath(slots, slot);
    return showOrFallback(usable(path) ? path : QString(), mode, true);
}

BackgroundChange BackgroundSlots::thumbnailShow(const BackSlotList& slots, int slot) const
{
    slot = std::clamp(slot, 1, 12);
    return showOrFallback(slotPath(slots, slot), QString::number(slot), false);
}

BackgroundSlots::Registration BackgroundSlots::registerPicture(BackSlotList& slots, int slot,
                                                               const QString& path,
                                                               const QString& mode,
                                                               int shownMonth) const
{
    Registration result;
    result.background.mode = mode;
    if (slot < 1 || slot > 12 || isEmptySlot(path) || !QFileInfo(path).isFile())
        return result;
    slots[size_t(slot - 1)] = path;
    result.registered = true;
    if (mode == u"M")
        result.background = monthlyRefresh(slots, shownMonth);
    return result;
}

QString BackgroundSlots::registrationCaption(int slot)
{
    return QStringLiteral(" No,") + QString::number(slot) + QStringLiteral("の背景登録");
}

QString BackgroundSlots::registrationFolder() const
{
    const QString img = m_paths.file(u"img/");
    return QFileInfo(img).isDir() ? img : m_paths.myPath();
}

} // namespace yk
