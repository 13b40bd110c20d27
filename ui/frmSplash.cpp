#include "frmSplash.h"

#include <QFont>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>

#include "Accessibility.h"
#include "CaptionFont.h"

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::Window),
      lblTitle(new QLabel(QStringLiteral("Pelorin"), this)),
      lblCopyright(new QLabel(QStringLiteral("Lyra(TM) is copyright 1999 THOMSON multimedia"), this)),
      cmdClose(new QPushButton(QStringLiteral("Close"), this)) {
    setWindowTitle(QStringLiteral("About "));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(312, 117);

    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont(QStringLiteral("Times New Roman"), 24, QFont::Bold);
    titleFont.setItalic(false);
    titleFont.setUnderline(false);
    lblTitle->setFont(titleFont);
    lblTitle->setGeometry(0, 16, 313, 49);

    lblCopyright->setObjectName(QStringLiteral("lblCopyright"));
    lblCopyright->setGeometry(0, 72, 313, 17);

    for (QLabel* label : {lblTitle, lblCopyright}) {
        label->setAlignment(Qt::AlignCenter);
        label->setFocusPolicy(Qt::NoFocus);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
    }

    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setGeometry(96, 88, 105, 25);
    cmdClose->setAutoDefault(false);
    cmdClose->setDefault(false);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::hide);

    setTabOrder(lblTitle, lblCopyright);
    setTabOrder(lblCopyright, cmdClose);
    Accessibility::Describe(this, QAccessible::Window, QStringLiteral("About Pelorin"),
                            QStringLiteral("The program's title and the Lyra's trademark line"));
    CaptionFont::FitCaptions(this);
}

void frmSplash::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) emit Hidden();
}
