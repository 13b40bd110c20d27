#include "CommandLine.h"

#include <utility>

#include <QColor>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace Convert {

namespace {

const QString StandardStream = QStringLiteral("-");

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
                   ? QStringLiteral("writing to standard output needs --to bit|bmp|png|pbm")
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

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("FILE"));
    const QCommandLineOption folder({QStringLiteral("d"), QStringLiteral("directory")}, QString(),
                                    QStringLiteral("FOLDER"));
    const QCommandLineOption to(QStringLiteral("to"), QString(), QStringLiteral("FORMAT"));
    const QCommandLineOption fit(QStringLiteral("fit"));
    const QCommandLineOption exact(QStringLiteral("exact"));
    const QCommandLineOption levels(QStringLiteral("levels"), QString(),
                                    QStringLiteral("auto|none|LOW,HIGH"));
    const QCommandLineOption contrast(QStringLiteral("contrast"), QString(), QStringLiteral("PERCENT"));
    const QCommandLineOption brightness(QStringLiteral("brightness"), QString(), QStringLiteral("PERCENT"));
    const QCommandLineOption gamma(QStringLiteral("gamma"), QString(), QStringLiteral("G"));
    const QCommandLineOption sharpen(QStringLiteral("sharpen"), QString(), QStringLiteral("AMOUNT"));
    const QCommandLineOption background(QStringLiteral("background"), QString(), QStringLiteral("COLOUR"));
    const QCommandLineOption threshold(QStringLiteral("threshold"), QString(), QStringLiteral("N"));
    const QCommandLineOption dither(QStringLiteral("dither"), QString(), QStringLiteral("METHOD"));
    const QCommandLineOption invert(QStringLiteral("invert"));
    const QCommandLineOption preview(QStringLiteral("preview"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({output, folder, to, fit, exact, threshold, dither, levels, contrast, brightness, gamma,
                       sharpen, background, invert, preview, help, version});
    if (!parser.parse(arguments)) return UsageError(parser.errorText());

    ParsedCommandLine parsed;
    parsed.help = parser.isSet(help);
    parsed.version = parser.isSet(version);
    if (parsed.help || parsed.version) return parsed;

    Request request;
    request.inputs = parser.positionalArguments();
    request.output = parser.value(output);
    request.folder = parser.value(folder);
    if (parser.isSet(to)) {
        request.to = FormatNamed(parser.value(to));
        if (!request.to)
            return UsageError(QStringLiteral("unknown format '%1' for --to").arg(parser.value(to)));
    }
    Routines::PictureRules& picture = request.conversion.picture;
    if (parser.isSet(fit) && parser.isSet(exact))
        return UsageError(QStringLiteral("--fit and --exact cannot be used together"));
    if (parser.isSet(fit)) picture.placement = Routines::Placement::Fitted;
    if (parser.isSet(exact)) picture.placement = Routines::Placement::TopLeft;
    request.conversion.invert = parser.isSet(invert);
    request.preview = parser.isSet(preview);
    if (parser.isSet(threshold)) {
        bool isNumber = false;
        const int level = parser.value(threshold).toInt(&isNumber);
        if (!isNumber || level < 0 || level > 255)
            return UsageError(QStringLiteral("--threshold takes a luminance from 0 to 255"));
        picture.threshold = level;
    }
    if (parser.isSet(dither)) {
        const auto method = DitheringNamed(parser.value(dither));
        if (!method)
            return UsageError(QStringLiteral("unknown method '%1' for --dither").arg(parser.value(dither)));
        picture.dithering = *method;
    }
    Routines::ToneOptions tone;
    bool toneGiven = false;
    if (parser.isSet(levels)) {
        if (!ReadLevels(parser.value(levels), tone))
            return UsageError(
                QStringLiteral("--levels takes auto, none or LOW,HIGH (0-255, LOW below HIGH)"));
        toneGiven = true;
    }
    // Each tone option: its range and where its value goes.
    const struct {
        const QCommandLineOption& option;
        double lowest;
        double highest;
        float& value;
        const char* problem;
    } numbers[] = {
        {contrast, -100, 100, tone.contrastPercent, "--contrast takes a percentage from -100 to 100"},
        {brightness, -100, 100, tone.brightnessPercent, "--brightness takes a percentage from -100 to 100"},
        {gamma, 0.1, 10, tone.gamma, "--gamma takes a number from 0.1 to 10"},
        {sharpen, 0, 5, tone.sharpenAmount, "--sharpen takes an amount from 0 to 5"},
    };
    for (const auto& number : numbers) {
        if (!parser.isSet(number.option)) continue;
        const auto value = NumberWithin(parser.value(number.option), number.lowest, number.highest);
        if (!value) return UsageError(QString::fromLatin1(number.problem));
        number.value = static_cast<float>(*value);
        toneGiven = true;
    }
    if (toneGiven) picture.tone = tone;
    if (parser.isSet(background)) {
        const QColor colour(parser.value(background));
        if (!colour.isValid())
            return UsageError(
                QStringLiteral("unknown colour '%1' for --background").arg(parser.value(background)));
        picture.background = static_cast<Routines::Colour>(colour.red()) |
                             static_cast<Routines::Colour>(colour.green()) << 8 |
                             static_cast<Routines::Colour>(colour.blue()) << 16;
    }
    if (const QString problem = Problem(request); !problem.isEmpty()) return UsageError(problem);
    parsed.request = request;
    return parsed;
}

QString HelpText() {
    return QStringLiteral(
        "Usage: pelorin-convert [OPTION]... INPUT... (-o OUTPUT | -d FOLDER)\n"
        "Turns pictures, Nokia logos and .bit files into the Lyra's 96 x 48 screen picture.\n"
        "\n"
        "Inputs: .bit files (576 bytes), Nokia operator logos and group graphics (.nol, .ngg,\n"
        "recognised by \"NOL\" or \"NGG\" at the start, else by the name), and every picture\n"
        "format Qt reads (BMP, PNG, GIF, PBM/PGM/PPM, JPEG...). '-' reads standard input.\n"
        "\n"
        "Output:\n"
        "  -o, --output FILE    write FILE (.bit, .bmp, .png or .pbm by its ending);\n"
        "                       '-' writes standard output (needs --to)\n"
        "  -d, --directory FOLDER\n"
        "                       write FOLDER/NAME.bit for every input (or the --to format)\n"
        "      --to FORMAT      bit, bmp, png or pbm, whatever the output's name\n"
        "      --preview        show the result as 24 lines of half blocks; with no output\n"
        "                       named, only show it\n"
        "\n"
        "Pictures: one that fits within 96 x 48 is taken as drawn, as the window does it\n"
        "(top-left, only pure white clear, transparent pixels white); a larger one (a photo)\n"
        "is scaled to fit, its levels set automatically and halftoned with the best method.\n"
        "      --fit            scale to fit 96 x 48 keeping the aspect ratio, centred, as a photo\n"
        "      --exact          the window's rule for any picture: top-left 96 x 48, only pure\n"
        "                       white clear\n"
        "      --threshold N    set every pixel darker than luminance N (0-255)\n"
        "      --dither METHOD  best, atkinson, floyd-steinberg, jarvis, stucki, sierra, ordered\n"
        "                       or blue-noise (around --threshold, 128 by default)\n"
        "      --levels auto|none|LOW,HIGH\n"
        "                       the greys that become black and white: auto takes the darkest\n"
        "                       and lightest half percent (the default for a photo)\n"
        "      --contrast PERCENT, --brightness PERCENT (-100 to 100), --gamma G (0.1 to 10),\n"
        "      --sharpen AMOUNT (0 to 5)\n"
        "                       tone before halftoning; any of them (or --levels) halftones a\n"
        "                       picture drawn as it is, too\n"
        "      --background COLOUR\n"
        "                       what transparent pixels lie on when made grey (white)\n"
        "      --invert         swap set and clear pixels (for every input)\n"
        "\n"
        "  -h, --help           show this help\n"
        "      --version        show the version\n"
        "\n"
        "Each failed input gives one line on standard error:\n"
        "  pelorin-convert: INPUT: Error NUMBER: DESCRIPTION\n"
        "or the refusal the window shows, e.g. \"pelorin-convert: x.bit: This is not a valid\n"
        ".bit file\"; the other inputs are still converted. Outputs are replaced whole or not\n"
        "at all.\n"
        "\n"
        "Exit status: 0 all inputs converted, 1 some input failed, 2 usage error.\n");
}

}  // namespace Convert
