#include "Converter.h"

#include <cstdio>
#include <map>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <QByteArray>
#include <QDir>
#include <QFile>

#include "CommandLine.h"
#include "Conversion.h"
#include "Failure.h"
#include "FileAccess.h"
#include "MessageBoxes.h"
#include "Words.h"

namespace Convert {

namespace {

const QString StandardStream = QStringLiteral("-");
const char* const ProgramName = "pelorin-convert";
// Standard input is read whole; more than this is no picture for a 96 x 48 screen.
constexpr qsizetype StandardInputLimit = 64 * 1024 * 1024;

// The engine's message boxes, collected for the input being converted.
class CollectedBoxes : public Routines::MessageBoxes {
public:
    void Show(const std::string& text, const std::string& /*title*/, Routines::BoxIcon /*icon*/) override {
        if (counts_.count(text) == 0) order_.push_back(text);
        ++counts_[text];
    }

    // One line per distinct box; a logo's dropped pixel bytes are counted, not listed.
    std::vector<std::string> TakeLines() {
        std::vector<std::string> lines;
        for (const std::string& text : order_) {
            const int count = counts_[text];
            std::string line = text;
            for (char& c : line) {
                if (c == '\r') c = ' ';
            }
            if (text == Routines::InvalidLogoDataBox.text) {
                line = std::to_string(count) + (count == 1 ? " invalid pixel byte" : " invalid pixel bytes") +
                       " dropped (" + Routines::InvalidLogoDataBox.text + ")";
            } else if (count > 1) {
                line += " (" + std::to_string(count) + " times)";
            }
            lines.push_back(line);
        }
        order_.clear();
        counts_.clear();
        return lines;
    }

private:
    std::vector<std::string> order_;
    std::map<std::string, int> counts_;
};

void PrintLine(const QString& input, const std::string& message) {
    std::fprintf(stderr, "%s: %s: %s\n", ProgramName, QFile::encodeName(input).constData(), message.c_str());
}

void PrintFailure(const QString& input, int number, const std::string& description) {
    PrintLine(input, "Error " + std::to_string(number) + ": " + description);
}

void WriteStandardOutput(const QByteArray& bytes) {
    if (std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout) !=
            static_cast<std::size_t>(bytes.size()) ||
        std::fflush(stdout) != 0) {
        throw Routines::Failure(Routines::FailureCode::DeviceError, "standard output: cannot write");
    }
}

QByteArray ReadStandardInput() {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly)) {
        throw Routines::Failure(Routines::FailureCode::DeviceError, "standard input: cannot read");
    }
    // In pieces, so that a small input does not cost the whole limit in memory.
    QByteArray bytes;
    while (bytes.size() <= StandardInputLimit) {
        const QByteArray piece = input.read(64 * 1024);
        if (piece.isEmpty()) break;
        bytes += piece;
    }
    if (bytes.size() > StandardInputLimit) {
        throw Routines::Failure(
            Routines::FailureCode::InvalidPicture,
            "standard input holds more than " + std::to_string(StandardInputLimit) + " bytes");
    }
    return bytes;
}

// Converts one input and writes its output; true when it succeeded.
bool ConvertOne(const Request& request, const QString& input, CollectedBoxes& boxes) {
    try {
        const std::optional<ScreenBytes> screen =
            input == StandardStream ? ConvertBytes(ReadStandardInput(), input, request.conversion)
                                    : ConvertFile(input, KindOfFile(input), request.conversion);
        const std::vector<std::string> notes = boxes.TakeLines();
        if (!screen) {
            // The engine refused the input with a box: that box is the reason.
            PrintLine(input, notes.empty() ? std::string("refused") : notes.front());
            return false;
        }
        for (const std::string& note : notes) PrintLine(input, "warning: " + note);

        const QString output = request.OutputFor(input);
        const bool outputIsStandard = output == StandardStream;
        if (request.preview) {
            const QByteArray preview =
                (request.inputs.size() > 1 ? QFile::encodeName(input) + ":\n" : QByteArray()) +
                Preview(*screen);
            std::fputs(preview.constData(), outputIsStandard ? stderr : stdout);
            std::fflush(outputIsStandard ? stderr : stdout);
        }
        if (output.isEmpty()) return true;
        const QByteArray bytes = Encode(*screen, request.FormatFor(output));
        if (outputIsStandard) {
            WriteStandardOutput(bytes);
        } else {
            Routines::WriteFileAtomically(QFile::encodeName(output).toStdString(),
                                          std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        }
        return true;
    } catch (const Routines::Failure& failure) {
        boxes.TakeLines();
        PrintFailure(input, failure.Number(), failure.Description());
    } catch (const InputFailure& failure) {
        boxes.TakeLines();
        PrintFailure(input, failure.number, failure.description);
    } catch (const std::bad_alloc&) {
        boxes.TakeLines();
        const Routines::Failure failure(Routines::FailureCode::OutOfMemory,
                                        Routines::Quoted(input.toStdString()));
        PrintFailure(input, failure.Number(), failure.Description());
    } catch (const std::exception& error) {
        boxes.TakeLines();
        const Routines::Failure failure(Routines::FailureCode::InternalError, error.what());
        PrintFailure(input, failure.Number(), failure.Description());
    }
    return false;
}

}  // namespace

int Run(const QStringList& arguments) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    if (parsed.help) {
        std::fputs(HelpText().toUtf8().constData(), stdout);
        return ExitSuccess;
    }
    if (parsed.version) {
        std::fputs(VersionText().toUtf8().constData(), stdout);
        return ExitSuccess;
    }
    if (!parsed.request) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", ProgramName,
                     parsed.usageError.toLocal8Bit().constData(), ProgramName);
        return ExitUsageError;
    }

    const Request& request = *parsed.request;
    // A folder that does not exist yet is made; if that fails, each write says why.
    if (!request.folder.isEmpty()) QDir().mkpath(request.folder);

    CollectedBoxes boxes;
    const Routines::ScopedMessageBoxes installedBoxes(boxes);
    bool allConverted = true;
    for (const QString& input : request.inputs) {
        if (!ConvertOne(request, input, boxes)) allConverted = false;
    }
    return allConverted ? ExitSuccess : ExitSomeInputFailed;
}

}  // namespace Convert
