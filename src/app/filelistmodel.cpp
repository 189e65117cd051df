// FileListModel: rows of the project's entries for the file list.
#include "app/filelistmodel.h"

#include "app/namewarnings.h"

#include "project/identifiers.h"
#include "project/project.h"
#include "project/projectfile.h"

#include <QCoreApplication>
#include <QMimeData>

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
        QMetaObject::invokeMethod(
            this,
            [this] {
                try {
                    updateProblems();
                } catch (...) {
                    emit checkFailed(std::current_exception());
                }
            },
            Qt::QueuedConnection);
    };
    connect(this, &QAbstractItemModel::modelReset, this, later);
    connect(this, &QAbstractItemModel::rowsInserted, this, later);
    connect(this, &QAbstractItemModel::rowsRemoved, this, later);
    connect(this, &QAbstractItemModel::rowsMoved, this, later);
    // A drag moves rows as one layout change.
    connect(this, &QAbstractItemModel::layoutChanged, this, later);
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
    std::vector<QString> problems =
        NameProblems(EntryNames(m_entries), EntryNameUses(m_entries), m_modern);
    std::vector<int> changed;
    for (std::size_t i = 0; i < problems.size(); ++i) {
        // A row not yet looked at showed no sign.
        const QString before = i < m_problems.size() ? m_problems[i] : QString();
        if (before != problems[i])
            changed.push_back(int(i));
    }
    m_problems = std::move(problems);
    // Row by row, and only where the sign changed: the view puts the model's
    // text back into any editor open inside a changed range, which would
    // undo a name being typed in another row.
    for (const int row : changed)
        emit dataChanged(index(row, NameColumn), index(row, NameColumn),
                         {Qt::DecorationRole, Qt::ToolTipRole});
}

void FileListModel::entryChanged(int row)
{
    emit dataChanged(index(row, NameColumn), index(row, ColumnCount - 1));
}

void FileListModel::entriesLoaded()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, NameColumn), index(rowCount() - 1, ColumnCount - 1));
}

void FileListModel::setModernNames(bool modern)
{
    if (modern == m_modern)
        return;
    m_modern = modern;
    updateProblems();
}

QString FileListModel::nameProblem(int row) const
{
    return row >= 0 && std::size_t(row) < m_problems.size() ? m_problems[std::size_t(row)]
                                                            : QString();
}

void FileListModel::setPictureProblem(const QString &location, const QString &problem)
{
    if (m_pictureProblems.value(location) == problem)
        return;
    if (problem.isEmpty())
        m_pictureProblems.remove(location);
    else
        m_pictureProblems.insert(location, problem);
    for (int row = 0; row < rowCount(); ++row)
        if (m_entries[std::size_t(row)].Location == location)
            emit dataChanged(index(row, NameColumn), index(row, NameColumn),
                             {Qt::DecorationRole, Qt::ToolTipRole});
}

void FileListModel::clearPictureProblems()
{
    const QStringList locations = m_pictureProblems.keys();
    for (const QString &location : locations)
        setPictureProblem(location, {});
}

std::vector<int> FileListModel::fixNames()
{
    const QStringList fixed = FixNames(EntryNames(m_entries), EntryNameUses(m_entries), m_modern);
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

void FileListModel::moveRowsTo(std::vector<int> rows, int before)
{
    const int count = rowCount();
    std::vector<bool> moving(static_cast<std::size_t>(count), false);
    for (const int row : rows)
        if (row >= 0 && row < count)
            moving[std::size_t(row)] = true;
    const int at = std::clamp(before, 0, count);
    // order[place] = the row that comes to stand there: the rows above the
    // drop point that stay, the moved ones in their order, then the rest.
    std::vector<int> order;
    order.reserve(moving.size());
    for (int row = 0; row < at; ++row)
        if (!moving[std::size_t(row)])
            order.push_back(row);
    for (int row = 0; row < count; ++row)
        if (moving[std::size_t(row)])
            order.push_back(row);
    for (int row = at; row < count; ++row)
        if (!moving[std::size_t(row)])
            order.push_back(row);
    std::vector<int> placeOf(order.size());
    bool changed = false;
    for (std::size_t place = 0; place < order.size(); ++place) {
        placeOf[std::size_t(order[place])] = int(place);
        changed = changed || order[place] != int(place);
    }
    if (!changed)
        return;

    // One layout change, whatever the number of rows: the selection and
    // the current row follow their entries.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<PictureEntry> reordered;
    reordered.reserve(m_entries.size());
    for (const int row : order)
        reordered.push_back(std::move(m_entries[std::size_t(row)]));
    m_entries = std::move(reordered);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    for (const QModelIndex &index : from)
        to << this->index(placeOf[std::size_t(index.row())], index.column());
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

namespace {

const QString RowsMime = QStringLiteral("application/x-bitvane-file-rows");

} // namespace

QByteArray FileListModel::origin() const
{
    // Another window's list, in this program or another, has rows of its
    // own under the same numbers: the process and the model tell them apart.
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(quintptr(this), 16);
}

QStringList FileListModel::mimeTypes() const
{
    return {RowsMime};
}

QMimeData *FileListModel::mimeData(const QModelIndexList &indexes) const
{
    QByteArrayList words{origin()};
    for (const QModelIndex &index : indexes)
        if (index.isValid() && index.column() == NameColumn)
            words << QByteArray::number(index.row());
    auto *data = new QMimeData;
    data->setData(RowsMime, words.join(' '));
    return data;
}

bool FileListModel::canDropMimeData(const QMimeData *data, Qt::DropAction action, int, int,
                                    const QModelIndex &) const
{
    return data && action == Qt::MoveAction && data->hasFormat(RowsMime) &&
           data->data(RowsMime).split(' ').front() == origin();
}

bool FileListModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                                 const QModelIndex &parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    std::vector<int> rows;
    const QByteArrayList words = data->data(RowsMime).split(' ');
    for (qsizetype i = 1; i < words.size(); ++i) {
        bool ok = false;
        const int r = words[i].toInt(&ok);
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
    if (index.column() == NameColumn && (role == Qt::DecorationRole || role == Qt::ToolTipRole)) {
        QStringList problems{m_pictureProblems.value(entry.Location), nameProblem(index.row())};
        problems.removeAll(QString());
        if (role == Qt::ToolTipRole)
            return problems.isEmpty() ? QVariant() : QVariant(problems.join(u'\n'));
        return NameSign(!problems.isEmpty());
    }
    // A long path is shortened in its middle; the tip shows it whole. A
    // sheet says how many frames it gives, once loaded or when its record
    // counts them. A picture taking all its frames (an animation) has no
    // count before it is decoded, so it says so; once loaded a still one is
    // a single frame and says nothing.
    if (index.column() == LocationColumn && (role == Qt::DisplayRole || role == Qt::ToolTipRole)) {
        const PictureOptions options = ResolveOptions(entry.Options);
        const bool loaded = !entry.Sprite.Image.isEmpty();
        const int frames =
            entry.Sprite.frameCount() > 1 ? entry.Sprite.frameCount() : options.frames;
        if (role == Qt::DisplayRole && frames > 1)
            return QStringLiteral("%1    %2 frames").arg(entry.Location).arg(frames);
        if (role == Qt::DisplayRole && !loaded && frames == 0 && !options.isSheet())
            return QStringLiteral("%1    all frames").arg(entry.Location);
        return entry.Location;
    }
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
