#include "calendar/Memo.h"

#include "ui/ToolWindow.h"
#include "core/Twips.h"

#include <algorithm>

#include <QCloseEvent>
#include <QDate>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSizeGrip>
#include <QTabBar>
#include <QTabWidget>

namespace yk {

namespace {

// The tab strip is 300 twips high: the resize rule leaves the text boxes
// exactly the tab control's height less that strip.
constexpr int kTabRowPixels = 300 / kTwipsPerPixel;
constexpr int kGripSide = 10;

// Tab captions and their text boxes, in tab order.
const std::array<QString, 4> kTabCaptions = {QStringLiteral("日記"), QStringLiteral("午前"),
                                             QStringLiteral("午後"), QStringLiteral("メモ")};
const std::array<QString, 4> kTextNames = {QStringLiteral("Txt_Memo"), QStringLiteral("Txt_Memo2"),
                                           QStringLiteral("Txt_Memo3"), QStringLiteral("Txt_Memo4")};
const std::array<QString, 4> kStripNames = {QStringLiteral("lbl_Move"), QStringLiteral("lbl_Move2"),
                                            QStringLiteral("lbl_Move3"), QStringLiteral("lbl_Move4")};

// A text box with its tab's drag strip across its top edge, above the text:
// the box keeps the whole page, so its size is the one the resize rule
// gives, and the strip never hides a line.
class StripTextEdit : public QPlainTextEdit
{
public:
    StripTextEdit(QLabel* strip, QWidget* parent)
        : QPlainTextEdit(parent)
        , m_strip(strip)
    {
        m_strip->setParent(this);
        setViewportMargins(0, m_strip->height(), 0, 0);
    }

protected:
    bool viewportEvent(QEvent* event) override
    {
        // The viewport moves and narrows as the scroll bar comes and goes.
        if (event->type() == QEvent::Resize || event->type() == QEvent::Move)
            placeStrip();
        return QPlainTextEdit::viewportEvent(event);
    }
    void resizeEvent(QResizeEvent* event) override
    {
        QPlainTextEdit::resizeEvent(event);
        placeStrip();
    }

private:
    void placeStrip()
    {
        const QRect port = viewport()->geometry();
        m_strip->setGeometry(port.left(), port.top() - m_strip->height(), port.width(), m_strip->height());
    }

    QLabel* m_strip;
};

} // namespace

QString Memo::dayCaption(const QString& selDate)
{
    const QDate date = QDate::fromString(selDate, QStringLiteral("yyyyMMdd"));
    if (selDate.size() != 8 || !date.isValid())
        return {};
    static const QString weekdays = QStringLiteral("月火水木金土日"); // dayOfWeek 1 = Monday
    return QStringLiteral("%1月%2日（%3）")
        .arg(date.month())
        .arg(date.day())
        .arg(weekdays.at(date.dayOfWeek() - 1));
}

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
    // Pages without a frame and a tab row of kTabRowPixels: a page is then
    // exactly as large as the text box the resize rule sizes.
    m_tabs->setDocumentMode(true);
    m_tabs->tabBar()->setStyleSheet(
        QStringLiteral("QTabBar::tab { height: %1px; max-height: %1px; padding: 0px 8px; margin: 0px; }")
            .arg(kTabRowPixels));

    m_tool = new ToolWindow(this);
    const int stripHeight = fontMetrics().height() + 2;
    for (size_t i = 0; i < m_texts.size(); ++i) {
        auto* page = new QWidget(m_tabs);
        auto* strip = new QLabel(page);
        strip->setFixedHeight(stripHeight);
        strip->setObjectName(kStripNames[i]);
        strip->setAccessibleName(QStringLiteral("移動"));
        strip->setAlignment(Qt::AlignCenter);
        strip->setCursor(Qt::SizeAllCursor);
        strip->setAutoFillBackground(true);
        strip->setBackgroundRole(QPalette::Mid);
        strip->setForegroundRole(QPalette::BrightText);
        m_tool->addDragHandle(strip);
        m_strips[i] = strip;

        auto* text = new StripTextEdit(strip, page);
        text->setObjectName(kTextNames[i]);
        text->setAccessibleName(kTabCaptions[i]);
        text->setTabChangesFocus(true);
        m_texts[i] = text;

        m_tabs->addTab(page, kTabCaptions[i]);
    }
    m_strips[3]->setText(QStringLiteral("共通メモ"));
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
        b->setMaximumHeight(kTabRowPixels);
        row->addWidget(b);
    }
    // The tab control fills the window, so the buttons sit beside the tabs.
    m_tabs->setCornerWidget(buttons, Qt::TopRightCorner);

    connect(m_save, &QPushButton::clicked, this, &Memo::save);
    connect(m_delete, &QPushButton::clicked, this, &Memo::deleteDay);
    connect(m_back, &QPushButton::clicked, this, &Memo::back);

    // Any size is allowed: below the rule's thresholds the controls keep
    // their size and the window shows part of them.
    m_grip = new QSizeGrip(this);
    m_grip->setObjectName(QStringLiteral("sizeGrip"));
    m_grip->setAccessibleName(QStringLiteral("大きさ変更"));
    m_grip->setFixedSize(kGripSide, kGripSide);

    watchKeys(this);
    resize(std::max(380, m_tabs->tabBar()->sizeHint().width() + buttons->sizeHint().width() + 16), 240);
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
    // A file too large to be a note is not opened at all: shown empty, the
    // next save would overwrite it.
    const auto note = m_store.readDayFile(selDate);
    const auto common = m_store.readCommonMemoFile();
    for (const QString& refused : {note.status == DayNoteStore::ReadStatus::TooLarge ? note.path : QString(),
                                   common.status == DayNoteStore::ReadStatus::TooLarge ? common.path : QString()}) {
        if (!refused.isEmpty()) {
            reportFailure(DayNoteStore::tooLargeMessage(refused), isVisible() ? this : nullptr);
            return false;
        }
    }
    if (!isVisible())
        m_texts[3]->clear();
    m_day = selDate;
    const QString caption = dayCaption(selDate);
    for (size_t i = 0; i < 3; ++i) {
        m_texts[i]->clear();
        m_strips[i]->setText(caption);
    }
    if (note.ok()) {
        m_texts[0]->setPlainText(note.value.diary);
        m_texts[1]->setPlainText(note.value.morning);
        m_texts[2]->setPlainText(note.value.afternoon);
    }
    if (common.ok())
        m_texts[3]->setPlainText(common.value);
    return true;
}

void Memo::ini()
{
    m_tool->recordPosition();
    Q_EMIT notesChanged();
}

void Memo::save()
{
    const DayNote note{m_texts[0]->toPlainText(), m_texts[1]->toPlainText(), m_texts[2]->toPlainText()};
    if (!m_store.write(m_day, note, m_texts[3]->toPlainText())) {
        ini();
        reportFailure(QStringLiteral("メモを記録できませんでした。"), this);
        return;
    }
    close();
}

void Memo::deleteDay()
{
    if (!m_store.deleteDay(m_day)) {
        ini();
        reportFailure(QStringLiteral("メモを消去できませんでした。"), this);
        return;
    }
    close();
}

void Memo::back()
{
    close();
}

void Memo::reportFailure(const QString& text, QWidget* parent)
{
    // Not exec(): the clock must keep ticking behind the message.
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("memoFailure"));
    box->open();
}

void Memo::closeEvent(QCloseEvent* event)
{
    ini();
    QWidget::closeEvent(event);
    Q_EMIT closed();
}

void Memo::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The tab control keeps margins of 60 twips left, right and above and
    // 75 below, each text box is the tab control less its tab row; below
    // the thresholds a control keeps the size it has.
    const int h = toTwips(height());
    const int w = toTwips(width());
    QSize tabs = m_tabs->size();
    if (h > 660)
        tabs.setHeight(toPixels(h - 135));
    if (w > 120)
        tabs.setWidth(toPixels(w - 120));
    m_tabs->setGeometry(toPixels(60), toPixels(60), tabs.width(), tabs.height());
    for (QPlainTextEdit* text : m_texts) {
        QSize box = text->size();
        if (h > 965)
            box.setHeight(toPixels(h - 435));
        if (w > 120)
            box.setWidth(toPixels(w - 120));
        text->setGeometry(0, 0, box.width(), box.height());
    }
    m_grip->move(width() - m_grip->width(), height() - m_grip->height());
    m_grip->raise();
}

void Memo::focusShownText()
{
    const QString caption = m_tabs->tabText(m_tabs->currentIndex());
    const auto it = std::find(kTabCaptions.cbegin(), kTabCaptions.cend(), caption);
    if (it != kTabCaptions.cend())
        m_texts[static_cast<size_t>(it - kTabCaptions.cbegin())]->setFocus(Qt::MouseFocusReason);
}

bool Memo::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonRelease && watched == m_tabs->tabBar()
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // The tab changes on the press; the release hands its text the keys.
        focusShownText();
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
