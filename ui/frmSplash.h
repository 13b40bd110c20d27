#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The About window: the program's title and the Lyra's trademark line.
// Close hides it; the title bar's close button destroys it.
class frmSplash : public QWidget {
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);

    QLabel* lblTitle = nullptr;
    QLabel* lblCopyright = nullptr;
    QPushButton* cmdClose = nullptr;

signals:
    // Hidden by the program (Close or close()), not minimised by the user.
    void Hidden();

protected:
    void hideEvent(QHideEvent* event) override;
};
