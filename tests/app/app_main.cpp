// The widget tests' start: one QApplication, a configuration folder of their own, no real
// dialog left waiting.
#include "scriptedseam.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Widget tests need one QApplication for the whole run. HOME and
// XDG_CONFIG_HOME point at empty folders of the run, so that no test reads
// or writes the user's own configuration and a test can see that the
// window writes none.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    const QTemporaryDir home;
    for (const char *variable : {"HOME", "XDG_CONFIG_HOME"}) {
        const QString folder = home.filePath(QString::fromLatin1(variable));
        QDir().mkpath(folder);
        qputenv(variable, QFile::encodeName(folder));
    }
    // Qt's own dialogs, never a platform's: the guard sees every one shown.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    bitvane::testing::RealDialogGuard guard;
    app.installEventFilter(&guard);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
