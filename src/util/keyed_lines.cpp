#include "util/keyed_lines.h"

#include <algorithm>
#include <cctype>

namespace ombrel {

namespace {

bool SameKey(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

void KeyedLines::Parse(std::string_view bytes) {
  lines_.clear();
  for (std::string& text : SplitFileLines(bytes)) {
    // Values hold no tab, but an account's name may.
    const size_t tab = text.rfind('\t');
    if (tab == std::string::npos) {
      lines_.push_back({std::move(text), {}, false});
    } else {
      lines_.push_back({text.substr(0, tab), text.substr(tab + 1), true});
    }
  }
}

std::string KeyedLines::Format() const {
  std::string out;
  for (const Line& l : lines_) out += l.keyed ? l.key + "\t" + l.value + "\r\n" : l.key + "\r\n";
  return out;
}

KeyedLines::Line* KeyedLines::Find(std::string_view key) {
  for (Line& l : lines_)
    if (l.keyed && SameKey(l.key, key)) return &l;
  return nullptr;
}

std::optional<std::string> KeyedLines::Get(std::string_view key) const {
  const Line* l = const_cast<KeyedLines*>(this)->Find(key);
  return l ? std::optional<std::string>(l->value) : std::nullopt;
}

void KeyedLines::Set(std::string_view key, std::string value) {
  if (Line* l = Find(key)) {
    l->value = std::move(value);
  } else {
    lines_.push_back({std::string(key), std::move(value), true});
  }
}

void KeyedLines::Erase(std::string_view key) {
  std::erase_if(lines_, [&](const Line& l) { return l.keyed && SameKey(l.key, key); });
}

ReadResult KeyedLines::Load(const std::string& path) {
  loaded_.clear();
  ReadResult r = ReadFileBytes(path, loaded_);
  if (!r.ok) loaded_.clear();
  Parse(loaded_);
  return r;
}

WriteResult KeyedLines::Save(const std::string& path) {
  const std::string content = Format();
  if (content == loaded_) return {};
  WriteResult w = WriteFileAtomically(path, content);
  if (w.ok) loaded_ = content;
  return w;
}

}  // namespace ombrel
