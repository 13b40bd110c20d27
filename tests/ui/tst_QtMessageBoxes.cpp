#include <QAbstractButton>
#include <QMessageBox>

#include "QtMessageBoxes.h"
#include "QtTestSupport.h"

class QtMessageBoxesTest : public QObject {
    Q_OBJECT

private slots:
    void boxShowsTheText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("critical");
        QTest::addColumn<QString>("shown");
        QTest::newRow("lone carriage returns") << "one\rtwo\r\rfour" << true << "one\ntwo\n\nfour";
        QTest::newRow("one line, no icon") << "Invalid Data" << false << "Invalid Data";
        QTest::newRow("markup stays text")
            << "Error writing to file/tmp/<b>x</b>.bit" << true << "Error writing to file/tmp/<b>x</b>.bit";
    }

    void boxShowsTheText() {
        QFETCH(QString, text);
        QFETCH(bool, critical);
        QFETCH(QString, shown);
        QWidget owner;
        owner.show();
        QtMessageBoxes boxes(&owner);
        QStringList seen;
        QVERIFY(HandleModal(
            [&] {
                boxes.Show(text.toStdString(), "Title!!!",
                           critical ? Routines::BoxIcon::Critical : Routines::BoxIcon::None);
            },
            [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                if (!box) return false;
                seen = QStringList{box->text(),
                                   box->windowTitle(),
                                   QString::number(box->icon()),
                                   QString::number(box->buttons().size()),
                                   QString::number(box->textFormat()),
                                   box->parentWidget() == &owner ? "over its owner" : "elsewhere"};
                box->button(QMessageBox::Ok)->click();
                return true;
            }));
        const int icon = critical ? QMessageBox::Critical : QMessageBox::NoIcon;
        QCOMPARE(seen, (QStringList{shown, "Title!!!", QString::number(icon), "1",
                                    QString::number(Qt::PlainText), "over its owner"}));
    }
};

PELORIN_TEST_MAIN(QtMessageBoxesTest)
#include "tst_QtMessageBoxes.moc"
