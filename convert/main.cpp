#include <QCoreApplication>

#include "Names.h"
#include "Program.h"

int main(int argc, char* argv[]) {
    // No display is needed: a core application is enough for Qt's picture plugins.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pelorin-convert"));
    return Convert::Run(Convert::ArgumentNames(argc, argv));
}
