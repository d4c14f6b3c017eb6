#include "skin/BackWindow.h"

#include "ui/ToolWindow.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace yk {

namespace {

// Decodes straight to thumbnail size, which for JPEG skips most of the
// work; a registered photograph may be many megapixels. A camera's
// orientation tag is honoured, as on the main window.
QImage readThumbnail(const QString& path, int side)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (full.isValid() && (full.width() > side || full.height() > side))
        reader.setScaledSize(full.scaled(side, side, Qt::KeepAspectRatio));
    QImage img = reader.read();
    if (!img.isNull() && (img.width() > side || img.height() > side))
        img = img.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return img;
}

} // namespace

BackWindow::BackWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_tool(new ToolWindow(this))
{
    setObjectName(QStringLiteral("Back"));
    setWindowTitle(QStringLiteral(" 背景登録＆選択"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    for (int i = 0; i < 12; ++i) {
        const QString caption = QStringLiteral("No, ") + QString::number(i + 1);
        auto* cell = new QVBoxLayout;
        cell->setSpacing(2);
        auto* label = new QLabel(caption, this);
        label->setObjectName(QStringLiteral("lbl_No_%1").arg(i + 1));
        auto* thumb = new QLabel(this);
        thumb->setObjectName(QStringLiteral("IMG_TOP_%1").arg(i));
        thumb->setFixedSize(kThumbSide + 4, kThumbSide + 4);
        // A visible focus ring: the thumbnails are worked from the keyboard too.
        thumb->setStyleSheet(QStringLiteral(
            "QLabel { border: 1px solid palette(mid); background: palette(base); }"
            "QLabel:focus { border: 2px solid palette(highlight); }"));
        thumb->setAlignment(Qt::AlignCenter);
        thumb->setFocusPolicy(Qt::StrongFocus);
        thumb->setAccessibleName(caption);
        thumb->setCursor(Qt::PointingHandCursor);
        thumb->installEventFilter(this);
        label->setBuddy(thumb);
        cell->addWidget(label);
        cell->addWidget(thumb);
        grid->addLayout(cell, i / 4, i % 4);
        m_thumbs[size_t(i)] = thumb;
    }
    setFixedSize(sizeHint());
}

BackWindow::~BackWindow() = default;

void BackWindow::setSlots(const BackSlotList& slots)
{
    for (int i = 0; i < 12; ++i) {
        m_paths[size_t(i)] = slots[size_t(i)];
        loadThumbnail(i);
    }
    m_released = false;
}

void BackWindow::setSlotPicture(int slot, const QString& path)
{
    if (slot < 1 || slot > 12)
        return;
    m_paths[size_t(slot - 1)] = path;
    loadThumbnail(slot - 1);
}

void BackWindow::loadThumbnail(int index)
{
    const quint64 generation = ++m_generation[size_t(index)];
    QLabel* thumb = m_thumbs[size_t(index)];
    thumb->clear();
    const QString path = m_paths[size_t(index)];
    thumb->setAccessibleDescription(path.trimmed().isEmpty() ? QString()
                                                               : QFileInfo(path).fileName());
    if (path.trimmed().isEmpty()) {
        Q_EMIT thumbnailLoaded(index + 1);
        return;
    }
    auto* watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, index, generation] {
        watcher->deleteLater();
        // A newer picture for this slot, or a close, overtook this one.
        if (generation != m_generation[size_t(index)])
            return;
        const QImage img = watcher->result();
        if (!img.isNull())
            m_thumbs[size_t(index)]->setPixmap(QPixmap::fromImage(img));
        Q_EMIT thumbnailLoaded(index + 1);
    });
    watcher->setFuture(QtConcurrent::run(readThumbnail, path, kThumbSide));
}

void BackWindow::releaseThumbnails()
{
    for (int i = 0; i < 12; ++i) {
        ++m_generation[size_t(i)];
        m_thumbs[size_t(i)]->clear();
    }
    m_released = true;
}

QPixmap BackWindow::thumbnail(int slot) const
{
    if (slot < 1 || slot > 12)
        return {};
    return m_thumbs[size_t(slot - 1)]->pixmap();
}

int BackWindow::slotOf(QObject* object) const
{
    for (int i = 0; i < 12; ++i)
        if (m_thumbs[size_t(i)] == object)
            return i + 1;
    return 0;
}

bool BackWindow::eventFilter(QObject* watched, QEvent* event)
{
    const int slot = slotOf(watched);
    if (slot == 0)
        return QWidget::eventFilter(watched, event);

    if (event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            Q_EMIT showRequested(slot);
            return true;
        }
        if (mouse->button() == Qt::LeftButton) {
            Q_EMIT registerRequested(slot);
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            m_tool->recordPosition();
            Q_EMIT registerRequested(slot);
            return true;
        case Qt::Key_Menu:
            m_tool->recordPosition();
            Q_EMIT showRequested(slot);
            return true;
        default:
            break; // reaches keyPressEvent of the window
        }
    } else if (event->type() == QEvent::ContextMenu) {
        // The right button has already been handled on press.
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void BackWindow::keyPressEvent(QKeyEvent* event)
{
    m_tool->recordPosition();
    if (event->key() == Qt::Key_Escape) {
        Q_EMIT saveRequested();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void BackWindow::closeEvent(QCloseEvent* event)
{
    m_tool->recordPosition();
    releaseThumbnails();
    QWidget::closeEvent(event);
}

void BackWindow::showEvent(QShowEvent* event)
{
    if (m_released) {
        m_released = false;
        for (int i = 0; i < 12; ++i)
            loadThumbnail(i);
    }
    QWidget::showEvent(event);
}

} // namespace yk
