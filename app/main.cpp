#include <QApplication>

#include "ProgramIcon.h"
#include "frmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelorin"));
    QApplication::setApplicationVersion(QStringLiteral(PELORIN_VERSION));
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(PELORIN_APP_ID));
    QApplication::setWindowIcon(ProgramIcon::Icon());

    frmMain window;
    window.show();
    return QApplication::exec();
}
