#include "CommandLine.h"

#include <optional>
#include <utility>

#include <QColor>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include "Formats.h"
#include "JpegReader.h"
#include "RowStream.h"
#include "StreamedInputs.h"

namespace Convert {

namespace {

const QString StandardStream = QStringLiteral("-");
const char* const ProgramName = "pelorin-convert";

// The help's option lines: names from column 2, descriptions from column 23.
constexpr qsizetype DescriptionColumn = 23;
constexpr int MaxThumbnail = 4096;

QString HelpBeginning() {
    return QStringLiteral(
               "Usage: pelorin-convert [OPTION]... INPUT... (-o OUTPUT | -d FOLDER)\n"
               "Turns pictures, Nokia logos and .bit files into the Lyra's 96 x 48 screen picture.\n"
               "\n"
               "Inputs: .bit files (576 bytes), Nokia operator logos and group graphics (.nol, .ngg,\n"
               "recognised by \"NOL\" or \"NGG\" at the start, else by the name), and every picture\n"
               "format Qt reads (BMP, PNG, GIF, JPEG, WebP, TIFF, ICO, SVG, PBM/PGM/PPM, XBM, XPM).\n"
               "'-' reads standard input.\n"
               "\n"
               "Limits: a JPEG (baseline or progressive) or PNG (interlaced or not) that is\n"
               "fitted is read row by row, from a file of any size, up to %1 pixels and\n"
               "%2 a side, and turned upright by its Exif orientation; a progressive JPEG's\n"
               "coefficients may take %3 MiB. Any other picture, and one drawn as it is, may\n"
               "have %4 MiB, %5 pixels a side and %6 pixels (a baseline JPEG four times\n"
               "that). Standard input is read up to %4 MiB, a JPEG or PNG up to %7 MiB.\n"
               "\n")
        .arg(Pictures::LargestStreamedPixelCount)
        .arg(Pictures::LargestStreamedSide)
        .arg(Pictures::ProgressiveCoefficientBudget >> 20)
        .arg(Pictures::LargestFileBytes >> 20)
        .arg(Pictures::LargestSide)
        .arg(Pictures::LargestPixelCount)
        .arg(LargestStandardInputPhotoBytes >> 20);
}

// The lines above a section's options in the help.
QString SectionHeading(OptionSection section) {
    switch (section) {
        case OptionSection::Output:
            return QStringLiteral("Output:\n");
        case OptionSection::Pictures:
            return QStringLiteral(
                "Pictures: one that fits within the screen is taken as drawn, as the window does\n"
                "it (top-left, only pure white clear, transparent pixels white); a larger one (a\n"
                "photo) is scaled to fit, its levels set automatically and halftoned with the best\n"
                "method. Any of --threshold, --dither or the tone options halftones a picture\n"
                "drawn as it is, too.\n");
        case OptionSection::Program:
            return {};
    }
    return {};
}

QString HelpEnd() {
    return QStringLiteral(
        "Each failed input gives one line on standard error:\n"
        "  pelorin-convert: INPUT: Error NUMBER: DESCRIPTION\n"
        "or the refusal the window shows, e.g. \"pelorin-convert: x.bit: This is not a valid\n"
        ".bit file\"; the other inputs are still converted. Outputs are replaced whole or not\n"
        "at all.\n"
        "\n"
        "Examples:\n"
        "  pelorin-convert logo.nol -o Screen.bit      a Nokia logo, as the window draws it\n"
        "  pelorin-convert photo.jpg -o Screen.bit     a photo, fitted, levelled, halftoned\n"
        "  pelorin-convert poster.png --exact -o Screen.bit\n"
        "                                              the top-left 96 x 48, as the window\n"
        "\n"
        "Exit status: 0 all inputs converted, 1 some input failed, 2 usage error.\n");
}

// "  -o, --output FILE" or "      --fit".
QString NamesColumn(const OptionDeclaration& option) {
    QString column = QStringLiteral("  ");
    QString longName;
    QString shortName;
    for (const QString& name : option.names) (name.size() == 1 ? shortName : longName) = name;
    column += shortName.isEmpty() ? QStringLiteral("    ") : QStringLiteral("-%1, ").arg(shortName);
    column += QStringLiteral("--") + longName;
    if (!option.valueName.isEmpty()) column += QLatin1Char(' ') + option.valueName;
    return column;
}

// The option's lines in the help; names too long for the column get a line of their own.
QString HelpLines(const OptionDeclaration& option) {
    const QString names = NamesColumn(option);
    const QString indent(DescriptionColumn, QLatin1Char(' '));
    QString lines = names.size() + 2 <= DescriptionColumn
                        ? names.leftJustified(DescriptionColumn, QLatin1Char(' '))
                        : names + QLatin1Char('\n') + indent;
    lines += QString(option.description).replace(QLatin1Char('\n'), QLatin1Char('\n') + indent);
    return lines + QLatin1Char('\n');
}

std::optional<Routines::Dithering> DitheringNamed(const QString& name) {
    using Routines::Dithering;
    static const std::pair<const char*, Dithering> methods[] = {
        {"floyd-steinberg", Dithering::FloydSteinberg},
        {"atkinson", Dithering::Atkinson},
        {"jarvis", Dithering::Jarvis},
        {"stucki", Dithering::Stucki},
        {"sierra", Dithering::Sierra},
        {"ordered", Dithering::Ordered},
        {"blue-noise", Dithering::BlueNoise},
        {"best", Dithering::Best},
    };
    for (const auto& [word, method] : methods) {
        if (name == QLatin1String(word)) return method;
    }
    return std::nullopt;
}

// A number within [lowest, highest], or nothing.
std::optional<double> NumberWithin(const QString& text, double lowest, double highest) {
    bool isNumber = false;
    const double value = text.toDouble(&isNumber);
    if (!isNumber || !(value >= lowest && value <= highest)) return std::nullopt;
    return value;
}

// "auto", "none" or "LOW,HIGH" into the tone options; false when it is none of them.
bool ReadLevels(const QString& text, Routines::ToneOptions& tone) {
    if (text == QLatin1String("auto")) return tone.autoLevels = true;
    tone.autoLevels = false;
    if (text == QLatin1String("none")) return true;
    const QStringList bounds = text.split(QLatin1Char(','));
    if (bounds.size() != 2) return false;
    const auto low = NumberWithin(bounds[0], 0, 255);
    const auto high = NumberWithin(bounds[1], 0, 255);
    if (!low || !high || *low >= *high) return false;
    tone.levels = Routines::Levels{static_cast<float>(*low), static_cast<float>(*high)};
    return true;
}

// Reads the placement, threshold, dithering, tone and background options into
// the picture rules; the problem with them, or an empty text.
QString ReadPictureOptions(const QCommandLineParser& parser, Routines::PictureRules& picture) {
    const auto isSet = [&](const char* name) { return parser.isSet(QLatin1String(name)); };
    const auto value = [&](const char* name) { return parser.value(QLatin1String(name)); };
    if (isSet("fit") && isSet("exact")) return QStringLiteral("--fit and --exact cannot be used together");
    if (isSet("fit")) picture.placement = Routines::Placement::Fitted;
    if (isSet("exact")) picture.placement = Routines::Placement::TopLeft;
    if (isSet("threshold")) {
        bool isNumber = false;
        const int level = value("threshold").toInt(&isNumber);
        if (!isNumber || level < 0 || level > 255)
            return QStringLiteral("--threshold takes a luminance from 0 to 255");
        picture.threshold = level;
    }
    if (isSet("dither")) {
        picture.dithering = DitheringNamed(value("dither"));
        if (!picture.dithering)
            return QStringLiteral("unknown method '%1' for --dither").arg(value("dither"));
    }
    Routines::ToneOptions tone;
    bool toneGiven = false;
    if (isSet("levels")) {
        if (!ReadLevels(value("levels"), tone))
            return QStringLiteral("--levels takes auto, none or LOW,HIGH (0-255, LOW below HIGH)");
        toneGiven = true;
    }
    // Each numeric tone option: its range and where its value goes.
    const struct {
        const char* name;
        double lowest;
        double highest;
        float& value;
        const char* problem;
    } numbers[] = {
        {"contrast", -100, 100, tone.contrastPercent, "--contrast takes a percentage from -100 to 100"},
        {"brightness", -100, 100, tone.brightnessPercent, "--brightness takes a percentage from -100 to 100"},
        {"gamma", 0.1, 10, tone.gamma, "--gamma takes a number from 0.1 to 10"},
        {"sharpen", 0, 5, tone.sharpenAmount, "--sharpen takes an amount from 0 to 5"},
    };
    for (const auto& number : numbers) {
        if (!isSet(number.name)) continue;
        const auto read = NumberWithin(value(number.name), number.lowest, number.highest);
        if (!read) return QString::fromLatin1(number.problem);
        number.value = static_cast<float>(*read);
        toneGiven = true;
    }
    if (toneGiven) picture.tone = tone;
    if (isSet("background")) {
        const QColor colour(value("background"));
        if (!colour.isValid())
            return QStringLiteral("unknown colour '%1' for --background").arg(value("background"));
        picture.background = static_cast<Routines::Colour>(colour.red()) |
                             static_cast<Routines::Colour>(colour.green()) << 8 |
                             static_cast<Routines::Colour>(colour.blue()) << 16;
    }
    return {};
}

// Reads the layout, size, transform and C options into the request; the
// problem with them, or an empty text.
QString ReadScreenOptions(const QCommandLineParser& parser, Request& request) {
    const auto layoutOf = [&](const char* option, Routines::ByteLayout& layout) {
        if (!parser.isSet(QLatin1String(option))) return true;
        const auto named = Routines::LayoutNamed(parser.value(QLatin1String(option)).toStdString());
        if (named) layout = *named;
        return named.has_value();
    };
    if (!layoutOf("layout", request.writing.layout)) return QStringLiteral("unknown layout for --layout");
    Routines::ByteLayout from = Routines::DefaultByteLayout;
    if (!layoutOf("from-layout", from)) return QStringLiteral("unknown layout for --from-layout");
    if (parser.isSet(QStringLiteral("from-layout"))) request.conversion.fromLayout = from;
    if (parser.isSet(QStringLiteral("size"))) {
        const QStringList sides = parser.value(QStringLiteral("size")).split(QLatin1Char('x'));
        bool wide = false;
        bool high = false;
        const int width = sides.size() == 2 ? sides[0].toInt(&wide) : 0;
        const int height = sides.size() == 2 ? sides[1].toInt(&high) : 0;
        if (!wide || !high || !Routines::MonoPicture::Clear(width, height))
            return QStringLiteral("--size takes WIDTHxHEIGHT, each from 1 to 1024");
        request.conversion.width = width;
        request.conversion.height = height;
    }
    if (parser.isSet(QStringLiteral("rotate"))) {
        const QString degrees = parser.value(QStringLiteral("rotate"));
        if (degrees != QLatin1String("90") && degrees != QLatin1String("180") &&
            degrees != QLatin1String("270"))
            return QStringLiteral("--rotate takes 90, 180 or 270");
        request.conversion.rotate = degrees.toInt();
    }
    if (parser.isSet(QStringLiteral("flip"))) {
        const QString axis = parser.value(QStringLiteral("flip"));
        if (axis != QLatin1String("h") && axis != QLatin1String("v"))
            return QStringLiteral("--flip takes h or v");
        request.conversion.flipHorizontal = axis == QLatin1String("h");
    }
    if (parser.isSet(QStringLiteral("scale"))) {
        bool isNumber = false;
        request.writing.scale = parser.value(QStringLiteral("scale")).toInt(&isNumber);
        if (!isNumber || request.writing.scale < 1 || request.writing.scale > MaxScale)
            return QStringLiteral("--scale takes a whole number from 1 to 16");
    }
    if (parser.isSet(QStringLiteral("thumbnail"))) {
        bool isNumber = false;
        request.writing.thumbnail = parser.value(QStringLiteral("thumbnail")).toInt(&isNumber);
        if (!isNumber || request.writing.thumbnail < 1 || request.writing.thumbnail > MaxThumbnail)
            return QStringLiteral("--thumbnail takes a size from 1 to 4096");
        request.to = OutputFormat::Png;
    }
    request.writing.name = parser.value(QStringLiteral("name"));
    request.writing.progmem = parser.isSet(QStringLiteral("progmem"));
    if (parser.isSet(QStringLiteral("preview-ascii"))) {
        request.preview = true;
        request.writing.preview = Routines::PreviewStyle::Ascii;
    }
    return {};
}

ParsedCommandLine UsageError(const QString& message) {
    ParsedCommandLine parsed;
    parsed.usageError = message;
    return parsed;
}

// Why the request cannot be run, or an empty text.
QString Problem(const Request& request) {
    if (request.inputs.isEmpty()) return QStringLiteral("no input named");
    if (!request.output.isEmpty() && !request.folder.isEmpty())
        return QStringLiteral("-o and -d cannot be used together");
    if (request.output.isEmpty() && request.folder.isEmpty() && !request.preview)
        return QStringLiteral(
            "name an output with -o FILE or a folder with -d FOLDER (or ask for --preview)");
    if (!request.output.isEmpty() && request.inputs.size() > 1)
        return QStringLiteral("-o takes one input; use -d FOLDER for several");
    if (request.inputs.count(StandardStream) > 1)
        return QStringLiteral("standard input can be read only once");
    if (!request.folder.isEmpty() && request.inputs.contains(StandardStream))
        return QStringLiteral("standard input has no name to give its file in the folder; use -o");
    if (!request.output.isEmpty() && !request.to && !FormatOfPath(request.output)) {
        return request.output == StandardStream
                   ? QStringLiteral("writing to standard output needs --to bit|bmp|png|pbm|c|xbm|hex")
                   : QStringLiteral("cannot tell the format from the name '%1'; use --to")
                         .arg(request.output);
    }
    if (!request.folder.isEmpty()) {
        QSet<QString> outputs;
        for (const QString& input : request.inputs) {
            const QString output = request.OutputFor(input);
            if (outputs.contains(output))
                return QStringLiteral("two inputs would both become '%1'").arg(output);
            outputs.insert(output);
        }
    }
    return {};
}

}  // namespace

QString Request::OutputFor(const QString& input) const {
    if (!output.isEmpty()) return output;
    if (folder.isEmpty()) return {};
    const QString name =
        QFileInfo(input).completeBaseName() + QLatin1Char('.') + Extension(to.value_or(OutputFormat::Bit));
    return QDir(folder).filePath(name);
}

OutputFormat Request::FormatFor(const QString& outputPath) const {
    return to ? *to : FormatOfPath(outputPath).value_or(OutputFormat::Bit);
}

const std::vector<OptionDeclaration>& DeclaredOptions() {
    using Section = OptionSection;
    static const std::vector<OptionDeclaration> options = {
        {{"o", "output"},
         "FILE",
         "write FILE (.bit, .bmp, .png or .pbm by its ending);\n"
         "'-' writes standard output (needs --to)",
         Section::Output},
        {{"d", "directory"},
         "FOLDER",
         "write FOLDER/NAME.bit for every input (or the --to format)",
         Section::Output},
        {{"to"},
         "FORMAT",
         "bit, bmp, png, pbm, c (a C header), xbm or hex, whatever the\n"
         "output's name (.h for c)",
         Section::Output},
        {{"layout"},
         "NAME",
         "byte layout of bit, c and hex outputs: bands-lsb-top (the\n"
         "Lyra's, default), bands-msb-top, rows-msb-first, rows-lsb-first",
         Section::Output},
        {{"name"}, "NAME", "the C or XBM array's name (default: the output's name)", Section::Output},
        {{"progmem"}, {}, "put the C array in AVR flash (PROGMEM)", Section::Output},
        {{"scale"}, "N", "draw each pixel N x N in bmp, png and pbm (1-16)", Section::Output},
        {{"thumbnail"},
         "SIZE",
         "write a PNG scaled by the largest whole number that fits a\n"
         "SIZE x SIZE square (for file managers' thumbnails)",
         Section::Output},
        {{"preview"},
         {},
         "show the result framed in half blocks; with no output\n"
         "named, only show it",
         Section::Output},
        {{"preview-ascii"}, {}, "the preview in '#' and ' ' for terminals without blocks", Section::Output},
        {{"fit"}, {}, "scale to fit keeping the aspect ratio, centred, as a photo", Section::Pictures},
        {{"exact"},
         {},
         "the window's rule for any picture: top-left, clipped, only\n"
         "pure white clear",
         Section::Pictures},
        {{"threshold"}, "N", "set every pixel darker than luminance N (0-255)", Section::Pictures},
        {{"dither"},
         "METHOD",
         "best, atkinson, floyd-steinberg, jarvis, stucki, sierra,\n"
         "ordered or blue-noise (around --threshold, 128 by default)",
         Section::Pictures},
        {{"levels"},
         "auto|none|LOW,HIGH",
         "the greys that become black and white; auto (a photo's\n"
         "default) clips the darkest and lightest few percent",
         Section::Pictures},
        {{"contrast"}, "PERCENT", "-100 (flat grey) to 100 (twice the contrast)", Section::Pictures},
        {{"brightness"}, "PERCENT", "-100 to 100 of the whole range added", Section::Pictures},
        {{"gamma"}, "G", "0.1 to 10; above 1 lightens the mid-tones", Section::Pictures},
        {{"sharpen"}, "AMOUNT", "0 to 5: an unsharp mask sized for tiny pictures", Section::Pictures},
        {{"background"},
         "COLOUR",
         "what transparent pixels lie on when made grey (white);\n"
         "a name or #RRGGBB",
         Section::Pictures},
        {{"invert"}, {}, "swap set and clear pixels (for every input)", Section::Pictures},
        {{"partial"},
         {},
         "convert a picture cut short or damaged as far as it decodes,\n"
         "with a warning, instead of refusing it",
         Section::Pictures},
        {{"no-orient"},
         {},
         "keep a fitted JPEG or PNG as stored, not turned upright\n"
         "by its Exif orientation",
         Section::Pictures},
        {{"rotate"}, "DEGREES", "turn the screen clockwise by 90, 180 or 270", Section::Pictures},
        {{"flip"}, "h|v", "mirror the screen left to right (h) or top to bottom (v)", Section::Pictures},
        {{"from-layout"},
         "NAME",
         "read every input as raw bytes in this layout, --size large",
         Section::Pictures},
        {{"size"},
         "WxH",
         "the screen's size, 1x1 to 1024x1024 (default 96x48): pictures are fitted and placed on it, raw "
         "inputs read at it",
         Section::Pictures},
        {{"h", "help"}, {}, "show this help", Section::Program},
        {{"version"}, {}, "show the version", Section::Program},
    };
    return options;
}

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    for (const OptionDeclaration& option : DeclaredOptions())
        parser.addOption(QCommandLineOption(option.names, option.description, option.valueName));
    QStringList words = arguments;
    words.replaceInStrings(QRegularExpression(QStringLiteral("^--preview=ascii$")),
                           QStringLiteral("--preview-ascii"));
    if (!parser.parse(words)) return UsageError(parser.errorText());

    ParsedCommandLine parsed;
    parsed.help = parser.isSet(QStringLiteral("help"));
    parsed.version = parser.isSet(QStringLiteral("version"));
    if (parsed.help || parsed.version) return parsed;

    Request request;
    request.inputs = parser.positionalArguments();
    request.output = parser.value(QStringLiteral("output"));
    request.folder = parser.value(QStringLiteral("directory"));
    if (parser.isSet(QStringLiteral("to"))) {
        const QString to = parser.value(QStringLiteral("to"));
        request.to = FormatNamed(to);
        if (!request.to) return UsageError(QStringLiteral("unknown format '%1' for --to").arg(to));
    }
    request.conversion.invert = parser.isSet(QStringLiteral("invert"));
    request.conversion.partial = parser.isSet(QStringLiteral("partial"));
    request.conversion.orient = !parser.isSet(QStringLiteral("no-orient"));
    request.preview = parser.isSet(QStringLiteral("preview"));
    if (const QString problem = ReadPictureOptions(parser, request.conversion.picture); !problem.isEmpty())
        return UsageError(problem);
    if (const QString problem = ReadScreenOptions(parser, request); !problem.isEmpty())
        return UsageError(problem);
    if (const QString problem = Problem(request); !problem.isEmpty()) return UsageError(problem);
    parsed.request = request;
    return parsed;
}

QString HelpText() {
    QString text = HelpBeginning();
    for (const OptionSection section :
         {OptionSection::Output, OptionSection::Pictures, OptionSection::Program}) {
        text += SectionHeading(section);
        for (const OptionDeclaration& option : DeclaredOptions())
            if (option.section == section) text += HelpLines(option);
        text += QLatin1Char('\n');
    }
    return text + HelpEnd();
}

QString VersionText() {
    return QStringLiteral("%1 %2\n").arg(QLatin1String(ProgramName), QStringLiteral(PELORIN_VERSION));
}

}  // namespace Convert
