#include <QAbstractButton>
#include <QMessageBox>

#include "QtMessageBoxes.h"
#include "TestSupport.h"

class QtMessageBoxesTest : public QObject {
    Q_OBJECT

private slots:
    void boxShowsTheText_data();
    void boxShowsTheText();
};

void QtMessageBoxesTest::boxShowsTheText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("critical");
    QTest::addColumn<QString>("shown");
    QTest::newRow("lone carriage returns") << "one\rtwo\r\rfour" << true << "one\ntwo\n\nfour";
    QTest::newRow("one line, no icon") << "Invalid Data" << false << "Invalid Data";
    QTest::newRow("markup stays text")
        << "Error writing to file/tmp/<b>x</b>.bit" << true << "Error writing to file/tmp/<b>x</b>.bit";
}

void QtMessageBoxesTest::boxShowsTheText() {
    QFETCH(QString, text);
    QFETCH(bool, critical);
    QFETCH(QString, shown);
    QWidget owner;
    owner.show();
    QtMessageBoxes boxes(&owner);

    QMessageBox* seen = nullptr;
    QString seenText;
    QString seenTitle;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
    int buttons = 0;
    Qt::TextFormat format = Qt::AutoText;
    QWidget* parent = nullptr;
    ModalWatch watch([&](QWidget* modal) {
        seen = qobject_cast<QMessageBox*>(modal);
        if (!seen) return false;
        seenText = seen->text();
        seenTitle = seen->windowTitle();
        seenIcon = seen->icon();
        buttons = static_cast<int>(seen->buttons().size());
        format = seen->textFormat();
        parent = seen->parentWidget();
        seen->button(QMessageBox::Ok)->click();
        return true;
    });
    boxes.Show(text.toStdString(), "Title!!!",
               critical ? Routines::BoxIcon::Critical : Routines::BoxIcon::None);
    QVERIFY(!watch.TimedOut());
    QVERIFY(seen);
    QCOMPARE(seenText, shown);
    QCOMPARE(seenTitle, QStringLiteral("Title!!!"));
    QCOMPARE(seenIcon, critical ? QMessageBox::Critical : QMessageBox::NoIcon);
    QCOMPARE(buttons, 1);
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(parent, &owner);
}

PELORIN_TEST_MAIN(QtMessageBoxesTest)
#include "tst_QtMessageBoxes.moc"
