#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <ostream>

QT_BEGIN_NAMESPACE
// Test names and failure messages show a QString parameter as its text.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << text.toStdString();
}
QT_END_NAMESPACE

// Whole-file reads and writes for tests that compare output bytes.
inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
