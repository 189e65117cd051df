#include "app/frmmain.h"

namespace bitvane {

frmMain::frmMain(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Bitvane"));
    setFixedSize(648, 537);
}

} // namespace bitvane
