#include "compiler/frmformat.h"

namespace bitvane {

frmFormat::frmFormat(QWidget *parent) : QDialog(parent) {}

} // namespace bitvane
