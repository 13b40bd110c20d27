#include "TestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QWidget>

std::optional<QString> ScriptedDialog::Run(Mode mode, const QStringList& nameFilters,
                                           const QString& defaultSuffix, const QString& proposedName) {
    calls.push_back({mode, nameFilters, defaultSuffix, proposedName});
    if (answers.empty()) {
        unscripted = true;
        return std::nullopt;
    }
    std::optional<QString> answer = answers.front();
    answers.pop_front();
    return answer;
}

void RecordingBoxes::Show(const std::string& text, const std::string& title, Routines::BoxIcon icon) {
    shown.push_back({text, title, icon});
}

ModalWatch::ModalWatch(std::function<bool(QWidget*)> handler, int timeoutMs, std::function<void()> onTimeout)
    : handler_(std::move(handler)) {
    connect(&poll_, &QTimer::timeout, this, &ModalWatch::Poll);
    poll_.start(10);
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this, onTimeout = std::move(onTimeout)] {
        timedOut_ = true;
        poll_.stop();
        CloseModalWindows();
        if (onTimeout) onTimeout();
    });
    deadline_.start(timeoutMs);
}

void ModalWatch::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (done_ || timedOut_ || !modal || !modal->isVisible() || busy_.contains(modal)) return;
    // The handler may run a nested event loop (a box over a dialog). It runs
    // from a timer of its own, because Qt does not fire a timer again while
    // its slot is still running, so polling goes on and finds the newer window.
    busy_.append(modal);
    QTimer::singleShot(0, this, [this, watched = QPointer<QWidget>(modal), modal] {
        const bool done = watched && !done_ && !timedOut_ && handler_(modal);
        busy_.removeOne(modal);
        if (done && !done_) {
            done_ = true;
            poll_.stop();
            deadline_.stop();
        }
    });
}

void CloseModalWindows() {
    for (int guard = 0; guard < 10; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->hide();
        }
    }
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        qFatal("cannot write the test file %s", qPrintable(path));
    }
}

QByteArray BitFileBytes(const std::function<bool(int, int)>& isSet) {
    QByteArray bytes(576, '\0');
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 96; ++x) {
            if (isSet(x, y))
                bytes[96 * (y / 8) + x] = static_cast<char>(bytes[96 * (y / 8) + x] | (1 << (y % 8)));
        }
    }
    return bytes;
}

bool BitFilePixel(const QByteArray& bytes, int x, int y) {
    return (static_cast<quint8>(bytes.at(96 * (y / 8) + x)) >> (y % 8)) & 1;
}

int BitFileSetCount(const QByteArray& bytes) {
    int count = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 96; ++x) count += BitFilePixel(bytes, x, y) ? 1 : 0;
    }
    return count;
}

namespace {

void AppendLittleEndian(QByteArray& bytes, quint32 value, int size) {
    for (int i = 0; i < size; ++i) bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

QByteArray PixelRow(const BitmapLayout& layout, int y) {
    QByteArray row;
    if (layout.bitCount >= 24) {
        for (int x = 0; x < layout.width; ++x) {
            AppendLittleEndian(row, layout.pixel(x, y), layout.bitCount / 8);
        }
    } else {
        quint32 pending = 0;
        int pendingBits = 0;
        for (int x = 0; x < layout.width; ++x) {
            pending = (pending << layout.bitCount) | layout.pixel(x, y);
            pendingBits += layout.bitCount;
            if (pendingBits == 8) {
                row.append(static_cast<char>(pending));
                pending = 0;
                pendingBits = 0;
            }
        }
        if (pendingBits > 0) row.append(static_cast<char>(pending << (8 - pendingBits)));
    }
    while (row.size() % 4 != 0) row.append('\0');
    return row;
}

}  // namespace

QByteArray BitmapBytes(const BitmapLayout& layout) {
    QByteArray info;
    if (layout.coreHeader) {
        AppendLittleEndian(info, 12, 4);
        AppendLittleEndian(info, static_cast<quint32>(layout.width), 2);
        AppendLittleEndian(info, static_cast<quint32>(layout.height), 2);
        AppendLittleEndian(info, 1, 2);
        AppendLittleEndian(info, static_cast<quint32>(layout.bitCount), 2);
        for (QRgb colour : layout.palette) AppendLittleEndian(info, colour & 0xFFFFFF, 3);
    } else {
        AppendLittleEndian(info, 40, 4);
        AppendLittleEndian(info, static_cast<quint32>(layout.width), 4);
        AppendLittleEndian(info, static_cast<quint32>(layout.topDown ? -layout.height : layout.height), 4);
        AppendLittleEndian(info, 1, 2);
        AppendLittleEndian(info, static_cast<quint32>(layout.bitCount), 2);
        AppendLittleEndian(info, layout.bitfields ? 3 : 0, 4);
        AppendLittleEndian(info, 0, 4);     // image size, may be 0 when uncompressed
        AppendLittleEndian(info, 2835, 4);  // 72 dots per inch
        AppendLittleEndian(info, 2835, 4);
        AppendLittleEndian(info, static_cast<quint32>(layout.palette.size()), 4);
        AppendLittleEndian(info, 0, 4);
        if (layout.bitfields) {
            AppendLittleEndian(info, 0x00FF0000, 4);
            AppendLittleEndian(info, 0x0000FF00, 4);
            AppendLittleEndian(info, 0x000000FF, 4);
        }
        for (QRgb colour : layout.palette) AppendLittleEndian(info, colour & 0xFFFFFF, 4);
    }
    QByteArray pixels;
    for (int i = 0; i < layout.height; ++i)
        pixels += PixelRow(layout, layout.topDown ? i : layout.height - 1 - i);

    QByteArray file("BM");
    AppendLittleEndian(file, static_cast<quint32>(14 + info.size() + pixels.size()), 4);
    AppendLittleEndian(file, 0, 4);
    AppendLittleEndian(file, static_cast<quint32>(14 + info.size()), 4);
    return file + info + pixels;
}

QString FirstDifference(const QImage& actual, const QImage& expected) {
    if (actual.size() != expected.size()) {
        return QStringLiteral("size %1 x %2, expected %3 x %4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    }
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            if (actual.pixel(x, y) != expected.pixel(x, y)) {
                return QStringLiteral("pixel (%1, %2) is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(actual.pixel(x, y), 8, 16, QLatin1Char('0'))
                    .arg(expected.pixel(x, y), 8, 16, QLatin1Char('0'));
            }
        }
    }
    return {};
}
