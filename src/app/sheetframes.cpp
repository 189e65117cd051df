// Page 3's rules for sheets and animations.
#include "app/sheetframes.h"

#include "imaging/pictureloader.h"

#include <QStringList>

#include <algorithm>

namespace bitvane {

namespace {

// Delays this short are what many files carry by accident; browsers play
// them as 10 centiseconds, and so does the player.
constexpr int ShortestDelayCs = 2;
constexpr int ShortDelayPlayedCs = 10;

QString Counted(int n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

QSize WholePictureSize(const LoadedSprite &sprite)
{
    return sprite.SheetSize.isValid() ? sprite.SheetSize : sprite.SourceSize;
}

int WholeCells(QSize picture, QSize cell)
{
    if (cell.width() <= 0 || cell.height() <= 0)
        return 0;
    return (picture.width() / cell.width()) * (picture.height() / cell.height());
}

QString LeftoverNote(QSize picture, QSize cell)
{
    if (cell.width() <= 0 || cell.height() <= 0)
        return {};
    QStringList parts;
    if (const int columns = picture.width() % cell.width())
        parts << Counted(columns, "column", "columns");
    if (const int rows = picture.height() % cell.height())
        parts << Counted(rows, "row", "rows");
    if (parts.isEmpty())
        return {};
    return parts.join(QStringLiteral(" and ")) + QStringLiteral(" left over");
}

PictureOptions WithSheetChoice(const PictureOptions &previous, QSize cell, int frames,
                               QSize picture)
{
    PictureOptions chosen = previous;
    const bool sheet = previous.isSheet() ? cell.width() > 0 && cell.height() > 0
                                          : cell.width() > 0 || cell.height() > 0;
    if (!sheet) {
        chosen.cellWidth = chosen.cellHeight = 0;
        chosen.frames = previous.isSheet() ? 1 : frames;
        return chosen;
    }
    chosen.cellWidth = cell.width() > 0 ? cell.width() : std::min(cell.height(), picture.width());
    chosen.cellHeight =
        cell.height() > 0 ? cell.height() : std::min(cell.width(), picture.height());
    const int cells = WholeCells(picture, QSize(chosen.cellWidth, chosen.cellHeight));
    chosen.frames = previous.isSheet() ? std::min(frames, cells) : 0;
    return chosen;
}

int FrameDelayMs(const LoadedSprite &sprite, int frame)
{
    if (sprite.Delays.empty())
        return SheetFrameMs;
    const int cs = sprite.Delays[std::size_t(frame)];
    return 10 * (cs < ShortestDelayCs ? ShortDelayPlayedCs : cs);
}

} // namespace bitvane
