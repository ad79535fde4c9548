// Paths are QStrings in the windows and bytes in the core. Every path to a
// stored file, log, saved buffer or sound crosses here, in the file
// system's own encoding: a text conversion (Latin-1, say) would name a
// different, garbled file for any folder with a character beyond ASCII.
#pragma once

#include <QFile>
#include <QString>
#include <string>

namespace ombrel {

inline std::string FileName(const QString& path) { return QFile::encodeName(path).toStdString(); }
inline QString FromFileName(const std::string& name) { return QFile::decodeName(QByteArray::fromStdString(name)); }

}  // namespace ombrel
