#pragma once

#include "skin/BackgroundSlots.h"

#include <QPixmap>
#include <QWidget>

#include <array>

class QLabel;

namespace yk {

class ToolWindow;

// The background window `Back`: the twelve slots as thumbnails. A right
// button on a thumbnail asks to show that slot, a left button asks to
// register a picture for it; the owner does both (BackgroundSlots, the
// file picker) and feeds the slot paths back through setSlots().
//
// Keyboard: Tab moves between thumbnails, Enter or Space registers, the
// context-menu key shows, Esc saves and closes.
class BackWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kThumbSide = 72;

    explicit BackWindow(QWidget* parent = nullptr);
    ~BackWindow() override;

    // Thumbnails are decoded off the UI thread; thumbnailLoaded() tells
    // when each is on screen.
    void setSlots(const BackSlotList& slots);
    void setSlotPicture(int slot, const QString& path);

    // Placement, always-on-top and the position record (on every key typed
    // in the window and when it closes).
    ToolWindow* toolWindow() const { return m_tool; }

    // The thumbnail of `slot` as shown (null while empty or loading).
    QPixmap thumbnail(int slot) const;

Q_SIGNALS:
    void showRequested(int slot);
    void registerRequested(int slot);
    // Esc: the settings are to be written; the window closes right after.
    void saveRequested();
    void thumbnailLoaded(int slot);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int slotOf(QObject* object) const;
    void loadThumbnail(int index);
    void releaseThumbnails();

    ToolWindow* m_tool = nullptr;
    std::array<QLabel*, 12> m_thumbs{};
    std::array<QString, 12> m_paths;
    std::array<quint64, 12> m_generation{};
    bool m_released = false;
};

} // namespace yk
