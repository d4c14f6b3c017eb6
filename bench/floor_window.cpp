// The floor of the start-up benchmark: the least a Qt Widgets program can do
// to put a window of the main window's size on the screen. It reports its
// first paint exactly the way yomikaze does, so that the two times differ only
// by the work yomikaze does before and during its first paint.
//
// With YK_FLOOR_TICK_MS set it also runs an empty timer of that interval:
// the idle CPU of a program that wakes up that often and does nothing, the
// floor for yomikaze's 100 ms clock tick.

#include <cstdio>

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace {

class FloorWindow final : public QWidget
{
public:
    FloorWindow()
        : QWidget(nullptr, Qt::FramelessWindowHint)
    {
        setFixedSize(177, 177);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QWidget::paintEvent(event);
        if (m_painted)
            return;
        m_painted = true;
        // Report once the paint has been handed to the window system, not
        // from inside it: the zero timer runs after the backing store flush.
        if (qEnvironmentVariableIsSet("YK_REPORT_FIRST_PAINT")) {
            QTimer::singleShot(0, this, [] {
                std::fputs("first-paint\n", stdout);
                std::fflush(stdout);
            });
        }
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    FloorWindow window;
    window.show();
    QTimer tick;
    const int tickMs = qEnvironmentVariableIntValue("YK_FLOOR_TICK_MS");
    if (tickMs > 0) {
        tick.setTimerType(Qt::CoarseTimer);
        tick.start(tickMs);
    }
    return app.exec();
}
