#pragma once

// Shared by the user interface tests: the offscreen start-up, a scripted file
// dialog, recording message boxes, a guard for modal windows and file helpers.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QtTest>

#include "FileDialog.h"
#include "MessageBoxes.h"

// Starts the test on the offscreen platform with Qt's own dialogs, whatever
// the environment it is run in.
#define PELORIN_TEST_MAIN(TestClass)                \
    int main(int argc, char* argv[]) {              \
        qputenv("QT_QPA_PLATFORM", "offscreen");    \
        qputenv("QT_QPA_PLATFORMTHEME", "generic"); \
        QApplication app(argc, argv);               \
        TestClass test;                             \
        return QTest::qExec(&test, argc, argv);     \
    }

// A file dialog that answers from a script and records how it was asked.
class ScriptedDialog : public FileDialogBackend {
public:
    struct Call {
        Mode mode;
        QStringList nameFilters;
        QString defaultSuffix;
        QString proposedName;
    };

    // Each answer is a chosen path, or nothing for a cancel.
    std::deque<std::optional<QString>> answers;
    std::vector<Call> calls;
    // Set when the dialog was shown with no answer left in the script.
    bool unscripted = false;

    std::optional<QString> Run(Mode mode, const QStringList& nameFilters, const QString& defaultSuffix,
                               const QString& proposedName) override;
};

// Message boxes that are recorded instead of shown.
class RecordingBoxes : public Routines::MessageBoxes {
public:
    struct Box {
        std::string text;
        std::string title;
        Routines::BoxIcon icon;
    };
    std::vector<Box> shown;

    void Show(const std::string& text, const std::string& title, Routines::BoxIcon icon) override;
};

// Watches for modal windows while a blocking call runs. Each modal window
// found is handed to the handler, which returns true once its work is done.
// If that has not happened within the timeout, every modal window is closed,
// and onTimeout runs for windows that should have been modal but are not,
// so that the blocking call returns and the test can fail.
class ModalWatch : public QObject {
    Q_OBJECT

public:
    explicit ModalWatch(std::function<bool(QWidget*)> handler, int timeoutMs = 5000,
                        std::function<void()> onTimeout = {});

    bool Done() const { return done_; }
    bool TimedOut() const { return timedOut_; }

private:
    void Poll();

    std::function<bool(QWidget*)> handler_;
    QList<QWidget*> busy_;  // windows whose handler call has not returned yet
    QTimer poll_;
    QTimer deadline_;
    bool done_ = false;
    bool timedOut_ = false;
};

// Closes whatever modal windows are open.
void CloseModalWindows();

QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);

// A .bit file whose set pixels are those for which isSet(x, y) holds.
QByteArray BitFileBytes(const std::function<bool(int, int)>& isSet);
// The set pixels of a .bit file's bytes.
bool BitFilePixel(const QByteArray& bytes, int x, int y);
int BitFileSetCount(const QByteArray& bytes);

// A Windows bitmap file built field by field.
struct BitmapLayout {
    int width = 8;
    int height = 4;
    int bitCount = 24;
    bool coreHeader = false;  // the 12-byte header of the oldest bitmaps
    bool topDown = false;     // rows stored from the top, marked by a negative height
    bool bitfields = false;   // 32 bits with explicit colour masks
    QList<QRgb> palette;      // for 1, 4 and 8 bits per pixel
    // Pixel value at (x, y): a palette index, or 0xRRGGBB for 24 and 32 bits.
    std::function<quint32(int, int)> pixel = [](int, int) { return 0u; };
};
QByteArray BitmapBytes(const BitmapLayout& layout);

// Whole image comparison with the first differing pixel in the message.
QString FirstDifference(const QImage& actual, const QImage& expected);
