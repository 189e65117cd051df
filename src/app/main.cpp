// Start-up of the bitvane window.
#include "app/frmmain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Bitvane"));
    QApplication::setApplicationVersion(QStringLiteral(BITVANE_VERSION));
    bitvane::frmMain window;
    window.show();
    return app.exec();
}
