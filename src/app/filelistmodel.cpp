// FileListModel: rows of the project's entries for the file list.
#include "app/filelistmodel.h"

#include "project/project.h"

#include <QMimeData>

#include <algorithm>
#include <exception>
#include <numeric>

namespace bitvane {

FileListModel::FileListModel(std::vector<PictureEntry> &entries, QObject *parent)
    : QAbstractTableModel(parent), m_entries(entries)
{}

void FileListModel::replace(std::vector<PictureEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

void FileListModel::appendSelection(const QString &selection)
{
    std::vector<PictureEntry> added;
    std::exception_ptr failure;
    try {
        AppendSelection(added, selection);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!added.empty()) {
        const int first = int(m_entries.size());
        beginInsertRows({}, first, first + int(added.size()) - 1);
        std::move(added.begin(), added.end(), std::back_inserter(m_entries));
        endInsertRows();
    }
    if (failure)
        std::rethrow_exception(failure);
}

void FileListModel::removeRowsAt(std::vector<int> rows)
{
    // From the bottom up, so that the rows still to go keep their numbers.
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (const int row : rows) {
        if (row < 0 || row >= rowCount())
            continue;
        beginRemoveRows({}, row, row);
        m_entries.erase(m_entries.begin() + row);
        endRemoveRows();
    }
}

void FileListModel::moveRowsTo(std::vector<int> rows, int before)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const int count = rowCount();
    std::erase_if(rows, [count](int row) { return row < 0 || row >= count; });
    // The moved rows go above the first row at or below before that stays.
    int anchor = std::clamp(before, 0, count);
    while (anchor < count && std::binary_search(rows.begin(), rows.end(), anchor))
        ++anchor;
    // order[i]: the row that stood at place i before any move.
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    auto placeOf = [&order](int row) {
        return int(std::find(order.begin(), order.end(), row) - order.begin());
    };
    for (const int row : rows) {
        const int from = placeOf(row);
        const int to = anchor == count ? count : placeOf(anchor);
        if (to == from || to == from + 1)
            continue;
        beginMoveRows({}, from, from, {}, to);
        auto rotate = [from, to](auto &list) {
            if (to > from)
                std::rotate(list.begin() + from, list.begin() + from + 1, list.begin() + to);
            else
                std::rotate(list.begin() + to, list.begin() + from, list.begin() + from + 1);
        };
        rotate(m_entries);
        rotate(order);
        endMoveRows();
    }
}

namespace {

const QString RowsMime = QStringLiteral("application/x-bitvane-file-rows");

} // namespace

QStringList FileListModel::mimeTypes() const
{
    return {RowsMime};
}

QMimeData *FileListModel::mimeData(const QModelIndexList &indexes) const
{
    QStringList rows;
    for (const QModelIndex &index : indexes)
        if (index.isValid() && index.column() == NameColumn)
            rows << QString::number(index.row());
    auto *data = new QMimeData;
    data->setData(RowsMime, rows.join(u' ').toLatin1());
    return data;
}

bool FileListModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int,
                                 const QModelIndex &parent)
{
    if (!data || action != Qt::MoveAction || !data->hasFormat(RowsMime))
        return false;
    std::vector<int> rows;
    for (const QByteArray &number : data->data(RowsMime).split(' ')) {
        bool ok = false;
        const int r = number.toInt(&ok);
        if (ok)
            rows.push_back(r);
    }
    // Dropped on a row: above it; below the last row: at the end.
    const int before = parent.isValid() ? parent.row() : row < 0 ? rowCount() : row;
    moveRowsTo(std::move(rows), before);
    return true;
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const PictureEntry &entry = m_entries[std::size_t(index.row())];
    if (index.column() == NameColumn && (role == Qt::DisplayRole || role == Qt::EditRole))
        return entry.Name;
    // A long path is shortened in its middle; the tip shows it whole.
    if (index.column() == LocationColumn && (role == Qt::DisplayRole || role == Qt::ToolTipRole))
        return entry.Location;
    return {};
}

bool FileListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != NameColumn || role != Qt::EditRole ||
        index.row() >= rowCount())
        return false;
    m_entries[std::size_t(index.row())].Name = value.toString();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags FileListModel::flags(const QModelIndex &index) const
{
    // Rows are dropped between rows, never into one.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    const Qt::ItemFlags shown = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
    return index.column() == NameColumn ? shown | Qt::ItemIsEditable : shown;
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (section == NameColumn)
        return QStringLiteral("Name");
    if (section == LocationColumn)
        return QStringLiteral("Location");
    return {};
}

} // namespace bitvane
