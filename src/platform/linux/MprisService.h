#pragma once

#include <optional>

#include <QDBusConnection>
#include <QObject>
#include <QPointer>

#include "platform/MediaControls.h"

namespace yk {

class MprisPlayerAdaptor;

// The player's controls on the session bus as an MPRIS media player
// (object /org/mpris/MediaPlayer2, name org.mpris.MediaPlayer2.yomikaze),
// which panel applets, media keys and playerctl find by themselves.
//
// A state change is sent as PropertiesChanged with only the properties that
// changed; the position is not (readers ask for it, and a seek says
// Seeked). The bus name is asked for without waiting: when another program
// holds it, a warning says so and the program runs without remote controls.
class MprisService final : public QObject, public MediaControls
{
    Q_OBJECT
public:
    static inline const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
    static inline const QString kBusName = QStringLiteral("org.mpris.MediaPlayer2.yomikaze");

    // The session bus, connected when the controls are published.
    explicit MprisService(QObject* parent = nullptr);
    // Any bus and name (tests point it at a private bus).
    MprisService(const QDBusConnection& bus, const QString& busName, QObject* parent = nullptr);
    ~MprisService() override;

    void publish(MediaControlTarget& target) override;

    // The bus name is ours (after publish, once the bus has answered).
    bool ownsName() const { return m_ownsName; }

Q_SIGNALS:
    // The bus has answered the request for the name.
    void nameRequestAnswered(bool owned);

private:
    void sendChanges();

    std::optional<QDBusConnection> m_bus;
    QString m_busName;
    QPointer<MediaControlTarget> m_target;
    QObject* m_object = nullptr; // what the bus sees at the object path; carries the adaptors
    MprisPlayerAdaptor* m_player = nullptr;
    MediaState m_sent;
    bool m_ownsName = false;
};

} // namespace yk
