#pragma once

#include <functional>

#include <QObject>
#include <QStringList>

namespace yk {

class PlayList;
class Player;

// What the play-list window shows and how its controls act, without the
// widgets: the first visible entry (List_Top), the picture thumb's top, the
// 13 row texts, the selected row and the requests for the next clock tick.
//
// Rows are rebuilt only by tickRows(), which the clock tick calls; every
// operation here just records what the next rebuild has to do, so a burst of
// scrolls or thumb moves costs one rebuild.
//
// The thumb runs from kThumbTop (first entry at the top) to kThumbBottom
// (last 13 entries shown), in window pixels. With n = entries − 13, one row
// of scrolling is kThumbTravel / n pixels.
class PlayListView : public QObject
{
    Q_OBJECT
public:
    static constexpr int kRows = 13;
    static constexpr double kThumbTop = 7.0;
    static constexpr double kThumbBottom = 134.0;
    static constexpr double kThumbTravel = kThumbBottom - kThumbTop;
    static constexpr int kWideList = 163;   // no thumb: the list takes its room
    static constexpr int kNarrowList = 152; // leaves room for the thumb

    // What a key pressed in the list comes to.
    enum class KeyResult {
        Handled,        // the view acted (or the key is to do nothing)
        ListNavigation, // the list moves its own selection (Up/Down inside the rows)
        Forward,        // the main window's keyboard commands take it
    };

    // The ID3 title of a file, empty when it has none.
    using TitleSource = std::function<QString(const QString& path)>;

    PlayListView(PlayList& list, Player& player, QObject* parent = nullptr);

    // By default the title comes from the file's ID3 version 1 tag.
    void setTitleSource(TitleSource source);

    // --- state ---
    int listTop() const { return m_listTop; }
    double thumbTop() const { return m_thumb; }
    bool thumbHeld() const { return m_thumbHeld; }
    // More than 13 entries: the thumb shows and the list narrows.
    bool scrollable() const;
    int listWidth() const { return scrollable() ? kNarrowList : kWideList; }
    // The visible rows as of the last rebuild (at most 13).
    const QStringList& rows() const { return m_rows; }
    int selectedRow() const { return m_selectedRow; } // -1: none
    bool rebuildPending() const { return m_listChanged; }
    bool topFixedPending() const { return m_topFixed; }
    bool rowDragging() const { return m_rowDrag; }

    // "  7 Title": entry number, a space, the title or the file name less
    // its last four characters; "Read Error" for an empty path or a
    // missing file.
    QString rowText(int index) const;

    // The first visible entry a thumb at `thumbTop` stands for, with
    // n = entries − 13 > 0: 0 at or above 8, n at or below 134, otherwise
    // the lowest i with travel·i/n < top − 7 and travel·(i+1)/n > top − 8.
    static int listTopForThumb(double thumbTop, int n);

    // --- requests for the next tick ---
    // The rows are rebuilt; with keepTop List_Top stays as it is and the
    // remembered row is selected again, otherwise List_Top follows the thumb.
    void requestRebuild(bool keepTop = false);
    // The clock-tick step: rebuilds the rows when asked (here or through the
    // player's list-changed flag). Returns whether it rebuilt.
    bool tickRows();

    // --- operations ---
    void setSelectedRow(int row);
    void scrollUp();   // img_Up
    void scrollDown(); // img_Down
    KeyResult handleKey(int key);

    // Thumb drag; y is the mouse's height inside the thumb, in pixels.
    void pressThumb(int y);
    void moveThumb(int y);
    void releaseThumb();

    // Plays the entry shown in `row`; without one only the title is refreshed.
    void playRow(int row);
    void playSelected() { playRow(m_selectedRow); }
    // Removes the entry in the selected row (img_Delete).
    void deleteSelected();
    // Removes later copies of every path; the view goes back to the top.
    void removeDuplicates();

    // Reordering by dragging a row: each step to a neighbouring row swaps
    // the two entries. The current entry's index does not follow.
    void beginRowDrag(int row);
    void dragRowTo(int row);
    void endRowDrag();

    // The list was emptied or replaced: thumb and List_Top back to the top.
    void resetToTop();
    // Entries were appended from the window itself (a drop or the add
    // button): the thumb is placed for the new length, playback untouched.
    void afterAppend();

Q_SIGNALS:
    void rowsChanged();
    void selectionChanged(int row);
    // Position or face of the thumb.
    void thumbChanged();

private:
    int entryCount() const;
    int maxListTop() const;
    // The row the next rebuild selects, or the live selection.
    int effectiveRow() const;
    // Moves List_Top by `delta` rows and the thumb with it; false when it
    // cannot move.
    bool scrollBy(int delta);
    void stepThumb(int rows);
    void setThumb(double top);
    void selectRow(int row);
    void onCurrentEntryFocused(int index);
    void swapRows(int a, int b);

    PlayList& m_list;
    Player& m_player;
    TitleSource m_titleSource;

    int m_listTop = 0;
    double m_thumb = kThumbTop;
    bool m_thumbHeld = false;
    int m_grabY = 0;
    QStringList m_rows;
    int m_selectedRow = -1;
    int m_rememberedRow = -1;
    bool m_listChanged = false;
    bool m_topFixed = false;

    bool m_rowDrag = false;
    int m_dragRow = -1;
    QString m_dragPath;
};

} // namespace yk
