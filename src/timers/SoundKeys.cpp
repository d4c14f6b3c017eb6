#include "timers/SoundKeys.h"

#include <QFileInfo>

#include "media/MediaFormats.h"

namespace yk {

namespace {

constexpr int kSoundsFrom = 9; // entry 9 + n is sound n
constexpr int kWavOn = 22;
constexpr int kWavNumber = 23;

QString nameLessExtension(const QString& path)
{
    return withoutMediaSuffix(QFileInfo(path).fileName());
}

} // namespace

SoundKeys::SoundKeys(std::span<QString> regList, Actions actions)
    : m_reg(regList)
    , m_actions(std::move(actions))
{
}

void SoundKeys::press(int n)
{
    if (n < 1 || n > 10 || m_reg.size() <= std::size_t(kWavNumber))
        return;
    QString& on = m_reg[kWavOn];
    if (m_number == n) {
        m_number = 0;
        on = QStringLiteral("1");
    } else {
        m_number = n;
        on = QStringLiteral("0");
    }

    const QString current = m_actions.currentEntryTitle ? m_actions.currentEntryTitle() : QString();
    auto show = [this](const QString& title) {
        if (m_actions.showTitle)
            m_actions.showTitle(title);
    };
    if (on != u"1") {
        on = QStringLiteral("1");
        m_reg[kWavNumber] = QString::number(n);
        const QString path = m_reg[std::size_t(kSoundsFrom + n)];
        if (!path.isEmpty() && QFileInfo(path).isFile()) {
            if (m_actions.playSound)
                m_actions.playSound(path);
            show(QStringLiteral("Timer") + QString::number(n) + u'.' + nameLessExtension(path));
        } else {
            if (m_actions.stopSound)
                m_actions.stopSound();
            show(current.isEmpty() ? QStringLiteral("未登録") : current);
        }
    } else {
        on = QStringLiteral("0");
        if (m_actions.stopSound)
            m_actions.stopSound();
        show(current.isEmpty() ? QStringLiteral("Read Error") : current);
    }
}

} // namespace yk
