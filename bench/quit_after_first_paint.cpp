// Linked into the start-up measurement programs: ends the program once its
// first window has been painted, so that a run measures start-up alone.

#include <QApplication>
#include <QEvent>
#include <QTimer>

namespace {

class QuitAfterFirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !quitting_) {
            quitting_ = true;
            // Queued, so the whole window finishes painting first.
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool quitting_ = false;
};

void InstallQuitter() { qApp->installEventFilter(new QuitAfterFirstPaint); }

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallQuitter)
