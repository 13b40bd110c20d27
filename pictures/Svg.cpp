#include <algorithm>
#include <vector>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QXmlStreamReader>

#include "Failure.h"
#include "Formats.h"
#include "Pictures.h"

namespace Pictures {
namespace {

// An image embedded in the SVG, decoded here first so that it is held to the
// same checks and limits as a picture file; Qt's renderer then decodes it
// again, with every format it knows. The bytes are found as the renderer
// finds them: after the last "base64,".
void CheckEmbeddedImage(QStringView reference, const QString& name) {
    const qsizetype base64 = reference.lastIndexOf(QLatin1String("base64,"));
    if (base64 < 0) return;  // the renderer reads only base64 data
    const QByteArray data = QByteArray::fromBase64(reference.sliced(base64 + 7).toLatin1());
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
    // As the renderer tells data from a file's name: by its start, in lower case.
    if (trimmed.startsWith(QLatin1String("data:"))) {
        CheckEmbeddedImage(trimmed, name);
        return;
    }
    Refuse(name, QStringLiteral("the SVG refers to \"%1\" outside itself").arg(trimmed.left(200)));
}

}  // namespace

namespace {

// The elements as drawn: each <use> draws its target again, so what an SVG
// costs is counted over the tree with every use expanded.
struct SvgElement {
    qsizetype parent = -1;
    QString target;  // the id a <use> draws
    std::vector<qsizetype> children;
    bool dashed = false;
};

struct DrawnCount {
    qint64 elements = 0;
    qint64 dashed = 0;
    int depth = 0;
};

class DrawnCounter {
public:
    DrawnCounter(const std::vector<SvgElement>& elements, const QHash<QString, qsizetype>& ids,
                 const QString& name)
        : elements_(elements), ids_(ids), name_(name), counts_(elements.size()), state_(elements.size(), 0) {}

    DrawnCount Count(qsizetype index) {
        if (state_[index] == 2) return counts_[index];
        if (state_[index] == 1) Refuse(name_, QStringLiteral("the SVG uses an element within itself"));
        state_[index] = 1;
        const SvgElement& element = elements_[index];
        DrawnCount count{1, element.dashed ? 1 : 0, 1};
        std::vector<qsizetype> drawn = element.children;
        if (const auto target = ids_.constFind(element.target); target != ids_.cend())
            drawn.push_back(*target);
        for (const qsizetype child : drawn) {
            const DrawnCount part = Count(child);
            count.elements += part.elements;
            count.dashed += part.dashed;
            count.depth = std::max(count.depth, part.depth + 1);
            // Checked as the count grows, so that it never overflows.
            Check(count);
        }
        state_[index] = 2;
        return counts_[index] = count;
    }

    void Check(const DrawnCount& count) const {
        if (count.elements > LargestSvgElements) {
            Refuse(name_, QStringLiteral("the SVG draws more than %1 elements").arg(LargestSvgElements));
        }
        if (count.dashed > LargestDashedSvgElements) {
            Refuse(name_,
                   QStringLiteral("the SVG draws more than %1 dashed lines").arg(LargestDashedSvgElements));
        }
        if (count.depth > DeepestSvgNesting) {
            Refuse(name_, QStringLiteral("the SVG nests elements more than %1 deep").arg(DeepestSvgNesting));
        }
    }

private:
    const std::vector<SvgElement>& elements_;
    const QHash<QString, qsizetype>& ids_;
    const QString& name_;
    std::vector<DrawnCount> counts_;
    std::vector<char> state_;  // 0 not counted, 1 being counted, 2 counted
};

}  // namespace

qint64 CheckSvg(const QByteArray& bytes, const QString& name) {
    // Qt draws text with the fonts of a graphical application, and stops a
    // program without one (the converter) that asks for them.
    const bool fonts = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    QXmlStreamReader xml(bytes);
    std::vector<SvgElement> elements;
    QHash<QString, qsizetype> ids;
    qsizetype open = -1;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
            case QXmlStreamReader::DTD:
                if (!xml.entityDeclarations().isEmpty())
                    Refuse(name,
                           QStringLiteral("the SVG declares entities, which this program does not expand"));
                break;
            case QXmlStreamReader::StartElement: {
                if (static_cast<qint64>(elements.size()) >= LargestSvgElements) {
                    Refuse(name,
                           QStringLiteral("the SVG holds more than %1 elements").arg(LargestSvgElements));
                }
                if (!fonts &&
                    (xml.name() == QLatin1String("text") || xml.name() == QLatin1String("textArea")))
                    Refuse(name, QStringLiteral("the SVG holds text, which only the window draws"));
                SvgElement element;
                element.parent = open;
                for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                    // A link is followed by no one here; anything else named
                    // is drawn.
                    if (attribute.name() == QLatin1String("href") && xml.name() != QLatin1String("a")) {
                        CheckReference(attribute.value(), name);
                        if (xml.name() == QLatin1String("use"))
                            element.target = attribute.value().trimmed().sliced(1).toString();
                    }
                    if (attribute.name() == QLatin1String("id"))
                        ids.insert(attribute.value().toString(), elements.size());
                    if (attribute.value().contains(QLatin1String("dasharray")) ||
                        attribute.name() == QLatin1String("stroke-dasharray"))
                        element.dashed = true;
                }
                if (open >= 0) elements[open].children.push_back(static_cast<qsizetype>(elements.size()));
                open = static_cast<qsizetype>(elements.size());
                elements.push_back(std::move(element));
                break;
            }
            case QXmlStreamReader::EndElement:
                open = elements[open].parent;
                break;
            default:
                break;
        }
    }
    if (xml.hasError())
        Refuse(name, QStringLiteral("the SVG is not well-formed XML: %1").arg(xml.errorString()));
    return DrawnCounter(elements, ids, name).Count(0).elements;
}

}  // namespace Pictures
