#pragma once

#include <QDialog>

namespace bitvane {

class frmFormat : public QDialog {
    Q_OBJECT
public:
    explicit frmFormat(QWidget *parent = nullptr);
};

} // namespace bitvane
