#include "media/PlayListView.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QFileInfo>

#include "media/Id3Tag.h"
#include "media/MediaFormats.h"
#include "media/PlayList.h"
#include "media/Player.h"

namespace yk {

namespace {

const QString kReadError = QStringLiteral("Read Error");

bool fileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

} // namespace

PlayListView::PlayListView(PlayList& list, Player& player, QObject* parent)
    : QObject(parent), m_list(list), m_player(player)
{
    m_titleSource = [](const QString& path) {
        const auto tag = id3::readTag(path);
        return tag ? tag->title : QString();
    };
    connect(&m_player, &Player::currentEntryFocused, this, &PlayListView::onCurrentEntryFocused);
}

void PlayListView::setTitleSource(TitleSource source)
{
    if (source)
        m_titleSource = std::move(source);
}

int PlayListView::entryCount() const
{
    return m_list.count();
}

int PlayListView::maxListTop() const
{
    return std::max(0, entryCount() - kRows);
}

bool PlayListView::scrollable() const
{
    return entryCount() > kRows;
}

QString PlayListView::rowText(int index) const
{
    const QString path = m_list.at(index);
    if (!fileExists(path))
        return kReadError;
    QString name = m_titleSource(path);
    if (name.isEmpty())
        name = withoutMediaSuffix(QFileInfo(path).fileName());
    return QString::number(index + 1) + u' ' + name;
}

int PlayListView::listTopForThumb(double thumbTop, int n)
{
    if (n <= 0 || thumbTop <= kThumbTop + 1)
        return 0;
    if (thumbTop >= kThumbBottom)
        return n;
    const double d = thumbTop - kThumbTop;
    // Both bounds scaled by n, so no division rounds them.
    const auto fits = [&](int i) {
        return kThumbTravel * i < d * n && kThumbTravel * (i + 1) > (d - 1) * n;
    };
    int i = std::clamp(int(std::floor((d - 1) * n / kThumbTravel)), 0, n);
    while (i > 0 && fits(i - 1))
        --i;
    while (i < n && !fits(i))
        ++i;
    return i;
}

void PlayListView::requestRebuild(bool keepTop)
{
    m_listChanged = true;
    if (keepTop)
        m_topFixed = true;
    // The player's flag keeps the clock ticking fast until the rebuild.
    m_player.markListChanged();
}

bool PlayListView::tickRows()
{
    const bool asked = m_player.takeListChanged();
    if (!std::exchange(m_listChanged, false) && !asked)
        return false;
    const bool keepTop = std::exchange(m_topFixed, false);

    const int count = entryCount();
    if (!keepTop && count > kRows) {
        const int n = count - kRows;
        m_listTop = listTopForThumb(m_thumb, n);
        if (m_thumb <= kThumbTop + 1)
            setThumb(kThumbTop);
        else if (m_thumb >= kThumbBottom)
            setThumb(kThumbBottom);
    }
    // A list that shrank under the view shows its top rather than blank rows.
    m_listTop = std::clamp(m_listTop, 0, maxListTop());
    if (count <= kRows)
        setThumb(kThumbTop);

    const int last = std::min(count, m_listTop + kRows);
    QStringList rows;
    rows.reserve(last - m_listTop);
    for (int i = m_listTop; i < last; ++i)
        rows.append(rowText(i));
    m_rows = std::move(rows);
    Q_EMIT rowsChanged();

    int select = -1;
    if (keepTop) {
        select = m_rememberedRow;
    } else if (m_rows.size() >= 2) {
        // Otherwise the current entry stays marked when it is in sight.
        select = m_player.currentIndex() - m_listTop;
    }
    m_rememberedRow = -1;
    selectRow(select >= 0 && select < m_rows.size() ? select : -1);
    return true;
}

void PlayListView::selectRow(int row)
{
    if (row == m_selectedRow)
        return;
    m_selectedRow = row;
    Q_EMIT selectionChanged(row);
}

void PlayListView::setSelectedRow(int row)
{
    selectRow(row >= 0 && row < m_rows.size() ? row : -1);
}

int PlayListView::effectiveRow() const
{
    return m_topFixed ? m_rememberedRow : m_selectedRow;
}

void PlayListView::onCurrentEntryFocused(int index)
{
    // A pending rebuild that keeps the top brings its own selection.
    if (m_topFixed || m_rows.size() < 2)
        return;
    const int row = index - m_listTop;
    selectRow(row >= 0 && row < m_rows.size() ? row : -1);
}

void PlayListView::setThumb(double top)
{
    if (top == m_thumb)
        return;
    m_thumb = top;
    Q_EMIT thumbChanged();
}

void PlayListView::stepThumb(int rows)
{
    const int n = entryCount() - kRows;
    if (n <= 0) {
        setThumb(kThumbTop);
        return;
    }
    if (m_listTop <= 0)
        setThumb(kThumbTop);
    else if (m_listTop >= n)
        setThumb(kThumbBottom);
    else
        setThumb(std::clamp(m_thumb + kThumbTravel * rows / n, kThumbTop, kThumbBottom));
}

bool PlayListView::scrollBy(int delta)
{
    const int top = std::clamp(m_listTop + delta, 0, maxListTop());
    if (top == m_listTop)
        return false;
    const int moved = top - m_listTop;
    m_listTop = top;
    // With exactly 13 entries there is nowhere to scroll, so the thumb
    // never moves for it.
    if (entryCount() != kRows)
        stepThumb(moved);
    return true;
}

void PlayListView::scrollUp()
{
    const int row = effectiveRow();
    if (!scrollBy(-1))
        return;
    // The selected entry stays selected: it is now one row further down.
    m_rememberedRow = row < 0 ? -1 : std::min(row + 1, kRows - 1);
    requestRebuild(true);
}

void PlayListView::scrollDown()
{
    const int row = effectiveRow();
    if (!scrollBy(1))
        return;
    m_rememberedRow = row < 0 ? -1 : std::max(row - 1, 0);
    requestRebuild(true);
}

PlayListView::KeyResult PlayListView::handleKey(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        playRow(effectiveRow());
        return KeyResult::Handled;
    case Qt::Key_Left:
    case Qt::Key_Right:
        return KeyResult::Handled;
    case Qt::Key_Up: {
        // At the top row the list scrolls under a selection that stays put.
        const int row = effectiveRow();
        if (row != 0 || m_listTop <= 0)
            return KeyResult::ListNavigation;
        scrollBy(-1);
        m_rememberedRow = row;
        requestRebuild(true);
        return KeyResult::Handled;
    }
    case Qt::Key_Down: {
        const int row = effectiveRow();
        if (row != kRows - 1 || m_listTop >= maxListTop())
            return KeyResult::ListNavigation;
        scrollBy(1);
        m_rememberedRow = row;
        requestRebuild(true);
        return KeyResult::Handled;
    }
    default:
        return KeyResult::Forward;
    }
}

void PlayListView::pressThumb(int y)
{
    m_thumbHeld = true;
    m_grabY = y;
    Q_EMIT thumbChanged();
}

void PlayListView::moveThumb(int y)
{
    if (!m_thumbHeld || !scrollable())
        return;
    // The mouse is measured inside the thumb, which moves with it, so the
    // distance from the grab point is how far the thumb still has to go.
    const double top = m_thumb + (y - m_grabY);
    if (top < kThumbTop || top > kThumbBottom)
        return;
    setThumb(top);
    requestRebuild(false);
}

void PlayListView::releaseThumb()
{
    if (!m_thumbHeld)
        return;
    m_thumbHeld = false;
    m_thumb = std::clamp(m_thumb, kThumbTop, kThumbBottom);
    Q_EMIT thumbChanged();
}

void PlayListView::playRow(int row)
{
    const int index = m_listTop + row;
    if (row < 0 || row >= m_rows.size() || index >= entryCount()) {
        m_player.requestTitleRefresh();
        m_player.switchLyricsOff();
        return;
    }
    m_player.setCurrentIndex(index);
    m_player.play();
}

void PlayListView::deleteSelected()
{
    const int row = effectiveRow();
    const int countBefore = entryCount();
    const int removed = m_listTop + row;
    if (row < 0 || removed >= countBefore)
        return;
    endRowDrag();
    m_list.removeAt(removed);

    // The current entry stays on the song it names: a row before it moves
    // it up by one; the current row itself gives way to the one before it.
    const int playing = m_player.currentIndex();
    const int current = removed == playing ? std::max(removed - 1, 0) : playing - (removed < playing ? 1 : 0);
    m_player.setCurrentIndex(current);
    if (m_listTop > 0)
        --m_listTop;
    if (countBefore <= kRows + 2 && removed == countBefore - 2)
        m_listTop = 0;
    m_listTop = std::clamp(m_listTop, 0, maxListTop());
    stepThumb(-1);

    // The entry that took the removed one's place stays selected, so the
    // button can be pressed again to go on deleting downwards.
    const int count = entryCount();
    const int next = std::min(removed, count - 1) - m_listTop;
    m_rememberedRow = count == 0 ? -1 : std::clamp(next, 0, std::min(kRows, count - m_listTop) - 1);
    requestRebuild(true);

    if (!fileExists(m_list.at(current)))
        m_player.stop();
    else
        m_player.showEntryName();
}

void PlayListView::removeDuplicates()
{
    if (entryCount() < 2)
        return;
    endRowDrag();
    int current = m_player.currentIndex();
    m_list.removeDuplicates(current);
    m_player.setCurrentIndex(current);
    resetToTop();
}

void PlayListView::beginRowDrag(int row)
{
    if (row < 0 || row >= m_rows.size() || m_listTop + row >= entryCount())
        return;
    m_rowDrag = true;
    m_dragRow = row;
    m_dragPath = m_list.at(m_listTop + row);
    selectRow(row);
}

void PlayListView::dragRowTo(int row)
{
    if (!m_rowDrag || row < 0 || row >= m_rows.size() || m_listTop + row >= entryCount())
        return;
    // The list changed under the drag (a rebuild moved the rows, or the
    // entry went): the held entry is no longer where the drag thinks.
    if (m_list.at(m_listTop + m_dragRow) != m_dragPath) {
        endRowDrag();
        return;
    }
    // A fast mouse can skip rows; the entry still travels one neighbour at a time.
    while (m_dragRow < row) {
        swapRows(m_dragRow, m_dragRow + 1);
        ++m_dragRow;
    }
    while (m_dragRow > row) {
        swapRows(m_dragRow, m_dragRow - 1);
        --m_dragRow;
    }
    selectRow(m_dragRow);
}

void PlayListView::swapRows(int a, int b)
{
    m_list.swap(m_listTop + a, m_listTop + b);
    m_rows[a] = rowText(m_listTop + a);
    m_rows[b] = rowText(m_listTop + b);
    Q_EMIT rowsChanged();
}

void PlayListView::endRowDrag()
{
    m_rowDrag = false;
    m_dragRow = -1;
    m_dragPath.clear();
}

void PlayListView::resetToTop()
{
    m_listTop = 0;
    setThumb(kThumbTop);
    requestRebuild(false);
}

void PlayListView::afterAppend()
{
    const int count = entryCount();
    if (count != kRows) {
        if (m_listTop == 0)
            setThumb(kThumbTop);
        else
            setThumb(std::clamp(kThumbTop + kThumbTravel * (m_listTop + kRows) / count, kThumbTop,
                                kThumbBottom));
    }
    requestRebuild(false);
}

} // namespace yk
