#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "FileDialog.h"
#include "MessageBoxes.h"
#include "QtMessageBoxes.h"

class PictureView;
class QPushButton;
class frmSplash;

// The main window: the image view, the file dialog and the six command buttons.
// Each file command's slot runs the dialog inside its error trap and hands the
// chosen path to a function that does the work.
class frmMain : public QWidget {
    Q_OBJECT

public:
    // Without a dialog backend or message boxes the platform's are used. The
    // boxes also receive the engine's boxes while the window exists.
    explicit frmMain(FileDialogBackend* dialogBackend = nullptr, Routines::MessageBoxes* boxes = nullptr,
                     QWidget* parent = nullptr);
    ~frmMain() override;

    QPushButton* cmdOpenBit = nullptr;
    QPushButton* cmdOpenNokia = nullptr;
    QPushButton* cmdOpenBMP = nullptr;
    QPushButton* cmdSaveBMP = nullptr;
    QPushButton* cmdSavePic = nullptr;
    QPushButton* cmdAbout = nullptr;
    PictureView* picMain = nullptr;

    FileDialog& cmdfile() { return cmdfile_; }
    // The About window while it exists, shown or hidden.
    frmSplash* AboutWindow() const;

private slots:
    void cmdOpenBit_Click();
    void cmdSavePic_Click();
    void cmdOpenBMP_Click();
    void cmdSaveBMP_Click();
    void cmdOpenNokia_Click();
    void cmdAbout_Click();

private:
    // The work of the file commands, after the dialog. What they do not handle
    // themselves travels up to the command's error trap; Save Bit shows its
    // own box when the save fails.
    void OpenBit(const QString& path);
    void SaveBit(const QString& path);
    void OpenBMP(const QString& path);
    void SaveBMP(const QString& path);
    void OpenNokia(const QString& path);

    void RunOpenCommand(const QString& filter, void (frmMain::*work)(const QString&));
    void RunSaveCommand(const QString& proposedName, const QString& defaultExt, const QString& filter,
                        void (frmMain::*work)(const QString&));
    QPushButton* AddButton(const char* name, const QString& caption, const QString& toolTip, int left,
                           int top, void (frmMain::*clicked)());

    QtFileDialogBackend platformDialog_{this};
    QtMessageBoxes platformBoxes_{this};
    Routines::MessageBoxes& boxes_;
    const Routines::ScopedMessageBoxes installedBoxes_{boxes_};
    FileDialog cmdfile_;
    QPointer<frmSplash> about_;
};
