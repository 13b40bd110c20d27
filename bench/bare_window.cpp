// The reference for Pelorin's start-up: a bare Qt window of the main
// window's size, with six push buttons and a 96 x 48 child built the same way.

#include <QApplication>
#include <QPushButton>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window.setWindowTitle(QStringLiteral("Pelorin"));
    window.setFixedSize(270, 84);
    const struct {
        const char* caption;
        const char* toolTip;
        int left;
        int top;
    } buttons[] = {
        {"Open Bit", "Open a Binary file containing a Bitmap", 8, 8},
        {"Open Nokia", "Open a Nokia Graphic", 8, 32},
        {"Open BMP", "Open a Windows Bitmap", 8, 56},
        {"Save BMP", "Save image as a Windows Bitmap", 192, 8},
        {"Save Bit", "Save image as binary data readable by the Lyra", 192, 32},
        {"About", "Show Copyright Information", 192, 56},
    };
    for (const auto& entry : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(entry.caption), &window);
        button->setToolTip(QString::fromLatin1(entry.toolTip));
        button->setGeometry(entry.left, entry.top, 73, 25);
        button->setAutoDefault(false);
    }
    auto* view = new QWidget(&window);
    view->setGeometry(88, 8, 96, 48);
    window.show();
    return QApplication::exec();
}
