#include "ProgramIcon.h"

#include <array>
#include <limits>

#include <QPainter>
#include <QPixmap>
#include <QVector>

namespace ProgramIcon {
namespace {

// The drawing is made on a 32-unit grid and scaled to the size wanted.
constexpr double GridSize = 32.0;
constexpr QRgb Transparent = 0x00000000;

const QColor Outline(0, 0, 0);
const QColor Body(0, 0, 128);
const QColor Screen(192, 192, 192);
const QColor ScreenPixel(0, 0, 0);
const QColor Pad(128, 128, 128);
const QColor PadCentre(255, 255, 255);

// A note in one-bit pixels, shown on the player's screen.
constexpr std::array<const char*, 8> ScreenGlyph = {
    "............", "....##......", "....#.##....", "....#...#...",
    "....#.......", "..###.......", ".####.......", "..##........",
};

QImage Paint(int size, bool smooth) {
    QImage art(size, size, QImage::Format_ARGB32);
    art.fill(Qt::transparent);
    QPainter painter(&art);
    painter.setRenderHint(QPainter::Antialiasing, smooth);
    painter.scale(size / GridSize, size / GridSize);

    painter.setPen(QPen(Outline, 1.0));
    painter.setBrush(Body);
    painter.drawRoundedRect(QRectF(7.5, 1.5, 17, 29), 3, 3);

    painter.setBrush(Screen);
    painter.drawRect(QRectF(9.5, 4.5, 13, 9));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ScreenPixel);
    for (int row = 0; row < static_cast<int>(ScreenGlyph.size()); ++row) {
        for (int column = 0; ScreenGlyph[row][column] != '\0'; ++column) {
            if (ScreenGlyph[row][column] == '#') painter.drawRect(QRectF(10 + column, 5 + row, 1, 1));
        }
    }

    painter.setPen(QPen(Outline, 1.0));
    painter.setBrush(Pad);
    painter.drawEllipse(QPointF(16, 22), 5, 5);
    painter.setBrush(PadCentre);
    painter.drawEllipse(QPointF(16, 22), 1.5, 1.5);
    return art;
}

QVector<QRgb> SixteenColours() {
    // The sixteen standard colours, with magenta's place taken by the transparent entry.
    return {Transparent,         qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),
            qRgb(128, 128, 0),   qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128),
            qRgb(192, 192, 192), qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),
            qRgb(255, 255, 0),   qRgb(0, 0, 255),     qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

QVector<QRgb> TwoHundredFiftySixColours() {
    // A 6 x 6 x 6 colour cube and a grey ramp fill the table after the transparent entry.
    QVector<QRgb> table{Transparent};
    for (int red = 0; red < 6; ++red) {
        for (int green = 0; green < 6; ++green) {
            for (int blue = 0; blue < 6; ++blue) table << qRgb(red * 51, green * 51, blue * 51);
        }
    }
    const int greys = 256 - static_cast<int>(table.size());
    for (int i = 0; i < greys; ++i) {
        const int level = (i + 1) * 255 / (greys + 1);
        table << qRgb(level, level, level);
    }
    return table;
}

QImage Quantize(const QImage& art, const QVector<QRgb>& table) {
    QImage indexed(art.size(), QImage::Format_Indexed8);
    indexed.setColorTable(table);
    for (int y = 0; y < art.height(); ++y) {
        for (int x = 0; x < art.width(); ++x) {
            const QRgb pixel = art.pixel(x, y);
            int best = 0;
            if (qAlpha(pixel) >= 128) {
                int bestDistance = std::numeric_limits<int>::max();
                for (int i = 1; i < table.size(); ++i) {
                    const int red = qRed(pixel) - qRed(table[i]);
                    const int green = qGreen(pixel) - qGreen(table[i]);
                    const int blue = qBlue(pixel) - qBlue(table[i]);
                    const int distance = red * red + green * green + blue * blue;
                    if (distance < bestDistance) {
                        bestDistance = distance;
                        best = i;
                    }
                }
            }
            indexed.setPixel(x, y, static_cast<uint>(best));
        }
    }
    return indexed;
}

}  // namespace

QList<QImage> Images() {
    const QVector<QRgb> rich = TwoHundredFiftySixColours();
    return {Quantize(Paint(32, false), SixteenColours()), Quantize(Paint(48, true), rich),
            Quantize(Paint(32, true), rich)};
}

QIcon Icon() {
    QIcon icon;
    for (const QImage& image : Images()) icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

}  // namespace ProgramIcon
