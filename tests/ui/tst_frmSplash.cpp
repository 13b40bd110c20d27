#include <QLabel>
#include <QPushButton>
#include <QWindow>

#include "QtTestSupport.h"
#include "frmSplash.h"

namespace {

const QString Copyright = QStringLiteral("Lyra(TM) is copyright 1999 THOMSON multimedia");
const QList<QRect> Placed{{0, 16, 313, 49}, {0, 72, 313, 17}, {96, 88, 105, 25}};

QList<QRect> Placement(const frmSplash& about) {
    return {about.lblTitle->geometry(), about.lblCopyright->geometry(), about.cmdClose->geometry()};
}

// Shows the About window from the main window and hands it to the action,
// which must hide or close it. False if that did not happen in time.
bool RunAbout(frmMain& window, const std::function<void(frmSplash&)>& action) {
    return HandleModal([&] { window.cmdAbout->click(); },
                       [&](QWidget* modal) {
                           auto* about = qobject_cast<frmSplash*>(modal);
                           if (about) action(*about);
                           return about != nullptr;
                       });
}

void ClickThroughWindowSystem(frmMain& window, QWidget* button) {
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                      button->mapTo(&window, button->rect().center()));
}

}  // namespace

class AboutWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        f_.emplace();
        f_->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f_->window));
    }
    void cleanup() { f_.reset(); }

    void layoutStaysWhenResized() {
        frmSplash about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About "));
        QCOMPARE(about.size(), QSize(312, 117));
        // An ordinary resizable window with the standard title bar.
        QVERIFY(about.minimumSize() != about.maximumSize());
        QCOMPARE(about.windowType(), Qt::Window);
        QVERIFY(!about.windowFlags().testFlag(Qt::CustomizeWindowHint));
        QVERIFY(about.testAttribute(Qt::WA_DeleteOnClose));

        QCOMPARE(about.lblTitle->text(), QStringLiteral("Pelorin"));
        const QFont title = about.lblTitle->font();
        QCOMPARE(title.family(), QStringLiteral("Times New Roman"));
        QCOMPARE(title.pointSize(), 24);
        QVERIFY(title.bold() && !title.italic() && !title.underline());
        QCOMPARE(about.lblCopyright->text(), Copyright);
        for (QLabel* label : {about.lblTitle, about.lblCopyright}) {
            QCOMPARE(label->alignment(), Qt::AlignCenter);
            QCOMPARE(label->focusPolicy(), Qt::NoFocus);
            QCOMPARE(label->textInteractionFlags(), Qt::NoTextInteraction);
            QVERIFY(label->toolTip().isEmpty());
        }
        QCOMPARE(about.cmdClose->text(), QStringLiteral("Close"));
        QVERIFY(about.cmdClose->toolTip().isEmpty());
        QVERIFY(!about.cmdClose->autoDefault() && !about.cmdClose->isDefault());
        QVERIFY(!about.lblCopyright->testAttribute(Qt::WA_SetFont) &&
                !about.cmdClose->testAttribute(Qt::WA_SetFont));
        QCOMPARE(about.lblTitle->nextInFocusChain(), about.lblCopyright);
        QCOMPARE(about.lblCopyright->nextInFocusChain(), about.cmdClose);
        QCOMPARE(Placement(about), Placed);

        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        for (QSize size : {QSize(640, 400), QSize(150, 60)}) {
            about.resize(size);
            QTRY_COMPARE_WITH_TIMEOUT(about.size(), size, 2000);
            QCOMPARE(Placement(about), Placed);
        }
    }

    // Close hides the window, and About shows it again where it was; the
    // title bar's close button destroys it, and About makes a new one.
    void closeHidesAndTitleBarCloseDestroys() {
        frmMain& window = f_->window;
        QVERIFY(!window.AboutWindow());
        QPointer<frmSplash> first;
        QVERIFY(RunAbout(window, [&](frmSplash& about) {
            first = &about;
            about.move(123, 77);
            about.cmdClose->click();
        }));
        QVERIFY(first && !first->isVisible());
        QCOMPARE(window.AboutWindow(), first.data());

        QPointer<frmSplash> again;
        QPoint shownAt;
        QVERIFY(RunAbout(window, [&](frmSplash& about) {
            again = &about;
            shownAt = about.pos();
            about.close();
        }));
        QCOMPARE(again.data(), first.data());
        QCOMPARE(shownAt, QPoint(123, 77));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull() && !window.AboutWindow());

        QStringList content;
        QVERIFY(RunAbout(window, [&](frmSplash& about) {
            content = QStringList{about.lblTitle->text(), about.lblCopyright->text()};
            if (about.size() == QSize(312, 117) && Placement(about) == Placed) content << "laid out";
            about.cmdClose->click();
        }));
        QVERIFY(window.AboutWindow());
        QCOMPARE(content, (QStringList{"Pelorin", Copyright, "laid out"}));
    }

    void mainWindowTakesNoInputWhileAboutIsShown() {
        frmMain& window = f_->window;
        std::size_t dialogsWhileShown = 1;
        bool aboutStillModal = false;
        QVERIFY(RunAbout(window, [&](frmSplash& about) {
            for (QPushButton* button : {window.cmdOpenBit, window.cmdSavePic, window.cmdOpenNokia})
                ClickThroughWindowSystem(window, button);
            dialogsWhileShown = f_->dialog.calls.size();
            ClickThroughWindowSystem(window, window.cmdAbout);
            aboutStillModal = about.isVisible() && QApplication::activeModalWidget() == &about;
            about.cmdClose->click();
        }));
        QCOMPARE(dialogsWhileShown, 0u);
        QVERIFY(aboutStillModal);
        // The same click reaches the button once the About window is gone.
        ClickThroughWindowSystem(window, window.cmdOpenBit);
        QCOMPARE(f_->dialog.calls.size(), 1u);
    }

    // Runs the application's event loop, so it comes last.
    void programEndsWhenMainWindowClosesAfterAbout() {
        QVERIFY(QApplication::quitOnLastWindowClosed());
        bool aboutHiddenButAlive = false;
        QTimer::singleShot(0, &f_->window, [&] {
            aboutHiddenButAlive = RunAbout(f_->window, [](frmSplash& about) { about.cmdClose->click(); }) &&
                                  f_->window.AboutWindow() && !f_->window.AboutWindow()->isVisible();
            f_->window.close();
        });
        QTimer failsafe;
        failsafe.callOnTimeout([] {
            CloseWindowsLeftOpen();
            QCoreApplication::exit(1);
        });
        failsafe.start(6000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(aboutHiddenButAlive);
    }

private:
    std::optional<MainWindowFixture> f_;
};

PELORIN_TEST_MAIN(AboutWindowTest)
#include "tst_frmSplash.moc"
