// The program holds texts as bytes, one character each, as the terminal
// shows them; these convert them for Qt's widgets without changing a byte.
// A set that shows UTF-8 holds its texts as UTF-8 instead.
// (File names are different: they go through FileName, util/ui/file_name.h.)
#pragma once

#include <QString>
#include <string>

namespace ombrel {

inline QString FromBytes(const std::string& s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// Characters beyond one byte become '?', as they cannot be sent or shown.
inline std::string ToBytes(const QString& s) { return s.toLatin1().toStdString(); }

// A set that shows UTF-8 keeps and sends its texts as UTF-8.
inline QString FromBytes(const std::string& s, bool utf8) {
  return utf8 ? QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())) : FromBytes(s);
}
inline std::string ToBytes(const QString& s, bool utf8) { return utf8 ? s.toUtf8().toStdString() : ToBytes(s); }

// A text left as shown keeps the bytes it was shown from: invalid UTF-8 is
// shown as U+FFFD and would otherwise come back as EF BF BD.
inline std::string ToBytes(const QString& s, const std::string& shownFrom, bool utf8) {
  return s == FromBytes(shownFrom, utf8) ? shownFrom : ToBytes(s, utf8);
}

}  // namespace ombrel
