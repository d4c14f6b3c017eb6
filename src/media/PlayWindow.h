#pragma once

#include <QLabel>
#include <QListWidget>
#include <QWidget>

namespace yk {

class PlayList;

// The play-list window `frm_Play`: a skinned square beside the main window.
// It exists from start-up (hidden) because start-up draws its picture; the
// visible rows are rebuilt from the play list on request.
class PlayWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kSide = 177;
    static constexpr int kRows = 13;

    explicit PlayWindow(PlayList& list, QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    QPixmap picture() const;

    // Rows `top` .. `top` + 12 of the play list.
    void rebuildRows(int top);

    QLabel* pct_Play = nullptr;
    QListWidget* lst_Files_Name = nullptr;

private:
    PlayList& m_list;
};

} // namespace yk
