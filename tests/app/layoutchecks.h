// Layout properties every window of the program keeps, checked on the widgets as laid out.
#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace bitvane::testing {

// The controls a container places itself: its children with a name of
// their own (Qt names the parts inside its widgets "qt_...").
inline std::vector<QWidget *> PlacedControls(const QWidget *container)
{
    std::vector<QWidget *> controls;
    for (QWidget *child : container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (!child->objectName().isEmpty() && !child->objectName().startsWith(u"qt_"))
            controls.push_back(child);
    return controls;
}

// Where a control draws, in its parent's coordinates: its rectangle, or for
// a label showing a picture at its top left the picture's opaque part.
inline QRect DrawnPart(const QWidget *control)
{
    const auto *label = qobject_cast<const QLabel *>(control);
    if (!label || label->pixmap().isNull())
        return control->geometry();
    EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
    const QImage picture = label->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    QRect opaque;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (qAlpha(picture.pixel(x, y)) != 0)
                opaque |= QRect(x, y, 1, 1);
    return opaque.translated(label->pos()) & label->geometry();
}

// Each control of the container lies inside shown (what can be seen of the
// container, in its coordinates), and no two overlap by more than one row or
// column of pixels: rectangles drawn in twips and rounded to pixels may share
// one.
inline void ExpectInsideWithoutOverlap(const QWidget *container, const QRect &shown)
{
    const std::vector<QWidget *> controls = PlacedControls(container);
    EXPECT_FALSE(controls.empty()) << container->objectName().toStdString();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const QRect a = DrawnPart(controls[i]);
        const std::string name = controls[i]->objectName().toStdString();
        EXPECT_TRUE(shown.contains(controls[i]->geometry()))
            << name << " leaves " << container->objectName().toStdString();
        EXPECT_FALSE(a.isEmpty()) << name;
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const QRect both = a & DrawnPart(controls[j]);
            EXPECT_TRUE(both.isEmpty() || both.width() == 1 || both.height() == 1)
                << name << " overlaps " << controls[j]->objectName().toStdString();
        }
    }
}

// Every caption under root shows whole in its control's font: a label's
// text, a button's, and an option's or check box's beside its indicator.
inline void ExpectCaptionsFit(const QWidget *root)
{
    for (const QLabel *label : root->findChildren<QLabel *>()) {
        if (label->text().isEmpty())
            continue;
        const QFontMetrics metrics = label->fontMetrics();
        const QString caption = QString(label->text()).remove(u'&');
        EXPECT_LE(metrics.horizontalAdvance(caption), label->width())
            << label->objectName().toStdString();
        EXPECT_LE(metrics.height(), label->height()) << label->objectName().toStdString();
    }
    for (const QAbstractButton *button : root->findChildren<QAbstractButton *>()) {
        if (button->text().isEmpty())
            continue;
        const QStyle *style = button->style();
        int indicator = 0;
        if (qobject_cast<const QRadioButton *>(button))
            indicator = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, button) +
                        style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, button);
        else if (qobject_cast<const QCheckBox *>(button))
            indicator = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button) +
                        style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button);
        const QString caption = QString(button->text()).remove(u'&');
        EXPECT_LE(indicator + button->fontMetrics().horizontalAdvance(caption), button->width())
            << button->objectName().toStdString();
        EXPECT_LE(button->fontMetrics().height(), button->height())
            << button->objectName().toStdString();
    }
}

} // namespace bitvane::testing
