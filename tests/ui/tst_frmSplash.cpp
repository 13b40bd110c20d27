#include <QLabel>
#include <QPushButton>
#include <QWindow>

#include "TestSupport.h"
#include "frmMain.h"
#include "frmSplash.h"

namespace {

// Shows the About window from the main window and hands it to the action,
// which must hide or close it. Gives the window that was shown.
QPointer<frmSplash> RunAbout(frmMain& window, const std::function<void(frmSplash&)>& action) {
    QPointer<frmSplash> shown;
    ModalWatch watch(
        [&](QWidget* modal) {
            shown = qobject_cast<frmSplash*>(modal);
            if (!shown) return false;
            action(*shown);
            return true;
        },
        5000,
        [&window] {
            if (window.AboutWindow()) window.AboutWindow()->hide();
        });
    window.cmdAbout->click();
    if (watch.TimedOut()) QTest::qFail("the About window did not come and go in time", __FILE__, __LINE__);
    return shown;
}

void ClickThroughWindowSystem(frmMain& window, QWidget* button) {
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                      button->mapTo(&window, button->rect().center()));
}

}  // namespace

class AboutWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout();
    void resizingMovesNothing_data();
    void resizingMovesNothing();
    void closeHidesAndAboutShowsTheSameWindowWhereItWas();
    void titleBarCloseDestroysAndAboutMakesANewOne();
    void mainWindowTakesNoInputWhileAboutIsShown();
    // Runs the application's event loop, so it comes last.
    void programEndsWhenMainWindowClosesAfterAbout();

private:
    std::unique_ptr<ScriptedDialog> dialog_;
    std::unique_ptr<RecordingBoxes> boxes_;
    std::unique_ptr<frmMain> window_;
};

void AboutWindowTest::init() {
    dialog_ = std::make_unique<ScriptedDialog>();
    boxes_ = std::make_unique<RecordingBoxes>();
    window_ = std::make_unique<frmMain>(dialog_.get(), boxes_.get());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void AboutWindowTest::cleanup() {
    window_.reset();
    boxes_.reset();
    dialog_.reset();
}

void AboutWindowTest::layout() {
    frmSplash about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About "));
    QCOMPARE(about.size(), QSize(312, 117));
    QVERIFY(about.minimumSize() != about.maximumSize());
    QCOMPARE(about.windowType(), Qt::Window);
    // No customised title bar: the standard one with every button.
    QVERIFY(!about.windowFlags().testFlag(Qt::CustomizeWindowHint));
    QVERIFY(about.testAttribute(Qt::WA_DeleteOnClose));

    QCOMPARE(about.lblTitle->text(), QStringLiteral("Pelorin"));
    QCOMPARE(about.lblTitle->geometry(), QRect(0, 16, 313, 49));
    const QFont title = about.lblTitle->font();
    QCOMPARE(title.family(), QStringLiteral("Times New Roman"));
    QCOMPARE(title.pointSize(), 24);
    QVERIFY(title.bold());
    QVERIFY(!title.italic());
    QVERIFY(!title.underline());

    QCOMPARE(about.lblCopyright->text(), QStringLiteral("Lyra(TM) is copyright 1999 THOMSON multimedia"));
    QCOMPARE(about.lblCopyright->geometry(), QRect(0, 72, 313, 17));
    QVERIFY(!about.lblCopyright->testAttribute(Qt::WA_SetFont));
    for (QLabel* label : {about.lblTitle, about.lblCopyright}) {
        QCOMPARE(label->alignment(), Qt::AlignCenter);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        QCOMPARE(label->textInteractionFlags(), Qt::NoTextInteraction);
        QVERIFY(label->toolTip().isEmpty());
    }

    QCOMPARE(about.cmdClose->text(), QStringLiteral("Close"));
    QCOMPARE(about.cmdClose->geometry(), QRect(96, 88, 105, 25));
    QVERIFY(about.cmdClose->toolTip().isEmpty());
    QVERIFY(!about.cmdClose->autoDefault());
    QVERIFY(!about.cmdClose->isDefault());
    QVERIFY(!about.cmdClose->testAttribute(Qt::WA_SetFont));

    QCOMPARE(about.lblTitle->nextInFocusChain(), about.lblCopyright);
    QCOMPARE(about.lblCopyright->nextInFocusChain(), about.cmdClose);
}

void AboutWindowTest::resizingMovesNothing_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("enlarged") << QSize(640, 400);
    QTest::newRow("shrunk") << QSize(150, 60);
}

void AboutWindowTest::resizingMovesNothing() {
    QFETCH(QSize, size);
    frmSplash about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    about.resize(size);
    QTRY_COMPARE_WITH_TIMEOUT(about.size(), size, 2000);
    QCOMPARE(about.lblTitle->geometry(), QRect(0, 16, 313, 49));
    QCOMPARE(about.lblCopyright->geometry(), QRect(0, 72, 313, 17));
    QCOMPARE(about.cmdClose->geometry(), QRect(96, 88, 105, 25));
}

void AboutWindowTest::closeHidesAndAboutShowsTheSameWindowWhereItWas() {
    QVERIFY(!window_->AboutWindow());
    const QPointer<frmSplash> first = RunAbout(*window_, [](frmSplash& about) {
        about.move(123, 77);
        about.cmdClose->click();
    });
    QVERIFY(first);
    QVERIFY(!first->isVisible());
    QCOMPARE(window_->AboutWindow(), first.data());

    QPoint shownAt;
    const QPointer<frmSplash> second = RunAbout(*window_, [&](frmSplash& about) {
        shownAt = about.pos();
        about.cmdClose->click();
    });
    QCOMPARE(second.data(), first.data());
    QCOMPARE(shownAt, QPoint(123, 77));
}

void AboutWindowTest::titleBarCloseDestroysAndAboutMakesANewOne() {
    const QPointer<frmSplash> first = RunAbout(*window_, [](frmSplash& about) { about.close(); });
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QVERIFY(!window_->AboutWindow());

    QString title;
    QString copyright;
    QSize size;
    const QPointer<frmSplash> second = RunAbout(*window_, [&](frmSplash& about) {
        title = about.lblTitle->text();
        copyright = about.lblCopyright->text();
        size = about.size();
        about.cmdClose->click();
    });
    QVERIFY(second);
    QCOMPARE(window_->AboutWindow(), second.data());
    QCOMPARE(title, QStringLiteral("Pelorin"));
    QCOMPARE(copyright, QStringLiteral("Lyra(TM) is copyright 1999 THOMSON multimedia"));
    QCOMPARE(size, QSize(312, 117));
}

void AboutWindowTest::mainWindowTakesNoInputWhileAboutIsShown() {
    dialog_->answers = {std::nullopt};
    std::size_t dialogsWhileShown = 1;
    int aboutShownAgain = -1;
    RunAbout(*window_, [&](frmSplash& about) {
        for (QPushButton* button : {window_->cmdOpenBit, window_->cmdSavePic, window_->cmdOpenNokia}) {
            ClickThroughWindowSystem(*window_, button);
        }
        dialogsWhileShown = dialog_->calls.size();
        ClickThroughWindowSystem(*window_, window_->cmdAbout);
        aboutShownAgain = about.isVisible() && QApplication::activeModalWidget() == &about ? 0 : 1;
        about.cmdClose->click();
    });
    QCOMPARE(dialogsWhileShown, 0u);
    QCOMPARE(aboutShownAgain, 0);

    // The same click reaches the button once the About window is gone.
    ClickThroughWindowSystem(*window_, window_->cmdOpenBit);
    QCOMPARE(dialog_->calls.size(), 1u);
}

void AboutWindowTest::programEndsWhenMainWindowClosesAfterAbout() {
    QVERIFY(QApplication::quitOnLastWindowClosed());
    bool aboutHiddenButAlive = false;
    QTimer::singleShot(0, window_.get(), [&] {
        RunAbout(*window_, [](frmSplash& about) { about.cmdClose->click(); });
        aboutHiddenButAlive = window_->AboutWindow() && !window_->AboutWindow()->isVisible();
        window_->close();
    });
    bool timedOut = false;
    QTimer failsafe;
    failsafe.setSingleShot(true);
    connect(&failsafe, &QTimer::timeout, [&] {
        timedOut = true;
        CloseModalWindows();
        QCoreApplication::exit(1);
    });
    failsafe.start(5000);
    const int exitCode = QCoreApplication::exec();
    QVERIFY(!timedOut);
    QCOMPARE(exitCode, 0);
    QVERIFY(aboutHiddenButAlive);
}

PELORIN_TEST_MAIN(AboutWindowTest)
#include "tst_frmSplash.moc"
