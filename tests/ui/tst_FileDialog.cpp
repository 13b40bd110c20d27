#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "Failure.h"
#include "QtTestSupport.h"

namespace {

// Types a name into Qt's own file dialog and accepts it. Gives the dialog's
// name filters; none for any other window.
QStringList TypeAndAccept(QWidget* modal, const QString& name) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    auto* edit = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
    if (!edit) return {};
    edit->setText(name);
    static_cast<QDialog*>(dialog)->accept();
    return dialog->nameFilters();
}

}  // namespace

class FileDialogTest : public QObject {
    Q_OBJECT

private slots:
    void settingsBecomeTheDialogsView_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("nameFilters");
        QTest::addColumn<QString>("defaultExt");
        QTest::addColumn<QString>("suffix");
        const auto row = [](const char* tag, const char* filter, const QStringList& nameFilters,
                            const char* defaultExt, const char* suffix) {
            QTest::newRow(tag) << QString(filter) << nameFilters << QString(defaultExt) << QString(suffix);
        };
        row("one pair", "Bit Files (*.bit)|*.bit", {"Bit Files (*.bit)"}, "*.bit", "bit");
        row("two pairs", "Nokia Operator Logo (*.nol)|*.nol|Nokia Group Graphic (*.ngg)|*.ngg",
            {"Nokia Operator Logo (*.nol)", "Nokia Group Graphic (*.ngg)"}, ".bmp", "bmp");
        row("pattern not in the description", "Pictures|*.bmp", {"Pictures (*.bmp)"}, "bmp", "bmp");
        row("empty", "", {}, "", "");
    }

    void settingsBecomeTheDialogsView() {
        QFETCH(QString, filter);
        QFETCH(QStringList, nameFilters);
        QFETCH(QString, defaultExt);
        QFETCH(QString, suffix);
        QCOMPARE(FileDialog::NameFilters(filter), nameFilters);
        QCOMPARE(FileDialog::DefaultSuffix(defaultExt), suffix);
    }

    void cancel_data() {
        QTest::addColumn<bool>("cancelError");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("cancel error on, no name") << true << "";
        QTest::newRow("cancel error on, earlier path") << true << "/earlier/picture.bit";
        QTest::newRow("cancel error off, no name") << false << "";
        QTest::newRow("cancel error off, earlier path") << false << "/earlier/picture.bit";
    }

    void cancel() {
        QFETCH(bool, cancelError);
        QFETCH(QString, fileName);
        ScriptedDialog backend;
        FileDialog cmdfile(backend);
        QVERIFY(cmdfile.CancelError);  // on from the start
        cmdfile.CancelError = cancelError;
        cmdfile.FileName = fileName;
        for (auto show : {&FileDialog::ShowOpen, &FileDialog::ShowSave}) {
            int failure = 0;
            try {
                (cmdfile.*show)();
            } catch (const Routines::Failure& cancelled) {
                failure = cancelled.Number();
            }
            QCOMPARE(failure, cancelError ? 32755 : 0);
            QCOMPARE(cmdfile.FileName, fileName);
        }
    }

    // Qt's own dialog behind the main window's commands: a name typed without
    // extension gets the default one, replacing a file is asked first, and an
    // open dialog refuses a file that does not exist.
    void qtDialogBehindTheCommands() {
        QTemporaryDir dir;
        RecordingBoxes boxes;
        frmMain window(nullptr, &boxes);
        window.show();

        QStringList nameFilters;
        QVERIFY(HandleModal([&] { window.cmdSavePic->click(); },
                            [&](QWidget* modal) {
                                nameFilters = TypeAndAccept(modal, dir.filePath(QStringLiteral("picture")));
                                return !nameFilters.isEmpty();
                            }));
        QCOMPARE(nameFilters, QStringList{"Bit Files (*.bit)"});
        QCOMPARE(window.cmdfile().FileName, dir.filePath(QStringLiteral("picture.bit")));
        QCOMPARE(ReadBytes(dir.filePath(QStringLiteral("picture.bit"))).size(), 576);

        const QString existing = dir.filePath(QStringLiteral("existing.bmp"));
        WriteBytes(existing, "earlier content");
        QString question;
        QVERIFY(HandleModal([&] { window.cmdSaveBMP->click(); },
                            [&](QWidget* modal) {
                                auto* box = qobject_cast<QMessageBox*>(modal);
                                if (!box) {
                                    TypeAndAccept(modal, dir.filePath(QStringLiteral("existing")));
                                    return false;
                                }
                                question = box->text();
                                box->button(QMessageBox::Yes)->click();
                                return true;
                            }));
        QVERIFY2(question.contains(QStringLiteral("existing.bmp")), qPrintable(question));
        QVERIFY(ReadBytes(existing).startsWith("BM"));

        bool refused = false;
        QVERIFY(HandleModal([&] { window.cmdOpenBit->click(); },
                            [&](QWidget* modal) {
                                if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                                    refused = true;
                                    box->accept();
                                    return false;
                                }
                                if (refused) {
                                    // Still open after the refusal: the user gives up.
                                    static_cast<QDialog*>(modal)->reject();
                                    return true;
                                }
                                TypeAndAccept(modal, dir.filePath(QStringLiteral("absent.bit")));
                                return false;
                            }));
        QVERIFY(refused);
        QCOMPARE(window.cmdfile().FileName, existing);
        QVERIFY(boxes.shown.empty());
    }
};

PELORIN_TEST_MAIN(FileDialogTest)
#include "tst_FileDialog.moc"
