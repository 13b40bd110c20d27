#include <QApplication>

#include "ProgramIcon.h"
#include "frmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelorin"));
    QApplication::setApplicationVersion(QStringLiteral(PELORIN_VERSION));
    QApplication::setWindowIcon(ProgramIcon::Icon());

    frmMain window;
    window.show();
    return QApplication::exec();
}
