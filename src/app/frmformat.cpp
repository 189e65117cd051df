// frmFormat: the hexadecimal or binary question, laid out and answered.
#include "app/frmformat.h"

#include "app/fonts.h"

#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

namespace bitvane {

frmFormat::frmFormat(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Bitvane"));
    // An empty icon would fall back to the application's; a transparent one
    // leaves the title bar bare, as a small question box should be.
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    setWindowIcon(QIcon(blank));

    setFont(WindowFont());
    setFixedSize(185, 65);

    optHex = new QRadioButton(QStringLiteral("Hexidecimal"), this);
    optHex->setObjectName(QStringLiteral("optHex"));
    optHex->setGeometry(16, 16, 81, 17);
    optHex->setChecked(true);

    optBin = new QRadioButton(QStringLiteral("Binary"), this);
    optBin->setObjectName(QStringLiteral("optBin"));
    optBin->setGeometry(16, 40, 81, 16);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(112, 24, 57, 24);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(optHex, optBin);
    setTabOrder(optBin, cmdOK);
}

bool frmFormat::HexOrBin(bool hex)
{
    QRadioButton *shown = hex ? optHex : optBin;
    shown->setChecked(true);
    shown->setFocus();
    centreOverParent();
    // A modal wait: the main window still repaints, but nothing spins while
    // the user thinks. The result of exec() does not matter: Escape and the
    // close box answer with the shown choice just as "OK" does.
    exec();
    return optHex->isChecked();
}

void frmFormat::centreOverParent()
{
    const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner)
        return;
    // The dialog has no frame before it is first shown; the window manager
    // gives it the same decorations as its owner, so the owner's margins
    // stand in for its own.
    const QRect ownerFrame = owner->frameGeometry();
    const QSize decoration = ownerFrame.size() - owner->geometry().size();
    const QSize ownFrame = size() + decoration;
    move(ownerFrame.left() + (ownerFrame.width() - ownFrame.width()) / 2,
         ownerFrame.top() + (ownerFrame.height() - ownFrame.height()) / 2);
}

} // namespace bitvane
