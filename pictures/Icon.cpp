#include <cstdint>

#include <QtEndian>

#include "Failure.h"
#include "Formats.h"

namespace Pictures {
namespace {

constexpr qint64 DirectorySize = 6;
constexpr qint64 EntrySize = 16;
constexpr qint64 BitmapInfoSize = 40;

// The size at which Qt decodes the image, or an empty size when its header
// is cut short. Qt's icon reader reports the directory's size, but decodes a
// PNG at its own: a 16 x 16 entry may hold a PNG of any size.
void ReadImageSize(const QByteArray& bytes, IconImage& image) {
    const QByteArrayView data(bytes.constData() + image.offset, image.length);
    if (data.startsWith("\x89PNG\r\n\x1a\n")) {
        image.png = true;
        image.width = image.height = 0;
        if (data.size() < 24) return;
        image.width = qFromBigEndian<quint32>(data.data() + 16);
        image.height = qFromBigEndian<quint32>(data.data() + 20);
        return;
    }
    if (data.size() < BitmapInfoSize) return;
    // Qt decodes a bitmap at the size the directory states, 1 to 255, and
    // at its header's where the directory states 0; the header's height
    // counts the colour rows and the transparency mask's rows.
    if (image.width == 0) image.width = qFromLittleEndian<qint32>(data.data() + 4);
    if (image.height == 0) image.height = qFromLittleEndian<qint32>(data.data() + 8) / 2;
}

}  // namespace

IconImage ChooseIconImage(const QByteArray& bytes, const QString& name) {
    if (bytes.size() < DirectorySize) Refuse(name, QStringLiteral("icon directory cut short"));
    const int count = qFromLittleEndian<quint16>(bytes.constData() + 4);
    if (count == 0) Refuse(name, QStringLiteral("the icon holds no image"));
    if (DirectorySize + count * EntrySize > bytes.size())
        Refuse(name, QStringLiteral("icon directory cut short"));
    IconImage chosen;
    qint64 beyondLimits = 0;
    for (int index = 0; index < count; ++index) {
        const char* entry = bytes.constData() + DirectorySize + index * EntrySize;
        IconImage image{.index = index,
                        .offset = qFromLittleEndian<quint32>(entry + 12),
                        .length = qFromLittleEndian<quint32>(entry + 8),
                        .width = static_cast<std::uint8_t>(entry[0]),
                        .height = static_cast<std::uint8_t>(entry[1])};
        if (image.offset < DirectorySize || image.length > bytes.size() - image.offset) continue;
        ReadImageSize(bytes, image);
        if (image.width <= 0 || image.height <= 0) continue;
        if (image.width > LargestSide || image.height > LargestSide ||
            image.width * image.height > LargestPixelCount) {
            ++beyondLimits;
            continue;
        }
        if (image.width * image.height > chosen.width * chosen.height) chosen = image;
    }
    if (chosen.width == 0) {
        Refuse(name,
               beyondLimits > 0
                   ? QStringLiteral("every image of the icon is larger than %1 pixels").arg(LargestPixelCount)
                   : QStringLiteral("every image of the icon is cut short"));
    }
    return chosen;
}

}  // namespace Pictures
