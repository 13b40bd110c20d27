#pragma once

// The converter's command line: what it asks for, or why it cannot be run.

#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "Inputs.h"
#include "Outputs.h"

namespace Convert {

struct Request {
    QStringList inputs;
    QString output;  // -o: one file, or "-" for standard output
    QString folder;  // -d: one file per input in this folder
    std::optional<OutputFormat> to;
    ConversionOptions conversion;
    OutputOptions writing;
    bool preview = false;

    // Where each input goes ("-" for standard output) and in which format;
    // empty when only a preview is asked for.
    QString OutputFor(const QString& input) const;
    OutputFormat FormatFor(const QString& output) const;
};

struct ParsedCommandLine {
    std::optional<Request> request;
    bool help = false;
    bool version = false;
    QString usageError;  // set when the command line cannot be run
};

// Where --help lists an option.
enum class OptionSection { Output, Pictures, Program };

// One option of the converter: the one place its names, value and words are
// written. --help, the parser and the check of the manual page and the bash
// completion all read the table; ParseCommandLine reads the value by name.
struct OptionDeclaration {
    QStringList names;    // a one-letter name first, then the long one
    QString valueName;    // empty for a switch
    QString description;  // the lines --help shows, '\n' between them
    OptionSection section;
};

// Every option, in the order --help lists them.
const std::vector<OptionDeclaration>& DeclaredOptions();

ParsedCommandLine ParseCommandLine(const QStringList& arguments);

// The help, made from DeclaredOptions().
QString HelpText();
// What --version prints: the program's name and the package's version.
QString VersionText();

}  // namespace Convert
