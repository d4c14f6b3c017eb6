#pragma once

#include <QLabel>
#include <QListWidget>
#include <QWidget>

namespace yk {

// The play-list window `frm_Play`: a skinned square beside the main window.
// It exists from start-up (hidden) because start-up draws its picture; its
// rows and buttons come with the player.
class PlayWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kSide = 177;

    explicit PlayWindow(QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    QPixmap picture() const;

    QLabel* pct_Play = nullptr;
    QListWidget* lst_Files_Name = nullptr;
};

} // namespace yk
