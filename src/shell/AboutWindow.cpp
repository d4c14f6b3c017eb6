#include "shell/AboutWindow.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

#include "ui/AppIcon.h"
#include "ui/ToolWindow.h"

namespace yk {

const QString AboutWindow::kOpenHint = QStringLiteral(
    "\\t\\h\\s[5]β版とかは伝言板で公開してるらしいよ"
    "\\w5\\u\\s[0]バグ報告のカキコとかないって\\n\\n\\w7嘆いてるらいいで‥‥\\n\\n"
    "\\w9よかったらなんかカキコしてってな\\h\\s[3]\\w9\\w9\\n\\n反応がないとやっぱり寂しいもんね\\e");
const QString AboutWindow::kNameKana = QStringLiteral("ﾖ ﾐ ｶ ｾﾞ");
const QString AboutWindow::kVersionText = QStringLiteral("Version 1.35");

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 276;
constexpr int kUrlButtonWidth = 260;

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    return l;
}

} // namespace

QPixmap AboutWindow::titlePicture()
{
    // A strip of evening sky with wind lines sweeping through the name.
    const QSize size(240, 44);
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QPainterPath band;
    band.addRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 8, 8);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0.0, QColor(0x2e, 0x3f, 0x7a));
    sky.setColorAt(0.6, QColor(0x5b, 0x7f, 0xc4));
    sky.setColorAt(1.0, QColor(0xf2, 0xb6, 0x8a));
    p.fillPath(band, sky);

    p.setClipPath(band);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        QPainterPath wind;
        const qreal y = 12 + 10 * i;
        wind.moveTo(-10, y + 6);
        wind.cubicTo(60, y - 8, 120, y + 14, 250, y - 4);
        p.setPen(QPen(QColor(255, 255, 255, 70 - 15 * i), 2.0 - 0.4 * i));
        p.drawPath(wind);
    }

    QFont font(QStringLiteral("Serif"));
    font.setPixelSize(26);
    font.setBold(true);
    font.setItalic(true);
    QPainterPath text;
    text.addText(0, 0, font, QStringLiteral("Yomikaze"));
    const QRectF box = text.boundingRect();
    text.translate(QPointF((size.width() - box.width()) / 2 - box.left(),
                           (size.height() - box.height()) / 2 - box.top()));
    p.setPen(QPen(QColor(0x1c, 0x24, 0x4a), 3.0));
    p.drawPath(text);
    p.fillPath(text, QColor(0xfb, 0xf8, 0xf1));
    return pm;
}

AboutWindow::AboutWindow(const QString& homePage, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowIcon(appIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(kWidth, kHeight);

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("picIcon"));
    m_icon->setGeometry(16, 18, 32, 32);
    m_icon->setPixmap(appIcon().pixmap(32, 32));
    m_icon->setCursor(Qt::PointingHandCursor);
    m_icon->installEventFilter(this);

    m_pictureName = makeLabel(this, "lbl_Pct_Name", QString(), QRect(64, 12, 240, 44));
    m_pictureName->setPixmap(titlePicture());
    m_pictureName->setAccessibleName(QStringLiteral("Yomikaze"));

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("Fra_1"));
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_frame->setFrameShadow(QFrame::Sunken);
    m_frame->setGeometry(12, 66, 296, 120);

    m_author = makeLabel(m_frame, "lbl_Name_r", kNameKana, QRect(12, 8, 272, 20));
    m_version = makeLabel(m_frame, "lblVersion", QStringLiteral("ﾊﾞｰｼﾞｮﾝ"), QRect(12, 30, 70, 20));
    m_titleLabel = makeLabel(m_frame, "lblTitle", kVersionText, QRect(86, 30, 198, 20));
    m_description = makeLabel(m_frame, "lblDescription",
                               QStringLiteral("カレンダーと時計に、タイマー、日ごとのメモ、"
                                              "音楽とムービーのプレーヤー、ランチャーを"
                                              "まとめたデスクトップ・カレンダーです。"),
                               QRect(12, 52, 272, 62));
    m_description->setWordWrap(true);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_address = makeLabel(this, "lbl_URL", QStringLiteral("URL"), QRect(14, 198, 32, 24));

    m_homePageButton = new QPushButton(this);
    m_homePageButton->setObjectName(QStringLiteral("cmb_URL"));
    m_homePageButton->setGeometry(48, 196, kUrlButtonWidth, 26);
    m_homePageButton->setAutoDefault(false);
    connect(m_homePageButton, &QPushButton::clicked, this, [this] { Q_EMIT homePageRequested(m_homePage); });

    m_rule = new QFrame(this);
    m_rule->setObjectName(QStringLiteral("Line1"));
    m_rule->setFrameShape(QFrame::HLine);
    m_rule->setFrameShadow(QFrame::Sunken);
    m_rule->setGeometry(12, 230, 296, 2);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("cmdOK"));
    m_okButton->setGeometry(228, 240, 80, 26);
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, [this] {
        accept();
        Q_EMIT okClicked();
    });

    setHomePage(homePage);

    // Labels and the frame leave their mouse presses to the window, so the
    // window as handle drags by all of them; the buttons and the icon keep theirs.
    m_tool = new ToolWindow(this);
    m_tool->addDragHandle(this);
}

void AboutWindow::setHomePage(const QString& address)
{
    m_homePage = address;
    // A long local address is shortened in the middle; the tip shows it whole.
    const QString shown = m_homePageButton->fontMetrics().elidedText(address, Qt::ElideMiddle,
                                                            kUrlButtonWidth - 16);
    QString caption = shown;
    caption.replace(u'&', QStringLiteral("&&"));
    m_homePageButton->setText(caption);
    m_homePageButton->setToolTip(address);
}

void AboutWindow::openAbout()
{
    Q_EMIT opened();
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_icon) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            return true; // the icon is a link, not a handle for dragging
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::LeftButton && m_icon->rect().contains(me->position().toPoint()))
                Q_EMIT homePageRequested(m_homePage);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace yk
