#include "calendar/Memo.h"

#include <algorithm>

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace yk {

namespace {

constexpr int kStripHeight = 14;

// Tab captions and their text boxes, in tab order.
const std::array<QString, 4> kTabCaptions = {QStringLiteral("日記"), QStringLiteral("午前"),
                                             QStringLiteral("午後"), QStringLiteral("メモ")};
const std::array<QString, 4> kTextNames = {QStringLiteral("Txt_Memo"), QStringLiteral("Txt_Memo2"),
                                           QStringLiteral("Txt_Memo3"), QStringLiteral("Txt_Memo4")};
const std::array<QString, 4> kStripNames = {QStringLiteral("lbl_Move"), QStringLiteral("lbl_Move2"),
                                            QStringLiteral("lbl_Move3"), QStringLiteral("lbl_Move4")};

} // namespace

Memo::Memo(DayNoteStore store, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_store(std::move(store))
{
    setObjectName(QStringLiteral("Memo"));
    setWindowTitle(QStringLiteral("メモ"));
    setAccessibleName(QStringLiteral("メモ"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab_Txt"));
    m_tabs->setAccessibleName(QStringLiteral("メモの種類"));

    for (size_t i = 0; i < m_texts.size(); ++i) {
        auto* page = new QWidget(m_tabs);
        auto* column = new QVBoxLayout(page);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        auto* strip = new QLabel(page);
        strip->setFixedHeight(kStripHeight);
        strip->setObjectName(kStripNames[i]);
        strip->setAccessibleName(QStringLiteral("移動"));
        strip->setCursor(Qt::SizeAllCursor);
        strip->setAutoFillBackground(true);
        strip->setBackgroundRole(QPalette::Mid);
        strip->installEventFilter(this);
        m_strips[i] = strip;

        auto* text = new QPlainTextEdit(page);
        text->setObjectName(kTextNames[i]);
        text->setAccessibleName(kTabCaptions[i]);
        text->setTabChangesFocus(true);
        m_texts[i] = text;
        column->addWidget(strip);
        column->addWidget(text, 1);

        m_tabs->addTab(page, kTabCaptions[i]);
    }
    m_tabs->tabBar()->installEventFilter(this);

    auto* buttons = new QWidget(m_tabs);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(2);
    m_save = new QPushButton(QStringLiteral("記録(&S)"), buttons);
    m_save->setObjectName(QStringLiteral("cmdSave"));
    m_save->setAccessibleName(QStringLiteral("記録"));
    m_delete = new QPushButton(QStringLiteral("消去(&D)"), buttons);
    m_delete->setObjectName(QStringLiteral("cmbdel"));
    m_delete->setAccessibleName(QStringLiteral("消去"));
    m_back = new QPushButton(QStringLiteral("戻る(&E)"), buttons);
    m_back->setObjectName(QStringLiteral("cmbesc"));
    m_back->setAccessibleName(QStringLiteral("戻る"));
    for (QPushButton* b : {m_save, m_delete, m_back}) {
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    // The tab control fills the window, so the buttons sit beside the tabs.
    m_tabs->setCornerWidget(buttons, Qt::TopRightCorner);

    connect(m_save, &QPushButton::clicked, this, &Memo::save);
    connect(m_delete, &QPushButton::clicked, this, &Memo::deleteDay);
    connect(m_back, &QPushButton::clicked, this, &Memo::back);

    watchKeys(this);
    setMinimumSize(m_tabs->tabBar()->sizeHint().width() + buttons->sizeHint().width() + 16, 120);
    resize(std::max(380, minimumWidth()), 240);
}

void Memo::watchKeys(QWidget* widget)
{
    widget->installEventFilter(this);
    const auto children = widget->findChildren<QWidget*>();
    for (QWidget* child : children)
        child->installEventFilter(this);
}

bool Memo::openDay(const QString& selDate)
{
    if (!DayNoteStore::isDayStem(selDate))
        return false;
    if (!isVisible())
        m_texts[3]->clear();
    m_day = selDate;
    for (size_t i = 0; i < 3; ++i)
        m_texts[i]->clear();
    if (const auto note = m_store.readDay(m_day)) {
        m_texts[0]->setPlainText(note->diary);
        m_texts[1]->setPlainText(note->morning);
        m_texts[2]->setPlainText(note->afternoon);
    }
    if (const auto common = m_store.readCommonMemo())
        m_texts[3]->setPlainText(*common);
    return true;
}

void Memo::placeTwips(int topTwips, int leftTwips)
{
    move(leftTwips / kTwipsPerPixel, topTwips / kTwipsPerPixel);
}

int Memo::topTwips() const
{
    return y() * kTwipsPerPixel;
}

int Memo::leftTwips() const
{
    return x() * kTwipsPerPixel;
}

void Memo::setTopMost(bool on)
{
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown)
        show(); // changing the flags hides the window
}

void Memo::ini()
{
    Q_EMIT positionReport(topTwips(), leftTwips());
    Q_EMIT notesChanged();
}

void Memo::save()
{
    const DayNote note{m_texts[0]->toPlainText(), m_texts[1]->toPlainText(), m_texts[2]->toPlainText()};
    if (!m_store.write(m_day, note, m_texts[3]->toPlainText())) {
        ini();
        reportFailure(QStringLiteral("メモを記録できませんでした。"));
        return;
    }
    close();
}

void Memo::deleteDay()
{
    if (!m_store.deleteDay(m_day)) {
        ini();
        reportFailure(QStringLiteral("メモを消去できませんでした。"));
        return;
    }
    close();
}

void Memo::back()
{
    close();
}

void Memo::reportFailure(const QString& text)
{
    // Not exec(): the clock must keep ticking behind the message.
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("memoFailure"));
    box->open();
}

void Memo::closeEvent(QCloseEvent* event)
{
    m_dragging = false;
    ini();
    QWidget::closeEvent(event);
    Q_EMIT closed();
}

void Memo::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The tab control follows the window with its usual margins (in twips:
    // 60 left and right, 60 above, 75 below); below the thresholds it keeps
    // its size. Each text box fills its page under the drag strip.
    const int h = height() * kTwipsPerPixel;
    const int w = width() * kTwipsPerPixel;
    QSize tabs = m_tabs->size();
    if (h > 660)
        tabs.setHeight((h - 135) / kTwipsPerPixel);
    if (w > 120)
        tabs.setWidth((w - 120) / kTwipsPerPixel);
    m_tabs->setGeometry(60 / kTwipsPerPixel, 60 / kTwipsPerPixel, tabs.width(), tabs.height());
}

void Memo::focusShownText()
{
    const QString caption = m_tabs->tabText(m_tabs->currentIndex());
    const auto it = std::find(kTabCaptions.cbegin(), kTabCaptions.cend(), caption);
    if (it != kTabCaptions.cend())
        m_texts[static_cast<size_t>(it - kTabCaptions.cbegin())]->setFocus(Qt::MouseFocusReason);
}

bool Memo::handleDrag(QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_dragging = true;
        m_dragOffset = global - pos();
        return true;
    case QEvent::MouseMove:
        if (m_dragging)
            move(global - m_dragOffset);
        return true;
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        return true;
    default:
        return false;
    }
}

bool Memo::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove
        || type == QEvent::MouseButtonRelease) {
        if (std::find(m_strips.cbegin(), m_strips.cend(), watched) != m_strips.cend())
            return handleDrag(event);
        if (watched == m_tabs->tabBar() && type == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            // The tab changes on the press; the release hands its text the keys.
            focusShownText();
        }
        return false;
    }

    if (type == QEvent::KeyRelease) {
        m_keyEvent = nullptr;
        return false;
    }
    if (type == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // A key ignored by a child travels up to its parents as the same
        // event; count it once. (The same address may come back for the
        // next key, but then at the first receiver again, not a parent.)
        if (event == m_keyEvent && m_keyReceiver && widget && widget != m_keyReceiver
            && widget->isAncestorOf(m_keyReceiver))
            return false;
        m_keyEvent = event;
        m_keyReceiver = widget;
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            close(); // closing runs the bookkeeping
            return true;
        }
        ini();
        return false;
    }
    return false;
}

} // namespace yk
