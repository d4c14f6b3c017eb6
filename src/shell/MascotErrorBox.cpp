#include "shell/MascotErrorBox.h"

#include "platform/MascotChannel.h"

#include <QMessageBox>

namespace yk {

MascotErrorBox::MascotErrorBox(MascotChannel* channel, QWidget* window, QObject* parent)
    : QObject(parent)
    , m_window(window)
{
    if (channel)
        connect(channel, &MascotChannel::sendFailed, this, &MascotErrorBox::report);
}

QString MascotErrorBox::title()
{
    return QStringLiteral("Yomikaze");
}

QString MascotErrorBox::messageText(int code)
{
    return QStringLiteral("エラーコード= ") + QString::number(code);
}

void MascotErrorBox::report(int code)
{
    const QString text = messageText(code);
    if (m_presenter) {
        m_presenter(title(), text);
        return;
    }
    if (const QPointer<QMessageBox> open = m_open.value(code); open && open->isVisible()) {
        open->raise();
        return;
    }
    auto* box = new QMessageBox(QMessageBox::NoIcon, title(), text, QMessageBox::Ok, m_window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->setWindowModality(Qt::NonModal);
    m_open.insert(code, box);
    box->show();
}

} // namespace yk
