#include <QAbstractButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>

#include "Failure.h"
#include "TestSupport.h"

using Mode = FileDialogBackend::Mode;

namespace {

// Types a name into Qt's own file dialog and accepts it.
void TypeAndAccept(QWidget* modal, const QString& name) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    QVERIFY(dialog);
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->setText(name);
    static_cast<QDialog*>(dialog)->accept();
}

void ShowSaveOrFail(FileDialog& cmdfile) {
    try {
        cmdfile.ShowSave();
    } catch (const Routines::Failure& failure) {
        QFAIL(failure.what());
    }
}

}  // namespace

class FileDialogTest : public QObject {
    Q_OBJECT

private slots:
    void filterBecomesNameFilters_data();
    void filterBecomesNameFilters();
    void defaultExtBecomesSuffix_data();
    void defaultExtBecomesSuffix();
    void settingsReachTheDialog();
    void cancel_data();
    void cancel();
    void realSaveDialogAppendsTheDefaultExtension();
    void realSaveDialogAsksBeforeReplacing();
    void realOpenDialogTakesOnlyExistingFiles();

private:
    QTemporaryDir dir_;
};

void FileDialogTest::filterBecomesNameFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("nameFilters");
    QTest::newRow("one pair") << "Bit Files (*.bit)|*.bit" << QStringList{"Bit Files (*.bit)"};
    QTest::newRow("two pairs") << "Nokia Operator Logo (*.nol)|*.nol|Nokia Group Graphic (*.ngg)|*.ngg"
                               << QStringList{"Nokia Operator Logo (*.nol)", "Nokia Group Graphic (*.ngg)"};
    QTest::newRow("pattern not in the description") << "Pictures|*.bmp" << QStringList{"Pictures (*.bmp)"};
    QTest::newRow("empty") << "" << QStringList{};
}

void FileDialogTest::filterBecomesNameFilters() {
    QFETCH(QString, filter);
    QFETCH(QStringList, nameFilters);
    QCOMPARE(FileDialog::NameFilters(filter), nameFilters);
}

void FileDialogTest::defaultExtBecomesSuffix_data() {
    QTest::addColumn<QString>("defaultExt");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("pattern") << "*.bit"
                             << "bit";
    QTest::newRow("dotted") << ".bmp"
                            << "bmp";
    QTest::newRow("bare") << "bmp"
                          << "bmp";
    QTest::newRow("none") << ""
                          << "";
}

void FileDialogTest::defaultExtBecomesSuffix() {
    QFETCH(QString, defaultExt);
    QFETCH(QString, suffix);
    QCOMPARE(FileDialog::DefaultSuffix(defaultExt), suffix);
}

void FileDialogTest::settingsReachTheDialog() {
    ScriptedDialog backend;
    backend.answers = {QStringLiteral("/somewhere/chosen.bit"), QStringLiteral("/elsewhere/logo.nol")};
    FileDialog cmdfile(backend);
    cmdfile.Filter = QStringLiteral("Bit Files (*.bit)|*.bit");
    cmdfile.DefaultExt = QStringLiteral("*.bit");
    cmdfile.FileName = QStringLiteral("Screen.bit");
    cmdfile.ShowSave();
    QCOMPARE(cmdfile.FileName, QStringLiteral("/somewhere/chosen.bit"));
    cmdfile.Filter = QStringLiteral("Nokia Operator Logo (*.nol)|*.nol");
    cmdfile.ShowOpen();
    QCOMPARE(cmdfile.FileName, QStringLiteral("/elsewhere/logo.nol"));

    QCOMPARE(backend.calls.size(), 2u);
    QCOMPARE(backend.calls[0].mode, Mode::Save);
    QCOMPARE(backend.calls[0].nameFilters, QStringList{"Bit Files (*.bit)"});
    QCOMPARE(backend.calls[0].defaultSuffix, QStringLiteral("bit"));
    QCOMPARE(backend.calls[0].proposedName, QStringLiteral("Screen.bit"));
    QCOMPARE(backend.calls[1].mode, Mode::Open);
    QCOMPARE(backend.calls[1].nameFilters, QStringList{"Nokia Operator Logo (*.nol)"});
    QCOMPARE(backend.calls[1].defaultSuffix, QStringLiteral("bit"));
    QCOMPARE(backend.calls[1].proposedName, QStringLiteral("/somewhere/chosen.bit"));
}

void FileDialogTest::cancel_data() {
    QTest::addColumn<bool>("cancelError");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("cancel error on, no name") << true << "";
    QTest::newRow("cancel error on, earlier path") << true << "/earlier/picture.bit";
    QTest::newRow("cancel error off, no name") << false << "";
    QTest::newRow("cancel error off, earlier path") << false << "/earlier/picture.bit";
}

void FileDialogTest::cancel() {
    QFETCH(bool, cancelError);
    QFETCH(QString, fileName);
    ScriptedDialog backend;
    backend.answers = {std::nullopt, std::nullopt};
    FileDialog cmdfile(backend);
    QVERIFY(cmdfile.CancelError);  // on from the start
    cmdfile.CancelError = cancelError;
    cmdfile.FileName = fileName;
    for (auto show : {&FileDialog::ShowOpen, &FileDialog::ShowSave}) {
        bool cancelled = false;
        try {
            (cmdfile.*show)();
        } catch (const Routines::Failure& failure) {
            QCOMPARE(failure.Number(), 32755);
            cancelled = true;
        }
        QCOMPARE(cancelled, cancelError);
        QCOMPARE(cmdfile.FileName, fileName);
    }
}

void FileDialogTest::realSaveDialogAppendsTheDefaultExtension() {
    QWidget owner;
    QtFileDialogBackend backend(&owner);
    FileDialog cmdfile(backend);
    cmdfile.Filter = QStringLiteral("Bit Files (*.bit)|*.bit");
    cmdfile.DefaultExt = QStringLiteral("*.bit");
    cmdfile.FileName = dir_.filePath(QStringLiteral("Screen.bit"));

    QStringList nameFilters;
    ModalWatch watch([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) nameFilters = dialog->nameFilters();
        TypeAndAccept(modal, QStringLiteral("picture"));
        return true;
    });
    ShowSaveOrFail(cmdfile);
    QVERIFY(!watch.TimedOut());
    QCOMPARE(nameFilters, QStringList{"Bit Files (*.bit)"});
    QCOMPARE(cmdfile.FileName, dir_.filePath(QStringLiteral("picture.bit")));
}

void FileDialogTest::realSaveDialogAsksBeforeReplacing() {
    const QString existing = dir_.filePath(QStringLiteral("existing.bmp"));
    WriteBytes(existing, "earlier content");
    QWidget owner;
    QtFileDialogBackend backend(&owner);
    FileDialog cmdfile(backend);
    cmdfile.Filter = QStringLiteral("Bmp Files (*.bmp)|*.bmp");
    cmdfile.DefaultExt = QStringLiteral("*.bmp");
    cmdfile.FileName = existing;

    QString question;
    ModalWatch watch([&](QWidget* modal) {
        if (qobject_cast<QFileDialog*>(modal)) {
            TypeAndAccept(modal, QStringLiteral("existing"));
            return false;
        }
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return false;
        question = box->text();
        box->button(QMessageBox::Yes)->click();
        return true;
    });
    ShowSaveOrFail(cmdfile);
    QVERIFY(!watch.TimedOut());
    QVERIFY2(question.contains(QStringLiteral("existing.bmp")), qPrintable(question));
    QCOMPARE(cmdfile.FileName, existing);
}

void FileDialogTest::realOpenDialogTakesOnlyExistingFiles() {
    WriteBytes(dir_.filePath(QStringLiteral("present.bit")), QByteArray(576, '\0'));
    QWidget owner;
    QtFileDialogBackend backend(&owner);
    FileDialog cmdfile(backend);
    cmdfile.Filter = QStringLiteral("Bit Files (*.bit)|*.bit");
    cmdfile.FileName = dir_.filePath(QStringLiteral("present.bit"));

    bool refused = false;
    ModalWatch watch([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog && !refused) {
            TypeAndAccept(modal, QStringLiteral("absent.bit"));
            return false;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            refused = true;
            box->accept();
            return false;
        }
        // Still open after the refusal: the user gives up.
        if (dialog) dialog->reject();
        return true;
    });
    QVERIFY_THROWS_EXCEPTION(Routines::Failure, cmdfile.ShowOpen());
    QVERIFY(!watch.TimedOut());
    QVERIFY(refused);
    QCOMPARE(cmdfile.FileName, dir_.filePath(QStringLiteral("present.bit")));
}

PELORIN_TEST_MAIN(FileDialogTest)
#include "tst_FileDialog.moc"
