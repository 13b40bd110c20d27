#include "FileDialog.h"

#include <QFileDialog>
#include <QWidget>

#include "Failure.h"

QtFileDialogBackend::QtFileDialogBackend(QWidget* owner) : owner_(owner) {}

std::optional<QString> QtFileDialogBackend::Run(Mode mode, const QStringList& nameFilters,
                                                const QString& defaultSuffix, const QString& proposedName) {
    QFileDialog dialog(owner_);
    const bool saving = mode == Mode::Save;
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!proposedName.isEmpty()) dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

FileDialog::FileDialog(FileDialogBackend& backend) : backend_(backend) {}

void FileDialog::ShowOpen() { Show(FileDialogBackend::Mode::Open); }

void FileDialog::ShowSave() { Show(FileDialogBackend::Mode::Save); }

void FileDialog::Show(FileDialogBackend::Mode mode) {
    const std::optional<QString> chosen =
        backend_.Run(mode, NameFilters(Filter), DefaultSuffix(DefaultExt), FileName);
    if (chosen) {
        FileName = *chosen;
    } else if (CancelError) {
        throw Routines::Failure(Routines::FailureCode::Cancelled, "");
    }
}

QStringList FileDialog::NameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList nameFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString& pattern = parts[i + 1];
        // The dialog reads the patterns from the parentheses of a filter;
        // most descriptions already show them.
        nameFilters << (description.contains(QLatin1Char('(') + pattern + QLatin1Char(')'))
                            ? description
                            : description + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return nameFilters;
}

QString FileDialog::DefaultSuffix(const QString& defaultExt) {
    QString suffix = defaultExt;
    while (suffix.startsWith(QLatin1Char('*')) || suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
    return suffix;
}
