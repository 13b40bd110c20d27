#pragma once

#include <optional>

#include <QString>
#include <QStringList>

class QWidget;

// Runs one modal file dialog. The real one is the platform's; tests put a
// scripted one in its place.
class FileDialogBackend {
public:
    enum class Mode { Open, Save };

    virtual ~FileDialogBackend() = default;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> Run(Mode mode, const QStringList& nameFilters,
                                       const QString& defaultSuffix, const QString& proposedName) = 0;
};

// The platform's file dialog, shown modally over the given window. A save
// dialog asks before replacing a file; an open dialog takes only existing files.
class QtFileDialogBackend : public FileDialogBackend {
public:
    explicit QtFileDialogBackend(QWidget* owner);
    std::optional<QString> Run(Mode mode, const QStringList& nameFilters, const QString& defaultSuffix,
                               const QString& proposedName) override;

private:
    QWidget* owner_;
};

// The main window's one file dialog. Its settings keep their values from one
// command to the next.
class FileDialog {
public:
    explicit FileDialog(FileDialogBackend& backend);

    // Description and pattern pairs joined by "|": "Bit Files (*.bit)|*.bit".
    QString Filter;
    // "*.bit": a name typed without an extension gets ".bit".
    QString DefaultExt;
    // The proposed name; after a dialog the full path chosen.
    QString FileName;
    // When on, cancelling raises the Cancelled failure; when off, a cancel
    // leaves FileName as it was.
    bool CancelError = true;

    void ShowOpen();
    void ShowSave();

    // The dialog's view of the settings.
    static QStringList NameFilters(const QString& filter);
    static QString DefaultSuffix(const QString& defaultExt);

private:
    void Show(FileDialogBackend::Mode mode);

    FileDialogBackend& backend_;
};
