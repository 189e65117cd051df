#pragma once

#include <QWidget>

namespace bitvane {

class frmMain : public QWidget {
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
};

} // namespace bitvane
