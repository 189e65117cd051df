// Page 4's header style and masks: where they start, and that they reach the compile.
#include "picturepages.h"

#include <QCheckBox>

namespace bitvane::testing {
namespace {

// 5 x 2: black, black, transparent, black, black over an opaque white row;
// fitted to 8, so the mask leaves out the hole and the three added columns.
QString writeGhost(const QString &path)
{
    QImage image(5, 2, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 255));
    image.setPixel(2, 0, qRgba(0, 0, 0, 0));
    for (int x = 0; x < 5; ++x)
        image.setPixel(x, 1, qRgba(255, 255, 255, 255));
    EXPECT_TRUE(image.save(path, "PNG"));
    return path;
}

TEST_F(PicturePages, StyleAndMasksStartClassicUncheckedAndApplyToTheCompile)
{
    writeGhost(path("ghost.png"));
    newProjectWith({"ghost.png"});
    loadPictures();
    next();
    ASSERT_EQ(w->Tab(), frmMain::PageCompile);
    for (QWidget *control :
         {static_cast<QWidget *>(ui().optClassic), static_cast<QWidget *>(ui().optModern),
          static_cast<QWidget *>(ui().chkMasks)}) {
        EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    }
    EXPECT_TRUE(ui().optClassic->isChecked());
    EXPECT_FALSE(ui().optModern->isChecked());
    EXPECT_FALSE(ui().chkMasks->isChecked());
    EXPECT_EQ(ui().chkMasks->text(), "Write masks");
    // The page's own option buttons: choosing a style leaves page 0's alone.
    EXPECT_TRUE(ui().optNewProject->isChecked());

    ui().optModern->click();
    ui().chkMasks->click();
    EXPECT_FALSE(ui().optClassic->isChecked());
    EXPECT_TRUE(ui().optNewProject->isChecked());
    finish(true, "ghost.bvp", "ghost.h");
    ASSERT_TRUE(lastMessage().startsWith("Compilation complete!"));
    // The modern frame's text is the golden cases'; here its guard, and the
    // sprite with the mask the window took from the alpha.
    const QByteArray modern = readAll(path("ghost.h"));
    EXPECT_TRUE(
        modern.startsWith("/* Sprite header file made with Bitvane 2.0 from ghost.bvp */\r\n"
                          "#ifndef GHOST_H\r\n"))
        << modern.toStdString();
    EXPECT_TRUE(modern.contains("static const uint8_t ghost[4] BITVANE_DATA = {\r\n"
                                "    0xD8, /* ##.##... */\r\n"
                                "    0x00, /* ........ */\r\n"
                                "    0xD8,\r\n"
                                "    0x00\r\n"
                                "};\r\n"
                                "static const uint8_t ghost_mask[2] BITVANE_DATA = {\r\n"
                                "    0xD8,\r\n"
                                "    0xF8\r\n"
                                "};\r\n"
                                "\r\n"
                                "#endif /* GHOST_H */\r\n"));

    // The choice stays for the rest of the run until the user changes it;
    // the project file remembers it in its first line.
    const QByteArray project = readAll(path("ghost.bvp"));
    ASSERT_TRUE(project.startsWith("#bitvane style=modern;masks=on\r\n")) << project.toStdString();
    openProject(path("ghost.bvp"));
    loadPictures();
    next();
    EXPECT_TRUE(ui().optModern->isChecked());
    EXPECT_TRUE(ui().chkMasks->isChecked());
    ui().optClassic->click();
    ui().chkMasks->click();
    finish(true, "ghost.bvp", "classic.h");
    EXPECT_EQ(readAll(path("classic.h")),
              Preamble + "static unsigned char ghost[4] = {0xd8, 0x0, 0xd8, 0x0};\r\n\r\n");
    EXPECT_EQ(readAll(path("ghost.bvp")), project.sliced(project.indexOf('\n') + 1));

    // A new run starts over: the program keeps no settings.
    w = std::make_unique<frmMain>(&seam);
    showWindow();
    showPage(frmMain::PageCompile);
    EXPECT_TRUE(ui().optClassic->isChecked());
    EXPECT_FALSE(ui().chkMasks->isChecked());
}

} // namespace
} // namespace bitvane::testing
