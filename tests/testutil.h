// Small helpers shared by the test programs.
#pragma once
#include <QString>
#include <QTemporaryDir>

namespace hbtest {

// Folder of the test fixtures below tests/ (for example "dbf/fixtures").
QString FixturePath(const QString& relative);

// Folder of the built executables (hblite, the launchers).
QString BinaryPath(const QString& name);

// Writes bytes to a file, creating the folders on the way; returns false on failure.
bool WriteFile(const QString& path, const QByteArray& bytes);

// Reads a whole file; empty when it cannot be read.
QByteArray ReadFile(const QString& path);

}  // namespace hbtest
