// The record's option field: round trip in canonical order, refusals, choices over defaults.
#include "testsupport.h"

#include "error.h"
#include "project/optionfield.h"
#include "project/projectfile.h"

#include <gtest/gtest.h>

using namespace bitvane;
using namespace bitvane::testing;

TEST(OptionField, RoundTripWritesTheCanonicalOrderAndLeavesDefaultsOut)
{
    const std::pair<const char *, const char *> cases[] = {
        {"", ""},
        {"fit=scale", "fit=scale"},
        {"width=8;fit=scale", "fit=scale;width=8"},
        {"shade=diffuse;fit=scale", "fit=scale;shade=diffuse"},
        {"fit=cut", ""},
        {"black=10", "black=10"},
        {"white=200;black=10", "black=10;white=200"},
        {"black=0;white=255;shade=threshold", ""},
        {"black=007", "black=7"},
        {"shade=palette;white=254;black=1;width=32;fit=scale",
         "fit=scale;width=32;black=1;white=254;shade=palette"},
        // A sheet's cell and frames come last and always together.
        {"cell=16x8", "cell=16x8;frames=all"},
        {"frames=6;cell=16x8;shade=ordered", "shade=ordered;cell=16x8;frames=6"},
        {"cell=1x9999;frames=all", "cell=1x9999;frames=all"},
        {"frames=1", ""},
        {"cell=8x8;frames=99999", "cell=8x8;frames=99999"},
    };
    for (const auto &[text, canonical] : cases)
        EXPECT_EQ(FormatOptionField(ResolveOptions(ParseOptionField(text, "p.bvp", 3))),
                  QByteArray(canonical))
            << text;
}

TEST(OptionField, RefusesTheFirstWrongPart)
{
    const std::pair<const char *, const char *> cases[] = {
        {"fit=stretch", "fit=stretch"},
        {"fit=scale;fit=cut", "fit=cut"},
        {"width=16", "width=16"},
        {"fit=cut;width=8", "width=8"},
        {"fit=scale;width=12", "width=12"},
        {"fit = scale", "fit = scale"},
        {"Fit=scale", "Fit=scale"},
        {"black=256", "black=256"},
        {"black=", "black="},
        {"black=200;white=100", "white=100"},
        {"black=255", "black=255"},
        {"white=0", "white=0"},
        {"shade=dither", "shade=dither"},
        {"fit=scale;", ""},
        {";", ""},
        {"shade", "shade"},
        {"frames=0", "frames=0"},
        {"frames=07", "frames=07"},
        {"frames=100000", "frames=100000"},
        {"frames=All", "frames=All"},
        {"cell=16", "cell=16"},
        {"cell=0x8", "cell=0x8"},
        {"cell=8X8", "cell=8X8"},
        {"cell=10000x8", "cell=10000x8"},
        {"cell=8x8;cell=8x8", "cell=8x8"},
    };
    for (const auto &[text, part] : cases) {
        try {
            ParseOptionField(text, "p.bvp", 3);
            ADD_FAILURE() << text << " was taken";
        } catch (const Error &e) {
            EXPECT_EQ(e.message(), QStringLiteral("p.bvp:3: bad option '%1'").arg(part)) << text;
        }
    }
}

TEST(OptionField, RecordChoicesWinOverDefaultsAndLevelsAreOneChoice)
{
    PictureOptions commandLine;
    commandLine.fit = FitMode::Scale;
    commandLine.black = 40;
    commandLine.white = 200;
    commandLine.shade = ShadeMode::Diffuse;
    struct Case {
        const char *field;
        FitMode fit;
        int width, black, white;
        ShadeMode shade;
    } const cases[] = {
        {"", FitMode::Scale, 0, 40, 200, ShadeMode::Diffuse},
        {"fit=cut", FitMode::Cut, 0, 40, 200, ShadeMode::Diffuse},
        {"fit=scale;width=16", FitMode::Scale, 16, 40, 200, ShadeMode::Diffuse},
        {"black=10", FitMode::Scale, 0, 10, 255, ShadeMode::Diffuse},
        {"white=100", FitMode::Scale, 0, 0, 100, ShadeMode::Diffuse},
        {"shade=threshold", FitMode::Scale, 0, 40, 200, ShadeMode::Threshold},
    };
    for (const Case &c : cases) {
        const PictureOptions o = ResolveOptions(ParseOptionField(c.field, "p.bvp", 1), commandLine);
        EXPECT_EQ(o, (PictureOptions{c.fit, c.width, c.black, c.white, c.shade})) << c.field;
    }
}

// In the project file: the fifth field brings the name with it, and records
// whose options are all defaults keep their three or four fields.
TEST(OptionField, ProjectRecordsRoundTripByteForByte)
{
    const char *const files[] = {
        "\"a/ship.bmp\",1,2\r\n",
        "\"a/ship.bmp\",1,2,\"hero\"\r\n",
        "\"a/ship.bmp\",1,2,\"ship\",\"fit=scale\"\r\n",
        "\"a/ship.bmp\",0,0,\"hero\",\"fit=scale;width=8;black=3;white=250;shade=diffuse\"\r\n",
    };
    for (const char *text : files) {
        QByteArray again;
        for (const ProjectRecord &r : ParseProject(text, "p.bvp"))
            again += FormatProjectRecord(r);
        EXPECT_EQ(again, QByteArray(text));
    }
    ProjectRecord unnamed{"a/ship.bmp", 0, 0};
    unnamed.options.shade = ShadeMode::Ordered;
    EXPECT_EQ(FormatProjectRecord(unnamed), "\"a/ship.bmp\",0,0,\"ship\",\"shade=ordered\"\r\n");
    // An empty field or one of defaults only is not written again.
    QByteArray plain;
    for (const ProjectRecord &r : ParseProject(
             "\"a/b.bmp\",0,0,\"n\",\"\"\r\n\"a/c.bmp\",0,0,\"c\",\"fit=cut\"\r\n", "p.bvp"))
        plain += FormatProjectRecord(r);
    EXPECT_EQ(plain, "\"a/b.bmp\",0,0,\"n\"\r\n\"a/c.bmp\",0,0,\"c\"\r\n");
}
