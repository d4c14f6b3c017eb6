#pragma once

#include <QObject>
#include <QStringList>

class QMimeData;
class QWidget;

namespace yk {

// Takes drops of local files anywhere on a window and reports their paths in
// the order given; a drag that holds no local file is refused.
class FileDrop : public QObject
{
    Q_OBJECT
public:
    // Watches `window` (and makes it take drops) for as long as it lives.
    explicit FileDrop(QWidget* window);

    static QStringList localFiles(const QMimeData* data);

Q_SIGNALS:
    void dropped(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace yk
