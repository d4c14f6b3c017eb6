#include "shell/App.h"

// The program's place in the desktop: starting it at login, from the
// popup menu.

#include <QAction>
#include <QMenu>
#include <QMessageBox>

#include "platform/Autostart.h"
#include "shell/Form1.h"
#include "shell/PopupMenu.h"

namespace yk {

void App::wireAutostart()
{
    m_menu->item(QStringLiteral("mnu_Login"))->setVisible(m_s.autostart->supported());
    m_menu->setLoginChecked(m_s.autostart->isEnabled());
    m_menuCommands.add(QStringLiteral("mnu_Login"), [this] { toggleAutostart(); });
    // The desktop's own settings or another copy may change the entry while
    // we run: the mark is read again whenever the menu opens.
    connect(m_menu->menu(), &QMenu::aboutToShow, this,
            [this] { m_menu->setLoginChecked(m_s.autostart->isEnabled()); });
}

void App::toggleAutostart()
{
    const bool wanted = !m_s.autostart->isEnabled();
    if (!m_s.autostart->setEnabled(wanted)) {
        const QString what = wanted ? QStringLiteral("ログイン時の起動を設定できませんでした。")
                                    : QStringLiteral("ログイン時の起動を解除できませんでした。");
        const QString where = m_s.autostart->location();
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Yomikaze"),
                                    where.isEmpty() ? what : what + u'\n' + where, QMessageBox::Ok, m_form.get());
        box->setObjectName(QStringLiteral("autostartError"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
    // The mark shows what the desktop will do, whatever happened above.
    m_menu->setLoginChecked(m_s.autostart->isEnabled());
}

} // namespace yk
