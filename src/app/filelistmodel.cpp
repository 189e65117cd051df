// FileListModel: rows of the project's entries for the file list.
#include "app/filelistmodel.h"

#include "project/identifiers.h"
#include "project/project.h"
#include "project/projectfile.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>
#include <exception>

namespace bitvane {

FileListModel::FileListModel(std::vector<PictureEntry> &entries, QObject *parent)
    : QAbstractTableModel(parent), m_entries(entries)
{
    // Whoever changes the rows, the model's own signals say so. One rename
    // can mark or clear a row far from it (a duplicate), so the reasons are
    // taken again for the whole list, once per turn of the event loop: a
    // removal of many rows signals once per row.
    auto later = [this] {
        if (m_updatePending)
            return;
        m_updatePending = true;
        QMetaObject::invokeMethod(this, &FileListModel::updateProblems, Qt::QueuedConnection);
    };
    connect(this, &QAbstractItemModel::modelReset, this, later);
    connect(this, &QAbstractItemModel::rowsInserted, this, later);
    connect(this, &QAbstractItemModel::rowsRemoved, this, later);
    connect(this, &QAbstractItemModel::rowsMoved, this, later);
    connect(this, &QAbstractItemModel::dataChanged, this,
            [later](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                if (roles.isEmpty() || roles.contains(Qt::EditRole))
                    later();
            });
    updateProblems();
}

void FileListModel::updateProblems()
{
    m_updatePending = false;
    std::vector<QString> problems = NameProblems(EntryNames(m_entries));
    int first = -1, last = -1;
    for (std::size_t i = 0; i < problems.size(); ++i) {
        if (i < m_problems.size() && m_problems[i] == problems[i])
            continue;
        if (first < 0)
            first = int(i);
        last = int(i);
    }
    m_problems = std::move(problems);
    if (first >= 0)
        emit dataChanged(index(first, NameColumn), index(last, NameColumn),
                         {Qt::DecorationRole, Qt::ToolTipRole});
}

QString FileListModel::nameProblem(int row) const
{
    return row >= 0 && std::size_t(row) < m_problems.size() ? m_problems[std::size_t(row)]
                                                            : QString();
}

std::vector<int> FileListModel::fixNames()
{
    const QStringList fixed = FixNames(EntryNames(m_entries));
    std::vector<int> changed;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].Name == fixed[qsizetype(i)])
            continue;
        m_entries[i].Name = fixed[qsizetype(i)];
        changed.push_back(int(i));
    }
    if (!changed.empty())
        emit dataChanged(index(changed.front(), NameColumn), index(changed.back(), NameColumn),
                         {Qt::DisplayRole, Qt::EditRole});
    return changed;
}

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
    if (index.column() == NameColumn && (role == Qt::DecorationRole || role == Qt::ToolTipRole)) {
        const QString problem = nameProblem(index.row());
        if (problem.isEmpty())
            return {};
        if (role == Qt::ToolTipRole)
            return problem;
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    }
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
    const QString name = value.toString();
    // The project file could not hold it; refused now, not at the compile.
    const QString problem = NameStorageProblem(name);
    if (!problem.isEmpty()) {
        emit nameRefused(
            QStringLiteral("The name was not changed: it %1, which a project file cannot store.")
                .arg(problem));
        return false;
    }
    m_entries[std::size_t(index.row())].Name = name;
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
