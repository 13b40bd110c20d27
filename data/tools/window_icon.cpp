// Turns a rendering of the program's icon into one of the window's indexed
// icon images: index 0 is the transparent colour, the rest a fixed table of
// 16 or 256 colours.
//
// Usage: window_icon 16|256 INPUT.png OUTPUT.png

#include <cstdio>
#include <cstring>

#include <QGuiApplication>
#include <QImage>
#include <QList>

namespace {

constexpr QRgb Transparent = 0x00000000;

QList<QRgb> SixteenColours() {
    // The sixteen standard colours, with magenta's place taken by the transparent entry.
    return {Transparent,         qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),
            qRgb(128, 128, 0),   qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128),
            qRgb(192, 192, 192), qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),
            qRgb(255, 255, 0),   qRgb(0, 0, 255),     qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

QList<QRgb> TwoHundredFiftySixColours() {
    // A 6 x 6 x 6 colour cube and a grey ramp fill the table after the transparent entry.
    QList<QRgb> table{Transparent};
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

}  // namespace

int main(int argc, char* argv[]) {
    const bool sixteen = argc == 4 && std::strcmp(argv[1], "16") == 0;
    if (argc != 4 || (!sixteen && std::strcmp(argv[1], "256") != 0)) {
        std::fprintf(stderr, "usage: %s 16|256 INPUT.png OUTPUT.png\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    QImage art(QString::fromLocal8Bit(argv[2]));
    if (art.isNull()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[2]);
        return 1;
    }
    // Each pixel is either wholly transparent or opaque, so that the
    // transparent entry is the only match for the one and never for the other.
    art = art.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < art.height(); ++y) {
        for (int x = 0; x < art.width(); ++x) {
            const QRgb pixel = art.pixel(x, y);
            art.setPixel(x, y, qAlpha(pixel) < 128 ? Transparent : (pixel | 0xFF000000u));
        }
    }
    const QImage indexed =
        art.convertToFormat(QImage::Format_Indexed8, sixteen ? SixteenColours() : TwoHundredFiftySixColours(),
                            Qt::ThresholdDither | Qt::AvoidDither);
    if (!indexed.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
        return 1;
    }
    return 0;
}
