#include <QCoreApplication>
#include <QGuiApplication>
#include <QXmlStreamReader>

#include "Failure.h"
#include "Formats.h"
#include "Pictures.h"

namespace Pictures {
namespace {

// An image embedded in the SVG, decoded here first so that it is held to the
// same checks and limits as a picture file; Qt's renderer then decodes it
// again, with every format it knows.
void CheckEmbeddedImage(QStringView reference, const QString& name) {
    const qsizetype base64 = reference.indexOf(QLatin1String(";base64,"));
    if (base64 < 0) return;  // the renderer reads only base64 data
    const QByteArray data = QByteArray::fromBase64(reference.sliced(base64 + 8).toLatin1(),
                                                   QByteArray::AbortOnBase64DecodingErrors);
    try {
        DecodePicture(data, name);
    } catch (const Routines::Failure& failure) {
        Refuse(name, QStringLiteral("an image embedded in the SVG is refused (%1)")
                         .arg(QString::fromStdString(failure.Description())));
    }
}

void CheckReference(QStringView reference, const QString& name) {
    const QStringView trimmed = reference.trimmed();
    if (trimmed.startsWith(u'#')) return;
    if (trimmed.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
        CheckEmbeddedImage(trimmed, name);
        return;
    }
    Refuse(name, QStringLiteral("the SVG refers to \"%1\" outside itself").arg(trimmed.left(200)));
}

}  // namespace

void CheckSvg(const QByteArray& bytes, const QString& name) {
    // Qt draws text with the fonts of a graphical application, and stops a
    // program without one (the converter) that asks for them.
    const bool fonts = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    QXmlStreamReader xml(bytes);
    qint64 elements = 0;
    int depth = 0;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
            case QXmlStreamReader::DTD:
                if (!xml.entityDeclarations().isEmpty())
                    Refuse(name,
                           QStringLiteral("the SVG declares entities, which this program does not expand"));
                break;
            case QXmlStreamReader::StartElement:
                if (++elements > LargestSvgElements) {
                    Refuse(name,
                           QStringLiteral("the SVG holds more than %1 elements").arg(LargestSvgElements));
                }
                if (++depth > DeepestSvgNesting) {
                    Refuse(name,
                           QStringLiteral("the SVG nests elements more than %1 deep").arg(DeepestSvgNesting));
                }
                if (!fonts &&
                    (xml.name() == QLatin1String("text") || xml.name() == QLatin1String("textArea")))
                    Refuse(name, QStringLiteral("the SVG holds text, which only the window draws"));
                for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                    if (attribute.name() == QLatin1String("href")) CheckReference(attribute.value(), name);
                }
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                break;
            default:
                break;
        }
    }
    if (xml.hasError())
        Refuse(name, QStringLiteral("the SVG is not well-formed XML: %1").arg(xml.errorString()));
}

}  // namespace Pictures
