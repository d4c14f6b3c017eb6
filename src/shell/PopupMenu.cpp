#include "shell/PopupMenu.h"

#include <QAction>
#include <QMenu>

namespace yk {

namespace {

// The background submenu's check marks, in BackMenuItem order (1..15).
const char* const kBackgroundItems[] = {
    "mnu_No1", "mnu_No2", "mnu_No3",  "mnu_No4",  "mnu_No5", "mnu_No6",  "mnu_No7", "mnu_No8",
    "mnu_No9", "mnu_No10", "mnu_No11", "mnu_No12", "mnu_Mon", "mnu_Ran", "mnu_Loop",
};

QString launcherName(int entry)
{
    return QStringLiteral("mnu_Apr") + QString::number(entry + 1);
}

// Parses the number behind a prefix ("mnu_Apr10" -> 10); 0 when there is none.
int numberAfter(const QString& name, QStringView prefix)
{
    if (!name.startsWith(prefix))
        return 0;
    bool ok = false;
    const int n = QStringView(name).mid(prefix.size()).toInt(&ok);
    return ok ? n : 0;
}

} // namespace

QString menuCaptionText(const QString& plain)
{
    QString s = plain;
    s.replace(u'&', QStringLiteral("&&"));
    return s;
}

PopupMenu::PopupMenu(QObject* parent)
    : QObject(parent)
    , m_menu(std::make_unique<QMenu>())
{
    m_menu->setObjectName(QStringLiteral("mnu_Menu"));

    for (int i = 0; i < kLauncherEntries; ++i)
        addItem(m_menu.get(), launcherName(i), QString::number(i + 1))->setVisible(false);
    addSeparator(m_menu.get(), QStringLiteral("mnu_Ber5"))->setVisible(false);

    addItem(m_menu.get(), QStringLiteral("mnu_Haikei"), QStringLiteral("背景登録＆選択(&P)"));

    m_sentaku = new QMenu(QStringLiteral("背景選択(&S)"), m_menu.get());
    m_sentaku->setObjectName(QStringLiteral("mnu_sentaku"));
    QAction* sub = m_menu->addMenu(m_sentaku);
    sub->setObjectName(QStringLiteral("mnu_sentaku"));
    m_items.insert(sub->objectName(), sub);
    m_order << sub->objectName();

    const char16_t* const slotCaptions[] = {
        u"№１(&1)", u"№２(&2)", u"№３(&3)", u"№４(&4)",  u"№５(&5)",  u"№６(&6)",
        u"№７(&7)", u"№８(&8)", u"№９(&9)", u"№10(&0)", u"№11(&-)", u"№12(&^)",
    };
    for (int n = 1; n <= 12; ++n)
        addItem(m_sentaku, QString::fromLatin1(kBackgroundItems[n - 1]),
                QString::fromUtf16(slotCaptions[n - 1]));
    addSeparator(m_sentaku, QStringLiteral("mnu_Ber4"));
    addItem(m_sentaku, QStringLiteral("mnu_Mon"), QStringLiteral("月毎変更(&M)"));
    addItem(m_sentaku, QStringLiteral("mnu_Ran"), QStringLiteral("ランダム(&R)"));
    addItem(m_sentaku, QStringLiteral("mnu_Loop"), QStringLiteral("起動時毎変更(&L)"));
    for (const char* name : kBackgroundItems)
        m_items.value(QString::fromLatin1(name))->setCheckable(true);

    addSeparator(m_menu.get(), QStringLiteral("mnu_Ber3"));
    addItem(m_menu.get(), QStringLiteral("mnu_Timer"), QStringLiteral("タイマー/各種登録(&T)"));
    addSeparator(m_menu.get(), QStringLiteral("mnu_Bar7"));
    addItem(m_menu.get(), QStringLiteral("mnu_P_List"), QStringLiteral("プレイリスト表示/非表示(&L)"))
        ->setCheckable(true);
    addItem(m_menu.get(), QStringLiteral("mnu_P_DelAll"), QStringLiteral("プレイリスト消去(&D)"));
    addItem(m_menu.get(), QStringLiteral("mnu_Movie_Full"), QStringLiteral("フルサイズ　ムービー(&F)"))
        ->setCheckable(true);
    addSeparator(m_menu.get(), QStringLiteral("mnu_ber2"));
    addItem(m_menu.get(), QStringLiteral("mnu_Top"), QStringLiteral("常にトップに表示(&W)"))
        ->setCheckable(true);
    addItem(m_menu.get(), QStringLiteral("mnu_Login"), QStringLiteral("ログイン時に起動"))->setCheckable(true);
    QAction* color = addItem(m_menu.get(), QStringLiteral("mnu_Color"), QStringLiteral("色彩設定(&C)"));
    color->setVisible(false);
    color->setEnabled(false);
    addItem(m_menu.get(), QStringLiteral("mnu_Properties"), QStringLiteral("バージョン情報(&V)"));
    addSeparator(m_menu.get(), QStringLiteral("mnu_Ber"))->setVisible(false);
    addItem(m_menu.get(), QStringLiteral("mnu_DB"), QStringLiteral("週間タイマー"))->setVisible(false);
    addSeparator(m_menu.get(), QStringLiteral("mnu_Ber0"))->setVisible(false);
    addItem(m_menu.get(), QStringLiteral("mnu_Help"), QStringLiteral("Reedme(&H)"));
    addSeparator(m_menu.get(), QStringLiteral("mnu_Ber6"))->setVisible(false);
    addItem(m_menu.get(), QStringLiteral("mnu_End"), QStringLiteral("終了(&E)"));
}

PopupMenu::~PopupMenu() = default;

QAction* PopupMenu::addItem(QMenu* to, const QString& name, const QString& caption)
{
    QAction* a = to->addAction(caption);
    a->setObjectName(name);
    m_items.insert(name, a);
    m_order << name;
    connect(a, &QAction::triggered, this, [this, a, name](bool checked) {
        // Qt flips a checkable item's mark when it is chosen; the mark shows
        // the program's state instead, which the owner sets after the work.
        if (a->isCheckable())
            a->setChecked(!checked);
        Q_EMIT triggered(name);
    });
    return a;
}

QAction* PopupMenu::addSeparator(QMenu* to, const QString& name)
{
    QAction* a = to->addSeparator();
    a->setObjectName(name);
    m_items.insert(name, a);
    m_order << name;
    return a;
}

QAction* PopupMenu::item(const QString& name) const
{
    return m_items.value(name, nullptr);
}

QStringList PopupMenu::itemNames() const
{
    return m_order;
}

void PopupMenu::popup(const QPoint& globalPos)
{
    m_menu->popup(globalPos);
}

void PopupMenu::applyLauncherMenu(const LauncherMenu& launcher)
{
    for (int i = 0; i < kLauncherEntries; ++i) {
        const LauncherMenuItem& entry = launcher.items[size_t(i)];
        QAction* a = m_items.value(launcherName(i));
        // A hidden item keeps its old caption, as a cleared entry never shows it.
        if (entry.visible)
            a->setText(menuCaptionText(entry.caption));
        a->setVisible(entry.visible);
    }
    m_items.value(QStringLiteral("mnu_Ber5"))->setVisible(launcher.separatorVisible);
}

void PopupMenu::clearBackgroundChecks()
{
    for (const char* name : kBackgroundItems)
        m_items.value(QString::fromLatin1(name))->setChecked(false);
}

void PopupMenu::checkBackground(BackMenuItem which)
{
    const int index = int(which);
    if (index < 1 || index > 15)
        return;
    clearBackgroundChecks();
    m_items.value(QString::fromLatin1(kBackgroundItems[index - 1]))->setChecked(true);
}

void PopupMenu::setTopChecked(bool on)
{
    m_items.value(QStringLiteral("mnu_Top"))->setChecked(on);
}

void PopupMenu::setLoginChecked(bool on)
{
    m_items.value(QStringLiteral("mnu_Login"))->setChecked(on);
}

void PopupMenu::setMovieFullChecked(bool on)
{
    m_items.value(QStringLiteral("mnu_Movie_Full"))->setChecked(on);
}

void PopupMenu::setPlayListChecked(bool on)
{
    m_items.value(QStringLiteral("mnu_P_List"))->setChecked(on);
}

int PopupMenu::launcherEntryOf(const QString& itemName)
{
    const int n = numberAfter(itemName, u"mnu_Apr");
    return n >= 1 && n <= kLauncherEntries ? n - 1 : -1;
}

int PopupMenu::backgroundSlotOf(const QString& itemName)
{
    const int n = numberAfter(itemName, u"mnu_No");
    return n >= 1 && n <= 12 ? n : 0;
}

} // namespace yk
