#include "QtTestSupport.h"

#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "PictureView.h"
#include "frmSplash.h"

std::optional<QString> ScriptedDialog::Run(Mode mode, const QStringList& nameFilters,
                                           const QString& defaultSuffix, const QString& proposedName) {
    calls.push_back({mode, nameFilters, defaultSuffix, proposedName});
    const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
    return answer.isEmpty() ? std::nullopt : std::optional<QString>(answer);
}

void RecordingBoxes::Show(const std::string& text, const std::string& title, Routines::BoxIcon icon) {
    shown.push_back({QString::fromStdString(text), QString::fromStdString(title), icon});
}

QImage MainWindowFixture::Shown() const { return window.picMain->PersistentImage(); }

void MainWindowFixture::Click(QPushButton* button, const QString& name) {
    const std::size_t before = dialog.calls.size();
    dialog.answers = QStringList{name.isEmpty() ? QString() : Path(name)};
    button->click();
    QCOMPARE(dialog.calls.size(), before + 1);
}

bool HandleModal(const std::function<void()>& blockingCall, const std::function<bool(QWidget*)>& handler,
                 int timeoutMs) {
    QObject context;  // ends the timers when the call has returned
    bool done = false;
    bool timedOut = false;
    QList<QWidget*> busy;  // windows whose handler call has not returned yet
    QTimer poll;
    poll.callOnTimeout(&context, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (done || timedOut || !modal || !modal->isVisible() || busy.contains(modal)) return;
        // The handler may run a nested event loop (a box over a dialog). It runs
        // from a timer of its own, because Qt does not fire a timer again while
        // its slot is still running, so polling goes on and finds the newer window.
        busy.append(modal);
        QTimer::singleShot(0, &context, [&, watched = QPointer<QWidget>(modal), modal] {
            if (watched && !done && !timedOut && handler(modal)) done = true;
            busy.removeOne(modal);
        });
    });
    poll.start(10);
    QTimer::singleShot(timeoutMs, &context, [&] {
        timedOut = true;
        CloseWindowsLeftOpen();
    });
    blockingCall();
    return done && !timedOut;
}

void CloseWindowsLeftOpen() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && (window->isModal() || qobject_cast<frmSplash*>(window))) window->hide();
    }
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray BitFileBytes(const std::function<bool(int, int)>& isSet) {
    QByteArray bytes(576, '\0');
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 96; ++x) {
            if (isSet(x, y))
                bytes[96 * (y / 8) + x] = static_cast<char>(bytes[96 * (y / 8) + x] | (1 << (y % 8)));
        }
    }
    return bytes;
}

QImage Picture(QSize size, const std::function<QRgb(int, int)>& colour) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, colour(x, y));
    }
    return image;
}
