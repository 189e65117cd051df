// FileListModel: rows of the project's entries for the file list.
#include "app/filelistmodel.h"

#include "project/project.h"

#include <algorithm>
#include <exception>

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
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags shown = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
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
