// Page 4's header style and masks: where they start, and that they reach the compile.
#include "picturepages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

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

// Page 3 shows what page 4 chose: the modern element type in the info line,
// and with masks the pixels left out as a light checker pattern.
TEST_F(PicturePages, TheInfoLineAndPreviewFollowTheStyleAndMasks)
{
    writeGhost(path("ghost.png"));
    newProjectWith({"ghost.png"});
    loadPictures();
    ui().cboZoom->setCurrentIndex(ui().cboZoom->findText("8x"));
    // The device pixel at the middle of a quarter of sprite pixel (x, y) at
    // 8x, inside the one-pixel frame: quarters 0 to 3 left to right, top to
    // bottom, each clear of the grid lines.
    auto quarter = [this](int x, int y, int q) {
        const QImage image = ui().picDisp->grab().toImage();
        return image.pixel(1 + x * 8 + 2 + 4 * (q % 2), 1 + y * 8 + 2 + 4 * (q / 2)) & 0xFFFFFF;
    };
    struct Case {
        bool modern, masks;
        const char *info;
        QRgb hole[4]; // the transparent pixel (2, 0), by quarter
        QRgb padding; // pixel (6, 0), added by fitting, top left quarter
    } cases[] = {
        {false,
         false,
         "8 x 2 -> unsigned char[4]",
         {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
         0xFFFFFF},
        {true, false, "8 x 2 -> uint8_t[4]", {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}, 0xFFFFFF},
        {true, true, "8 x 2 -> uint8_t[4]", {0xEEEEEE, 0xCCCCCC, 0xCCCCCC, 0xEEEEEE}, 0xEEEEEE},
        {false,
         true,
         "8 x 2 -> unsigned char[4]",
         {0xEEEEEE, 0xCCCCCC, 0xCCCCCC, 0xEEEEEE},
         0xEEEEEE},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.modern ? "modern" : "classic") + (c.masks ? ", masks" : ""));
        next();
        (c.modern ? ui().optModern : ui().optClassic)->click();
        if (ui().chkMasks->isChecked() != c.masks)
            ui().chkMasks->click();
        back();
        QApplication::processEvents();
        EXPECT_EQ(ui().lblInfo->text(), QLatin1String(c.info) + "\npadded from 5 px wide");
        for (int q = 0; q < 4; ++q)
            EXPECT_EQ(quarter(2, 0, q), c.hole[q]) << q;
        EXPECT_EQ(quarter(6, 0, 0), c.padding);
        EXPECT_EQ(quarter(0, 0, 0), 0x000000u); // drawn: black either way
    }
}

} // namespace
} // namespace bitvane::testing
