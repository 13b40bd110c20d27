#pragma once

// Shared by the user interface tests: the offscreen start-up, a scripted file
// dialog, recording message boxes, a bounded wait for modal windows and file helpers.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include "FileDialog.h"
#include "MessageBoxes.h"
#include "frmMain.h"

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

// A file dialog that answers from a script, an empty answer being a cancel,
// and records how it was asked.
class ScriptedDialog : public FileDialogBackend {
public:
    struct Call {
        Mode mode;
        QStringList nameFilters;
        QString defaultSuffix;
        QString proposedName;
    };
    QStringList answers;
    std::vector<Call> calls;

    std::optional<QString> Run(Mode mode, const QStringList& nameFilters, const QString& defaultSuffix,
                               const QString& proposedName) override;
};

// Message boxes that are recorded instead of shown.
class RecordingBoxes : public Routines::MessageBoxes {
public:
    struct Box {
        QString text;
        QString title;
        Routines::BoxIcon icon;
    };
    std::vector<Box> shown;

    void Show(const std::string& text, const std::string& title, Routines::BoxIcon icon) override;
};

// A main window with a scripted dialog and recording boxes, and a folder for its files.
struct MainWindowFixture {
    QTemporaryDir dir;
    ScriptedDialog dialog;
    RecordingBoxes boxes;
    frmMain window{&dialog, &boxes};

    QString Path(const QString& name) const { return dir.filePath(name); }
    QImage Shown() const;
    // Clicks the button with one answer scripted (empty: cancel); the dialog must be shown once.
    void Click(QPushButton* button, const QString& name);
};

// Runs a blocking call and hands each modal window that comes up to the
// handler, which returns true once its work is done. True when that happened
// and the call returned within the timeout; at the timeout the windows left
// open are closed, so that the call returns and the test can fail.
bool HandleModal(const std::function<void()>& blockingCall, const std::function<bool(QWidget*)>& handler,
                 int timeoutMs = 5000);
// Hides the modal windows, and About windows that should have been modal.
void CloseWindowsLeftOpen();

QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);
// A .bit file whose set pixels are those for which isSet(x, y) holds.
QByteArray BitFileBytes(const std::function<bool(int, int)>& isSet);
// A picture of the given size painted pixel by pixel.
QImage Picture(QSize size, const std::function<QRgb(int, int)>& colour);
