#include "CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace Convert {

namespace {

const QString StandardStream = QStringLiteral("-");
const char* const ProgramName = "pelorin-convert";

// The help's option lines: names from column 2, descriptions from column 23.
constexpr qsizetype DescriptionColumn = 23;

QString HelpBeginning() {
    return QStringLiteral(
        "Usage: pelorin-convert [OPTION]... INPUT... (-o OUTPUT | -d FOLDER)\n"
        "Turns pictures, Nokia logos and .bit files into the Lyra's 96 x 48 screen picture.\n"
        "\n"
        "Inputs: .bit files (576 bytes), Nokia operator logos and group graphics (.nol, .ngg,\n"
        "recognised by \"NOL\" or \"NGG\" at the start, else by the name), and every picture\n"
        "format Qt reads (BMP, PNG, GIF, PBM/PGM/PPM, JPEG...). '-' reads standard input.\n"
        "\n");
}

// The lines above a section's options in the help.
QString SectionHeading(OptionSection section) {
    switch (section) {
        case OptionSection::Output:
            return QStringLiteral("Output:\n");
        case OptionSection::Pictures:
            return QStringLiteral(
                "Pictures (by default as the window does it: placed top-left, clipped to 96 x 48,\n"
                "only pure white clear; transparent pixels count as white):\n");
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
        {{"to"}, "FORMAT", "bit, bmp, png or pbm, whatever the output's name", Section::Output},
        {{"preview"},
         {},
         "show the result as 24 lines of half blocks; with no output\n"
         "named, only show it",
         Section::Output},
        {{"fit"}, {}, "scale to fit 96 x 48 keeping the aspect ratio, centred", Section::Pictures},
        {{"threshold"}, "N", "set every pixel darker than luminance N (0-255)", Section::Pictures},
        {{"dither"},
         "METHOD",
         "floyd-steinberg, atkinson or ordered (around --threshold,\n"
         "128 by default)",
         Section::Pictures},
        {{"invert"}, {}, "swap set and clear pixels (for every input)", Section::Pictures},
        {{"h", "help"}, {}, "show this help", Section::Program},
        {{"version"}, {}, "show the version", Section::Program},
    };
    return options;
}

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    for (const OptionDeclaration& option : DeclaredOptions())
        parser.addOption(QCommandLineOption(option.names, option.description, option.valueName));
    if (!parser.parse(arguments)) return UsageError(parser.errorText());

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
    request.conversion.fit = parser.isSet(QStringLiteral("fit"));
    request.conversion.invert = parser.isSet(QStringLiteral("invert"));
    request.preview = parser.isSet(QStringLiteral("preview"));
    if (parser.isSet(QStringLiteral("threshold"))) {
        bool isNumber = false;
        const int level = parser.value(QStringLiteral("threshold")).toInt(&isNumber);
        if (!isNumber || level < 0 || level > 255)
            return UsageError(QStringLiteral("--threshold takes a luminance from 0 to 255"));
        request.conversion.rules.threshold = level;
    }
    if (parser.isSet(QStringLiteral("dither"))) {
        const QString name = parser.value(QStringLiteral("dither"));
        const auto method = DitheringNamed(name);
        if (!method) return UsageError(QStringLiteral("unknown method '%1' for --dither").arg(name));
        request.conversion.rules.dithering = *method;
    }
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
