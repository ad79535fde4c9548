// The program holds texts as bytes, one character each, as the terminal
// shows them; these convert them for Qt's widgets without changing a byte.
// (File names are different: they go through the local 8-bit encoding.)
#pragma once

#include <QString>
#include <string>

namespace ombrel {

inline QString FromBytes(const std::string& s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// Characters beyond one byte become '?', as they cannot be sent or shown.
inline std::string ToBytes(const QString& s) { return s.toLatin1().toStdString(); }

}  // namespace ombrel
