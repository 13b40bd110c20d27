#include "ConverterProcess.h"

#include <QBuffer>
#include <QImageWriter>
#include <QList>
#include <QProcess>
#include <QVector>

QList<QByteArray> ConverterRun::ErrorLines() const {
    QList<QByteArray> lines = err.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

ConverterRun RunConverter(const QString& folder, const QStringList& arguments,
                          const QByteArray& standardInput) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(PELORIN_CONVERT), arguments);
    process.write(standardInput);
    process.closeWriteChannel();
    ConverterRun run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QByteArray LogoFile(const QByteArray& magic, int headerSize, const std::function<bool(int, int)>& isSet) {
    QByteArray bytes = magic + QByteArray(headerSize - magic.size(), '\0');
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 72; ++x) bytes += isSet(x, y) ? '1' : '0';
    }
    return bytes;
}

QByteArray Encoded(const QImage& picture, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(picture)) qFatal("cannot encode a test picture as %s", format);
    return bytes;
}

namespace {

void Append16(QByteArray& bytes, int value) {
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>((value >> 8) & 0xFF);
}

}  // namespace

QByteArray GifFile(const QImage& picture) {
    // Colour table of 128 entries: code size 7, so every code is 8 bits wide
    // (clear = 128, end = 129) as long as fewer than 126 codes follow a clear.
    constexpr int minimumCodeSize = 7;
    constexpr int clearCode = 128;
    constexpr int endCode = 129;
    constexpr int literalsPerClear = 100;

    QVector<QRgb> palette;
    QByteArray indices;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb colour = picture.pixel(x, y) | 0xFF000000;
            qsizetype index = palette.indexOf(colour);
            if (index < 0) {
                palette.append(colour);
                index = palette.size() - 1;
            }
            indices += static_cast<char>(index);
        }
    }
    if (palette.size() > clearCode) qFatal("too many colours for the test GIF");
    palette.resize(clearCode, 0xFF000000);

    QByteArray gif("GIF89a");
    Append16(gif, picture.width());
    Append16(gif, picture.height());
    gif += static_cast<char>(0x80 | 0x70 | (minimumCodeSize - 1));  // global table, 8-bit colour, 2^7 entries
    gif += '\0';                                                    // background colour index
    gif += '\0';                                                    // no aspect ratio
    for (QRgb colour : palette) {
        gif += static_cast<char>(qRed(colour));
        gif += static_cast<char>(qGreen(colour));
        gif += static_cast<char>(qBlue(colour));
    }
    gif += ',';
    Append16(gif, 0);
    Append16(gif, 0);
    Append16(gif, picture.width());
    Append16(gif, picture.height());
    gif += '\0';  // no local table, not interlaced
    gif += static_cast<char>(minimumCodeSize);

    QByteArray codes;
    for (qsizetype i = 0; i < indices.size(); ++i) {
        if (i % literalsPerClear == 0) codes += static_cast<char>(clearCode);
        codes += indices[i];
    }
    codes += static_cast<char>(endCode);
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        gif += static_cast<char>(block.size());
        gif += block;
    }
    gif += '\0';
    gif += ';';
    return gif;
}
