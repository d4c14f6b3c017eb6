#include "skin/BackgroundController.h"

#include <QFileInfo>

#include "core/Settings.h"
#include "skin/FrameOverlay.h"

namespace yk {

BackgroundController::BackgroundController(Settings& settings, const AppPaths& paths,
                                           BackgroundSlots::RandomSource random, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_slots(paths, std::move(random))
{
}

BackSlotList BackgroundController::slotList() const
{
    return backSlotList([this](int k) { return m_settings.backSlot(k); });
}

void BackgroundController::beforeMonthDraw()
{
    apply(m_slots.modeChange(slotList(), m_settings.backgroundMode, !m_drawnThisRun));
    m_drawnThisRun = true;
}

void BackgroundController::chooseAtStartup(int shownMonth)
{
    apply(m_slots.startup(slotList(), m_settings.backgroundMode, shownMonth));
}

void BackgroundController::refreshMenuMarks()
{
    apply(m_slots.modeChange(slotList(), m_settings.backgroundMode, false));
}

void BackgroundController::showSlot(int slot)
{
    apply(m_slots.slotChange(slotList(), slot));
}

void BackgroundController::showThumbnail(int slot)
{
    apply(m_slots.thumbnailShow(slotList(), slot));
}

void BackgroundController::showMonthly(int shownMonth)
{
    apply(m_slots.monthlyRefresh(slotList(), shownMonth));
}

void BackgroundController::monthStepped(int shownMonth)
{
    if (m_settings.backgroundMode == QStringLiteral("M"))
        showMonthly(shownMonth);
}

void BackgroundController::toggleRandom()
{
    m_settings.backgroundMode = BackgroundSlots::randomMode(m_settings.backgroundMode);
}

void BackgroundController::toggleInTurn()
{
    m_settings.backgroundMode = BackgroundSlots::inTurnMode(m_settings.backgroundMode);
}

bool BackgroundController::registerPicture(int slot, const QString& path, int shownMonth)
{
    BackSlotList slots = slotList();
    const auto r = m_slots.registerPicture(slots, slot, path, m_settings.backgroundMode, shownMonth);
    if (!r.registered)
        return false;
    m_settings.setBackSlot(slot, slots[size_t(slot - 1)]);
    Q_EMIT slotRegistered(slot, path);
    apply(r.background);
    return true;
}

QImage BackgroundController::playWindowPicture() const
{
    const QString back = m_slots.playBackPath();
    if (!QFileInfo::exists(back))
        return {};
    const QString frame = m_slots.playFramePath();
    return composeSkinPicture(back, QFileInfo::exists(frame) ? frame : QString());
}

void BackgroundController::apply(const BackgroundChange& change)
{
    if (!change.mode.isEmpty())
        m_settings.backgroundMode = change.mode;
    if (change.check != BackMenuItem::None)
        Q_EMIT menuCheckChanged(change.check);
    switch (change.picture) {
    case BackgroundChange::Picture::Keep:
        if (!change.drawFrame)
            return;
        break;
    case BackgroundChange::Picture::Clear:
        m_path.clear();
        break;
    case BackgroundChange::Picture::Show:
        m_path = change.path;
        break;
    }
    redraw();
}

void BackgroundController::redraw()
{
    const QString frame = m_slots.framePath();
    Q_EMIT pictureChanged(composeSkinPicture(m_path, QFileInfo::exists(frame) ? frame : QString()));
}

} // namespace yk
