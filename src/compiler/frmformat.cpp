#include "compiler/frmformat.h"

namespace bitvane {

frmFormat::frmFormat(QWidget *parent) : QDialog(parent) {}

bool frmFormat::HexOrBin()
{
    return true;
}

} // namespace bitvane
