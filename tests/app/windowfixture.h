#pragma once

#include "app/frmmain.h"
#include "scriptedseam.h"

#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace bitvane::testing {

// The real window with scripted dialogs, and a folder for the files a test
// needs.
class WindowTest : public ::testing::Test {
protected:
    ScriptedSeam seam;
    std::unique_ptr<frmMain> w = std::make_unique<frmMain>(&seam);
    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

    QString writeFile(const QString &name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    QString writePicture(const QString &name, const QImage &image) const
    {
        EXPECT_TRUE(image.save(path(name), "BMP"));
        return path(name);
    }

    // A small grey picture that loads on every path.
    QString writePicture(const QString &name, int width = 8, int height = 4) const
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(120, 120, 120));
        return writePicture(name, image);
    }

    // Focus, painting and closing need the window on the screen.
    void showWindow()
    {
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    int rows() const { return w->lvwFiles->topLevelItemCount(); }
    QTreeWidgetItem *row(int i) const { return w->lvwFiles->topLevelItem(i); }

    void next() { w->cmdNext->click(); }
    void back() { w->cmdBack->click(); }

    // Page 0 -> page 1 with a new, empty project.
    void newProject()
    {
        w->optNewProject->click();
        next();
        ASSERT_EQ(w->Tab(), frmMain::PageEditFiles);
    }

    void openProject(const QString &projectPath)
    {
        w->optExistingProject->click();
        w->txtProjectFile->setText(projectPath);
        next();
    }

    void add(const QString &selection)
    {
        seam.openAnswers.push_back(selection);
        w->cmdAddFile->click();
    }

    // A new project of one loadable picture, on page 3.
    void toEditPictures()
    {
        newProject();
        add(writePicture(QStringLiteral("hero.bmp")));
        next();
        ASSERT_EQ(w->Tab(), frmMain::PageEditPictures);
    }
};

} // namespace bitvane::testing
