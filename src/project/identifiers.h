// The identifier rule: which picture names a C or C++ compiler takes as array names, and the fix.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace bitvane {

// Why each name cannot be an array name of the header, or an empty string
// when it can. A name must be a C identifier ([A-Za-z_][A-Za-z0-9_]*), no
// keyword of C or C++, nothing either predefines, and no earlier name of the
// list: the reasons are "empty", "starts with a digit", "contains ' '", "is a
// keyword of C", "is a keyword of C++", "is predefined by C", "is predefined
// by C++" and "also the name of row 4" (rows counted from 1, as the
// user sees them; the first row with a name keeps it). Names are compared
// exactly, so "Ship" and "ship" are two names, as they are to a compiler.
std::vector<QString> NameProblems(const QStringList &names);

// What one row writes under its name: a picture its name alone; a sheet of
// `frames` frames (0: all its cells, however many) NAME_0 .. NAME_{N-1} in
// the classic style, NAME and NAME_FRAMES in the modern one.
struct NameUse {
    bool sheet = false;
    int frames = 1;
};

// The same rule over the names each row writes: a row whose written names
// meet an earlier row's is "also the name of row N".
std::vector<QString> NameProblems(const QStringList &names, const std::vector<NameUse> &uses,
                                  bool modern);

// The names with every failing one changed to a usable one: each other
// character becomes '_', a leading digit gets a leading '_', a keyword or a
// predefined word a trailing '_', and a name another row has gets "_2",
// "_3"... Usable names are kept as they are, and no two results are equal.
QStringList FixNames(const QStringList &names);
// The same over the names each row writes; the row renamed is always the
// later one, whole (never one frame of a sheet).
QStringList FixNames(const QStringList &names, const std::vector<NameUse> &uses, bool modern);

// The words refused as keywords: those of C23, or those of C++23 that C
// does not have.
enum class Language { C, Cpp };
QStringList KeywordsOf(Language language);
// The words refused as predefined: the _Pragma operator, __func__ and the
// predefined macros every compiler of C (or of C++, those C lacks) has.
// Other reserved names (leading "__", or '_' and a capital) pass: one
// compiler or another may define some, but stored projects rely on those
// that compile.
QStringList PredefinedOf(Language language);

} // namespace bitvane
