// FileListModel: the file list's view of the project's entries.
#pragma once

#include "project/pictureentry.h"

#include <QAbstractTableModel>
#include <QHash>

#include <exception>
#include <vector>

namespace bitvane {

// Shows a list of entries as rows of Name (edited in place) and Location
// (shown only: a changed path would put another picture under the old
// name). The list is the window's; every change to its length goes through
// this model so that the views follow. A name that would not compile carries
// a warning sign with the reason as its tip, kept up to date on every change
// the model signals; so does a picture that could not be loaded again.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn = 0, LocationColumn, ColumnCount };

    explicit FileListModel(std::vector<PictureEntry> &entries, QObject *parent = nullptr);

    // Replaces the whole list.
    void replace(std::vector<PictureEntry> entries);
    // AppendSelection on the list: the files before a failing one are shown
    // and kept, then its Error is thrown on.
    void appendSelection(const QString &selection);
    // Removes the given rows, in any order, with their settings.
    void removeRowsAt(std::vector<int> rows);
    // Changes every name that would not compile into one that does; returns
    // the rows changed.
    std::vector<int> fixNames();
    // The entry of row changed what it writes (a sheet's cell or frames):
    // its row is shown again and the names checked again.
    void entryChanged(int row);
    // Every entry was loaded again (its frames now known): all rows at once.
    void entriesLoaded();
    // The header style whose names the rule checks (a sheet writes NAME_0..
    // in the classic one, NAME and NAME_FRAMES in the modern one).
    void setModernNames(bool modern);
    // Why the name of row would not compile, as last taken (after the
    // change, once events have been processed); empty when it would.
    QString nameProblem(int row) const;
    // Why the picture at location could not be loaded again (its file gone,
    // or no longer a picture), shown with the sign on every row of that
    // location; empty clears it. clearPictureProblems clears them all.
    void setPictureProblem(const QString &location, const QString &problem);
    void clearPictureProblems();
    // Moves the given rows, in their order, to just above row before (the
    // row count: to the end), their names and settings with them. The rows
    // above before that stay keep their places.
    void moveRowsTo(std::vector<int> rows, int before);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Rows dragged within the list travel as their row numbers, marked with
    // the list they came from, and are moved in the entries on the drop;
    // rows from any other list (another window's) are refused. removeRows
    // is left as Qt's, which removes nothing: the view calls it after a move
    // it started, which the drop has already done.
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }

signals:
    // An edited name was not taken; reason says why, for the user.
    void nameRefused(const QString &reason);
    // The re-check of the names queued after a change failed; it runs from
    // the event loop, where nothing would catch, so the failure is handed on
    // for the window to show.
    void checkFailed(std::exception_ptr failure);

private:
    void updateProblems();
    QByteArray origin() const;

    std::vector<PictureEntry> &m_entries;
    std::vector<QString> m_problems;           // per row, from NameProblems
    QHash<QString, QString> m_pictureProblems; // by location
    bool m_updatePending = false;
    bool m_modern = false;
};

} // namespace bitvane
