#include "media/PlayWindow.h"

#include "shell/ToolWindow.h"

namespace yk {

PlayWindow::PlayWindow(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window)
{
    setObjectName(QStringLiteral("frm_Play"));
    setWindowTitle(QStringLiteral("Yomikaze プレイリスト"));
    setAccessibleName(QStringLiteral("プレイリスト"));
    setFixedSize(kSide, kSide);

    pct_Play = new QLabel(this);
    pct_Play->setObjectName(QStringLiteral("pct_Play"));
    pct_Play->setGeometry(0, 0, kSide, kSide);

    lst_Files_Name = new QListWidget(this);
    lst_Files_Name->setObjectName(QStringLiteral("lst_Files_Name"));
    lst_Files_Name->setAccessibleName(QStringLiteral("曲の一覧"));
    lst_Files_Name->setGeometry(7, 7, 163, 150);
    lst_Files_Name->setFrameShape(QFrame::NoFrame);
    lst_Files_Name->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lst_Files_Name->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lst_Files_Name->setStyleSheet(QStringLiteral(
        "QListWidget { background: transparent; font-size: 10px; }"
        "QListWidget::item { height: 11px; padding: 0px; }"));

    m_tool = new ToolWindow(this);
    m_tool->addDragHandle(pct_Play, ToolWindow::Snap::WorkAreaEdges);
}

void PlayWindow::setPicture(const QPixmap& picture)
{
    pct_Play->setPixmap(picture);
}

} // namespace yk
