// WindowTest: the real window with scripted dialogs, for the widget tests.
#pragma once

#include "scriptedseam.h"
#include "windowprobe.h"

#include <QFile>
#include <QImage>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

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

    frmMainUi &ui() const { return WindowProbe::ui(*w); }
    // A control that no handler names, by its objectName ("Label4").
    template <typename T = QWidget> T *named(const char *name) const
    {
        return w->findChild<T *>(QLatin1String(name));
    }
    void showPage(int page) { WindowProbe::showPage(*w, page); }

    // The file list as the user sees it.
    int rows() const { return ui().lvwFiles->model()->rowCount(); }
    QString cell(int row, int column) const
    {
        return ui().lvwFiles->model()->index(row, column).data().toString();
    }
    QStringList column(int c) const
    {
        QStringList texts;
        for (int i = 0; i < rows(); ++i)
            texts << cell(i, c);
        return texts;
    }
    // As an edit in place would.
    void rename(int row, const QString &name)
    {
        QAbstractItemModel *model = ui().lvwFiles->model();
        model->setData(model->index(row, 0), name, Qt::EditRole);
    }
    void selectRows(std::initializer_list<int> indices)
    {
        QAbstractItemView *list = ui().lvwFiles;
        list->clearSelection();
        for (int i : indices)
            list->selectionModel()->select(list->model()->index(i, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    void next() { ui().cmdNext->click(); }
    void back() { ui().cmdBack->click(); }

    // Page 0 -> page 1 with a new, empty project.
    void newProject()
    {
        ui().optNewProject->click();
        next();
        ASSERT_EQ(w->Tab(), frmMain::PageEditFiles);
    }

    void openProject(const QString &projectPath)
    {
        ui().optExistingProject->click();
        ui().txtProjectFile->setText(projectPath);
        next();
    }

    void add(const QString &selection)
    {
        seam.openAnswers.push_back(selection);
        ui().cmdAddFile->click();
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
