#include "frmMain.h"

#include <string>

#include <QEventLoop>
#include <QPushButton>

#include "Accessibility.h"
#include "CaptionFont.h"
#include "Commands.h"
#include "ErrorTrap.h"
#include "Failure.h"
#include "PictureView.h"
#include "Pictures.h"
#include "ProgramIcon.h"
#include "Routines.h"
#include "Words.h"
#include "frmSplash.h"

namespace {

const QString BitFilter = QStringLiteral("Bit Files (*.bit)|*.bit");
const QString BmpFilter = QStringLiteral("Bmp Files (*.bmp)|*.bmp");
const QString NokiaFilter =
    QStringLiteral("Nokia Operator Logo (*.nol)|*.nol|Nokia Group Graphic (*.ngg)|*.ngg");

constexpr int ButtonWidth = 73;
constexpr int ButtonHeight = 25;

using Pictures::EnginePath;

}  // namespace

frmMain::frmMain(FileDialogBackend* dialogBackend, Routines::MessageBoxes* boxes, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      boxes_(boxes ? *boxes : platformBoxes_),
      cmdfile_(dialogBackend ? *dialogBackend : platformDialog_) {
    setWindowTitle(QStringLiteral("Pelorin"));
    setWindowIcon(ProgramIcon::Icon());
    setFixedSize(270, 84);

    cmdOpenBit =
        AddButton("cmdOpenBit", QStringLiteral("Open Bit"),
                  QStringLiteral("Open a Binary file containing a Bitmap"), 8, 8, &frmMain::cmdOpenBit_Click);
    cmdOpenNokia = AddButton("cmdOpenNokia", QStringLiteral("Open Nokia"),
                             QStringLiteral("Open a Nokia Graphic"), 8, 32, &frmMain::cmdOpenNokia_Click);
    cmdOpenBMP = AddButton("cmdOpenBMP", QStringLiteral("Open BMP"), QStringLiteral("Open a Windows Bitmap"),
                           8, 56, &frmMain::cmdOpenBMP_Click);
    cmdSaveBMP =
        AddButton("cmdSaveBMP", QStringLiteral("Save BMP"), QStringLiteral("Save image as a Windows Bitmap"),
                  192, 8, &frmMain::cmdSaveBMP_Click);
    cmdSavePic = AddButton("cmdSavePic", QStringLiteral("Save Bit"),
                           QStringLiteral("Save image as binary data readable by the Lyra"), 192, 32,
                           &frmMain::cmdSavePic_Click);
    cmdAbout = AddButton("cmdAbout", QStringLiteral("About"), QStringLiteral("Show Copyright Information"),
                         192, 56, &frmMain::cmdAbout_Click);

    picMain = new PictureView(this);
    picMain->setObjectName(QStringLiteral("picMain"));
    picMain->move(88, 8);
    Accessibility::Describe(picMain, QAccessible::Graphic, QStringLiteral("Screen picture"),
                            QStringLiteral("The 96 by 48 picture for the Lyra's screen, as Save Bit and "
                                           "Save BMP write it"));

    QWidget* const tabOrder[] = {cmdOpenBit, cmdOpenNokia, cmdOpenBMP, cmdSaveBMP,
                                 cmdSavePic, cmdAbout,     picMain};
    for (std::size_t i = 0; i + 1 < std::size(tabOrder); ++i) setTabOrder(tabOrder[i], tabOrder[i + 1]);

    Accessibility::Describe(this, QAccessible::Window);
    CaptionFont::FitCaptions(this);
}

frmMain::~frmMain() { delete about_; }

frmSplash* frmMain::AboutWindow() const { return about_; }

QPushButton* frmMain::AddButton(const char* name, const QString& caption, const QString& toolTip, int left,
                                int top, void (frmMain::*clicked)()) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(toolTip);
    button->setGeometry(left, top, ButtonWidth, ButtonHeight);
    button->setAutoDefault(false);
    button->setDefault(false);
    connect(button, &QPushButton::clicked, this, clicked);
    return button;
}

// Open commands set only the filter; every other setting of the dialog stays
// as the last command left it.
void frmMain::RunOpenCommand(const QString& filter, void (frmMain::*work)(const QString&)) {
    RunTrapped(boxes_, [&] {
        cmdfile_.Filter = filter;
        cmdfile_.ShowOpen();
        if (cmdfile_.FileName.isEmpty()) return;
        (this->*work)(cmdfile_.FileName);
    });
}

// Save commands propose their own name and extension every time, and turn the
// cancel signal on for good.
void frmMain::RunSaveCommand(const QString& proposedName, const QString& defaultExt, const QString& filter,
                             void (frmMain::*work)(const QString&)) {
    RunTrapped(boxes_, [&] {
        cmdfile_.CancelError = true;
        cmdfile_.FileName = proposedName;
        cmdfile_.DefaultExt = defaultExt;
        cmdfile_.Filter = filter;
        cmdfile_.ShowSave();
        if (cmdfile_.FileName.isEmpty()) return;
        (this->*work)(cmdfile_.FileName);
    });
}

void frmMain::cmdOpenBit_Click() { RunOpenCommand(BitFilter, &frmMain::OpenBit); }

void frmMain::cmdSavePic_Click() {
    RunSaveCommand(QStringLiteral("Screen.bit"), QStringLiteral("*.bit"), BitFilter, &frmMain::SaveBit);
}

void frmMain::cmdOpenBMP_Click() { RunOpenCommand(BmpFilter, &frmMain::OpenBMP); }

void frmMain::cmdSaveBMP_Click() {
    RunSaveCommand(QString(), QStringLiteral("*.bmp"), BmpFilter, &frmMain::SaveBMP);
}

void frmMain::cmdOpenNokia_Click() { RunOpenCommand(NokiaFilter, &frmMain::OpenNokia); }

void frmMain::OpenBit(const QString& path) { Routines::OpenBitFile(EnginePath(path), *picMain); }

void frmMain::SaveBit(const QString& path) {
    if (Routines::SaveBitFile(EnginePath(path), *picMain) != Routines::TruthTrue) {
        boxes_.Show(Routines::WriteErrorText + path.toStdString(), Routines::WriteErrorTitle,
                    Routines::BoxIcon::Critical);
    }
}

// The view shows only the picture's top-left corner, so only that is read.
void frmMain::OpenBMP(const QString& path) {
    picMain->SetBackgroundPicture(
        Pictures::ReadPictureCorner(path, QSize(Routines::ScreenWidth, Routines::ScreenHeight)));
}

void frmMain::SaveBMP(const QString& path) { Pictures::WriteBitmap(picMain->PersistentImage(), path); }

void frmMain::OpenNokia(const QString& path) {
    // Only the name's ending decides; the filter the user picked does not.
    const std::string enginePath = EnginePath(path);
    if (const auto kind = Routines::LogoKindOfName(enginePath))
        Routines::OpenLogoFile(*kind, enginePath, *picMain);
}

void frmMain::cmdAbout_Click() {
    // Parentless: an ordinary window with every title bar button, which
    // window managers do not give to windows tied to an owner. Deleted in
    // the destructor.
    if (!about_) about_ = new frmSplash();
    // Modal for the whole application, so the main window's buttons do
    // nothing until the About window is hidden or closed.
    about_->setWindowModality(Qt::ApplicationModal);
    // A plain window has no exec() of its own: this loop makes the command
    // return only once the window is hidden or closed.
    QEventLoop modal;
    connect(about_, &frmSplash::Hidden, &modal, &QEventLoop::quit);
    connect(about_, &QObject::destroyed, &modal, &QEventLoop::quit);
    about_->show();
    modal.exec();
}
