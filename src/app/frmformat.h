// frmFormat: the dialog asking whether the header's numbers are hexadecimal or binary.
#pragma once

#include <QDialog>

class QRadioButton;
class QPushButton;

namespace bitvane {

// Asks once per compile whether the header's numbers are hexadecimal or
// binary.
class frmFormat : public QDialog {
    Q_OBJECT
public:
    explicit frmFormat(QWidget *parent = nullptr);

    // Shows the dialog centred over its parent and waits for the answer:
    // true for hexadecimal, false for binary. Every call starts with
    // "Hexidecimal" selected when hex is true, "Binary" otherwise (a
    // project's notation). However the dialog is dismissed ("OK", Enter,
    // Escape or the close box), the answer is the choice it shows.
    bool HexOrBin(bool hex = true);

    QRadioButton *optHex = nullptr;
    QRadioButton *optBin = nullptr;
    QPushButton *cmdOK = nullptr;

private:
    void centreOverParent();
};

} // namespace bitvane
