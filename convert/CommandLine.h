#pragma once

// The converter's command line: what it asks for, or why it cannot be run.

#include <optional>

#include <QString>
#include <QStringList>

#include "Conversion.h"

namespace Convert {

struct Request {
    QStringList inputs;
    QString output;  // -o: one file, or "-" for standard output
    QString folder;  // -d: one file per input in this folder
    std::optional<OutputFormat> to;
    ConversionOptions conversion;
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

ParsedCommandLine ParseCommandLine(const QStringList& arguments);

QString HelpText();

}  // namespace Convert
