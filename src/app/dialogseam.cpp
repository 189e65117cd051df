#include "app/dialogseam.h"

#include "compiler/frmformat.h"

namespace bitvane {

std::optional<QString> QtDialogSeam::showOpen(QWidget *, const QString &, const QString &, bool)
{
    return std::nullopt;
}

std::optional<QString> QtDialogSeam::showSave(QWidget *, const QString &, const QString &)
{
    return std::nullopt;
}

void QtDialogSeam::showMessage(QWidget *parent, const QString &text, const QString &title,
                               QMessageBox::Icon icon)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogSeam::hexOrBin(QWidget *parent)
{
    frmFormat dialog(parent);
    return dialog.HexOrBin();
}

} // namespace bitvane
