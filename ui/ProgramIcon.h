#pragma once

#include <QIcon>
#include <QImage>
#include <QList>

// The program's icon: a small player with a one-bit screen, read from the
// images built into the program.
namespace ProgramIcon {

// 32 x 32 in 16 colours, 48 x 48 and 32 x 32 in 256 colours, in that order;
// each an indexed image whose first colour is the transparent one.
QList<QImage> Images();
QIcon Icon();

}  // namespace ProgramIcon
