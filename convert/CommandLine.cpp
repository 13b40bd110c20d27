#include "CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace Convert {

namespace {

const QString StandardStream = QStringLiteral("-");

std::optional<Routines::Dithering> DitheringNamed(const QString& name) {
    if (name == QLatin1String("floyd-steinberg")) return Routines::Dithering::FloydSteinberg;
    if (name == QLatin1String("atkinson")) return Routines::Dithering::Atkinson;
    if (name == QLatin1String("ordered")) return Routines::Dithering::Ordered;
    return std::nullopt;
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
    const QCommandLineOption threshold(QStringLiteral("threshold"), QString(), QStringLiteral("N"));
    const QCommandLineOption dither(QStringLiteral("dither"), QString(), QStringLiteral("METHOD"));
    const QCommandLineOption invert(QStringLiteral("invert"));
    const QCommandLineOption preview(QStringLiteral("preview"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({output, folder, to, fit, threshold, dither, invert, preview, help, version});
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
    request.conversion.fit = parser.isSet(fit);
    request.conversion.invert = parser.isSet(invert);
    request.preview = parser.isSet(preview);
    if (parser.isSet(threshold)) {
        bool isNumber = false;
        const int level = parser.value(threshold).toInt(&isNumber);
        if (!isNumber || level < 0 || level > 255)
            return UsageError(QStringLiteral("--threshold takes a luminance from 0 to 255"));
        request.conversion.rules.threshold = level;
    }
    if (parser.isSet(dither)) {
        const auto method = DitheringNamed(parser.value(dither));
        if (!method)
            return UsageError(QStringLiteral("unknown method '%1' for --dither").arg(parser.value(dither)));
        request.conversion.rules.dithering = *method;
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
        "Pictures (by default as the window does it: placed top-left, clipped to 96 x 48,\n"
        "only pure white clear; transparent pixels count as white):\n"
        "      --fit            scale to fit 96 x 48 keeping the aspect ratio, centred\n"
        "      --threshold N    set every pixel darker than luminance N (0-255)\n"
        "      --dither METHOD  floyd-steinberg, atkinson or ordered (around --threshold,\n"
        "                       128 by default)\n"
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
