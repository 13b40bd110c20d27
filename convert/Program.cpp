#include "Program.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <new>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include "CommandLine.h"
#include "Failure.h"
#include "FileAccess.h"
#include "Formats.h"
#include "Inputs.h"
#include "MessageBoxes.h"
#include "Names.h"
#include "Outputs.h"
#include "PictureRules.h"
#include "StreamedInputs.h"
#include "Words.h"

namespace Convert {

namespace {

const QString StandardStream = QStringLiteral("-");
const char* const ProgramName = "pelorin-convert";

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
    std::fprintf(stderr, "%s: %s: %s\n", ProgramName, ShownBytes(NameBytes(input)).constData(),
                 ShownBytes(QByteArray::fromStdString(message)).constData());
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

// Up to `count` more bytes of standard input, or all it has left. A pipe that
// the feeding process left non-blocking is waited on when it runs dry, not
// taken for the end.
QByteArray ReadFromInput(QFile& input, qint64 count) {
    QByteArray bytes;
    while (bytes.size() < count) {
        errno = 0;
        const QByteArray more = input.read(count - bytes.size());
        const bool dry = more.isEmpty() && !std::feof(stdin) && (errno == EAGAIN || errno == EWOULDBLOCK);
        bytes += more;
        if (more.isEmpty() && !dry) break;
        if (dry) {
            std::clearerr(stdin);
            pollfd wait{STDIN_FILENO, POLLIN, 0};
            ::poll(&wait, 1, -1);
        }
    }
    return bytes;
}

QByteArray ReadStandardInput() {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly)) {
        throw Routines::Failure(Routines::FailureCode::DeviceError, "standard input: cannot read");
    }
    // One byte past the largest picture is enough to refuse it, with the
    // limit and the words a named file of that size gets; a JPEG or PNG photo
    // may be larger.
    QByteArray bytes = ReadFromInput(input, Pictures::LargestFileBytes + 1);
    qint64 limit = Pictures::LargestFileBytes;
    if (bytes.size() > Pictures::LargestFileBytes && StartsAsStreamedPhoto(bytes)) {
        limit = LargestStandardInputPhotoBytes;
        bytes += ReadFromInput(input, limit + 1 - bytes.size());
    }
    if (bytes.size() > limit) {
        Pictures::Refuse(
            StandardStream,
            QStringLiteral("more than %1 bytes, larger than any picture this program reads").arg(limit));
    }
    return bytes;
}

// One line for a result nearly all set or all clear from a picture of many tones.
std::string LostPictureHint(const Routines::PictureOutcome& picture) {
    const int percent = static_cast<int>(std::lround(100 * picture.setShare));
    return "hint: the screen came out " + std::to_string(percent) + " % set from a picture of " +
           std::to_string(picture.tones) +
           " tones; --levels auto, --brightness PERCENT, --threshold N or --dither best may keep it";
}

// The start of a raw file, through the engine's edge: one byte more than the
// layout takes is enough to tell a file too long.
QByteArray ReadRawFile(const QString& path, qint64 limit) {
    const std::vector<std::uint8_t> bytes =
        Routines::ReadFileStart(EnginePath(path), static_cast<std::size_t>(limit) + 1);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// Converts one input and writes its output; true when it succeeded.
bool ConvertOne(const Request& request, const QString& input, CollectedBoxes& boxes) {
    try {
        std::optional<Routines::MonoPicture> picture;
        PictureNotes drawn;
        if (request.conversion.fromLayout) {
            const qint64 limit = static_cast<qint64>(Routines::PackedSize(
                *request.conversion.fromLayout, request.conversion.width, request.conversion.height));
            const QByteArray bytes =
                input == StandardStream ? ReadStandardInput() : ReadRawFile(input, limit);
            picture = RawPicture(bytes, input, request.conversion);
        } else {
            picture = input == StandardStream
                          ? ConvertBytes(ReadStandardInput(), input, request.conversion, &drawn)
                          : ConvertFile(input, KindOfFile(input), request.conversion, &drawn);
        }
        const std::vector<std::string> notes = boxes.TakeLines();
        if (!picture) {
            // The engine refused the input with a box: that box is the reason.
            PrintLine(input, notes.empty() ? std::string("refused") : notes.front());
            return false;
        }
        for (const std::string& note : notes) PrintLine(input, "warning: " + note);
        if (!drawn.damage.isEmpty())
            PrintLine(input, "warning: converted as far as it was decoded: " + drawn.damage.toStdString());
        if (Routines::LooksLost(drawn.drawn)) PrintLine(input, LostPictureHint(drawn.drawn));

        const QString output = request.OutputFor(input);
        const bool outputIsStandard = output == StandardStream;
        if (request.preview) {
            const std::string shown = Routines::Preview(*picture, request.writing.preview);
            const QByteArray preview =
                (request.inputs.size() > 1 ? ShownBytes(NameBytes(input)) + ":\n" : QByteArray()) +
                shown.c_str();
            std::fputs(preview.constData(), outputIsStandard ? stderr : stdout);
            std::fflush(outputIsStandard ? stderr : stdout);
        }
        if (output.isEmpty()) return true;
        OutputOptions writing = request.writing;
        if (writing.name.isEmpty())
            writing.name =
                outputIsStandard ? QStringLiteral("picture") : QFileInfo(output).completeBaseName();
        const QByteArray bytes = Encode(*picture, request.FormatFor(output), writing);
        if (outputIsStandard) {
            WriteStandardOutput(bytes);
        } else {
            Routines::WriteFileAtomically(EnginePath(output),
                                          std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        }
        return true;
    } catch (const InputFailure& failure) {
        boxes.TakeLines();
        PrintFailure(input, failure.number, failure.description);
    } catch (...) {
        boxes.TakeLines();
        const Routines::Failure failure = Routines::CurrentFailure();
        PrintFailure(input, failure.Number(), failure.Description());
    }
    return false;
}

// The first output of the run that is one of its inputs, by device and inode
// (so through links and other spellings too), as "OUTPUT is the same file as
// the input INPUT"; empty when there is none. Checked before anything is written.
QString OutputOntoAnInput(const Request& request) {
    std::vector<std::pair<Routines::FileIdentity, QString>> inputs;
    for (const QString& input : request.inputs) {
        if (input == StandardStream) continue;
        if (const auto identity = Routines::IdentityOf(EnginePath(input)))
            inputs.emplace_back(*identity, input);
    }
    for (const QString& input : request.inputs) {
        const QString output = request.OutputFor(input);
        if (output.isEmpty() || output == StandardStream) continue;
        const auto identity = Routines::IdentityOf(EnginePath(output));
        if (!identity) continue;
        for (const auto& [inputIdentity, inputName] : inputs) {
            if (inputIdentity == *identity)
                return QStringLiteral("'%1' is the same file as the input '%2'; nothing was written")
                    .arg(ShownName(output), ShownName(inputName));
        }
    }
    return {};
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
    if (const QString problem = OutputOntoAnInput(request); !problem.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", ProgramName, ShownBytes(problem.toUtf8()).constData());
        return ExitUsageError;
    }
    // A folder that does not exist yet is made; if that fails, each write says why.
    if (!request.folder.isEmpty()) {
        std::error_code ignored;
        std::filesystem::create_directories(EnginePath(request.folder), ignored);
    }

    CollectedBoxes boxes;
    const Routines::ScopedMessageBoxes installedBoxes(boxes);
    bool allConverted = true;
    for (const QString& input : request.inputs) {
        if (!ConvertOne(request, input, boxes)) allConverted = false;
    }
    return allConverted ? ExitSuccess : ExitSomeInputFailed;
}

}  // namespace Convert
