#include "QtMessageBoxes.h"

#include <QMessageBox>
#include <QString>

QtMessageBoxes::QtMessageBoxes(QWidget* owner) : owner_(owner) {}

void QtMessageBoxes::Show(const std::string& text, const std::string& title, Routines::BoxIcon icon) {
    // Lines in our texts end with a lone carriage return, which Qt would not break at.
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(icon == Routines::BoxIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(title), shown, QMessageBox::Ok, owner_);
    // Paths may hold characters that rich text would swallow.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
