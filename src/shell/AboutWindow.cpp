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

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(16, 18, 32, 32);
    picIcon->setPixmap(appIcon().pixmap(32, 32));
    picIcon->setCursor(Qt::PointingHandCursor);
    picIcon->installEventFilter(this);

    lbl_Pct_Name = makeLabel(this, "lbl_Pct_Name", QString(), QRect(64, 12, 240, 44));
    lbl_Pct_Name->setPixmap(titlePicture());
    lbl_Pct_Name->setAccessibleName(QStringLiteral("Yomikaze"));

    Fra_1 = new QFrame(this);
    Fra_1->setObjectName(QStringLiteral("Fra_1"));
    Fra_1->setFrameShape(QFrame::StyledPanel);
    Fra_1->setFrameShadow(QFrame::Sunken);
    Fra_1->setGeometry(12, 66, 296, 120);

    lbl_Name_r = makeLabel(Fra_1, "lbl_Name_r", kNameKana, QRect(12, 8, 272, 20));
    lblVersion = makeLabel(Fra_1, "lblVersion", QStringLiteral("ﾊﾞｰｼﾞｮﾝ"), QRect(12, 30, 70, 20));
    lblTitle = makeLabel(Fra_1, "lblTitle", kVersionText, QRect(86, 30, 198, 20));
    lblDescription = makeLabel(Fra_1, "lblDescription",
                               QStringLiteral("カレンダーと時計に、タイマー、日ごとのメモ、"
                                              "音楽とムービーのプレーヤー、ランチャーを"
                                              "まとめたデスクトップ・カレンダーです。"),
                               QRect(12, 52, 272, 62));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lbl_URL = makeLabel(this, "lbl_URL", QStringLiteral("URL"), QRect(14, 198, 32, 24));

    cmb_URL = new QPushButton(this);
    cmb_URL->setObjectName(QStringLiteral("cmb_URL"));
    cmb_URL->setGeometry(48, 196, kUrlButtonWidth, 26);
    cmb_URL->setAutoDefault(false);
    connect(cmb_URL, &QPushButton::clicked, this, [this] { Q_EMIT homePageRequested(m_homePage); });

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(12, 230, 296, 2);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(228, 240, 80, 26);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] {
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
    const QString shown = cmb_URL->fontMetrics().elidedText(address, Qt::ElideMiddle,
                                                            kUrlButtonWidth - 16);
    QString caption = shown;
    caption.replace(u'&', QStringLiteral("&&"));
    cmb_URL->setText(caption);
    cmb_URL->setToolTip(address);
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
    if (watched == picIcon) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            return true; // the icon is a link, not a handle for dragging
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::LeftButton && picIcon->rect().contains(me->position().toPoint()))
                Q_EMIT homePageRequested(m_homePage);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace yk
