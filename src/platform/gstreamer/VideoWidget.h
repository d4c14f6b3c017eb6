#pragma once

#include <QWidget>

namespace yk::gst {

class Playbin;

// Where a movie's picture shows. With an overlay sink the sink draws into
// this widget's native window and Qt paints nothing there; otherwise the
// widget paints the playbin's latest picture, scaled to fill it.
class VideoWidget final : public QWidget
{
    Q_OBJECT
public:
    explicit VideoWidget(Playbin& playbin);

    // Chooses the way of showing, once the engine has chosen its sink.
    void setOverlay(bool overlay);
    // The picture last painted from an image (null with an overlay).
    QImage shownImage() const { return m_shown; }

    QPaintEngine* paintEngine() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void handOverWindow();

    Playbin& m_playbin;
    bool m_overlay = false;
    QImage m_shown;
};

} // namespace yk::gst
