#include "gmcp/game_data.h"

#include <charconv>
#include <cmath>
#include <type_traits>

#include "util/utf8.h"

namespace ombrel {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The child named `key`: spelled so if there is one, else the first that
// differs only in case.
template <typename Node>
Node* Child(Node& node, std::string_view key) {
  if (!node.is_object()) return nullptr;
  Node* other = nullptr;
  using Object = std::conditional_t<std::is_const_v<Node>, const Json::object_t&, Json::object_t&>;
  for (auto& [name, child] : node.template get_ref<Object>()) {
    if (name == key) return &child;
    if (!other && SameName(name, key)) other = &child;
  }
  return other;
}

// Calls `part` with each non-empty part of a dotted path; false stops.
template <typename F>
void EachPart(std::string_view path, F part) {
  for (size_t from = 0; from <= path.size();) {
    const size_t dot = std::min(path.find('.', from), path.size());
    if (dot > from && !part(path.substr(from, dot - from))) return;
    from = dot + 1;
  }
}

// How deep `text` nests, strings skipped; stops counting past the limit.
bool WithinDepth(std::string_view text) {
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxJsonDepth) return false;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return true;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool ParseJson(std::string_view text, Json& value) {
  if (!WithinDepth(text)) return false;
  Json parsed = Json::parse(text.begin(), text.end(), nullptr, false);
  if (parsed.is_discarded()) return false;
  value = std::move(parsed);
  return true;
}

std::string JsonText(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::string ToUtf8(std::string_view bytes) {
  char32_t cp;
  size_t i = 0;
  while (i < bytes.size()) {
    const size_t n = utf8::Decode(bytes.data(), bytes.size(), i, cp);
    // A replacement character that is not written as one marks a bad byte.
    if (cp == utf8::kReplacement && n == 1) break;
    i += n;
  }
  if (i == bytes.size()) return std::string(bytes);
  std::string out;
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool NumberOf(const Json& value, double& number) {
  if (value.is_number()) {
    number = value.get<double>();
    return true;
  }
  if (!value.is_string()) return false;
  const std::string& s = value.get_ref<const std::string&>();
  const size_t first = s.find_first_not_of(" \t"), last = s.find_last_not_of(" \t");
  if (first == std::string::npos) return false;
  double n = 0;
  const auto [end, error] = std::from_chars(s.data() + first, s.data() + last + 1, n);
  if (error != std::errc() || end != s.data() + last + 1 || !std::isfinite(n)) return false;
  number = n;
  return true;
}

GameData::GameData() : root_(Json::object()) {}

void GameData::Merge(std::string_view message, Json value) {
  Json* node = &root_;
  bool named = false;
  EachPart(message, [&](std::string_view part) {
    named = true;
    Json* child = Child(*node, part);
    if (!child) {
      if (!node->is_object()) *node = Json::object();
      child = &(*node)[std::string(part)];
    }
    node = child;
    return true;
  });
  if (!named) return;
  if (value.is_object() && node->is_object()) {
    for (const auto& [key, v] : value.get_ref<const Json::object_t&>()) (*node)[key] = v;
  } else if (!value.is_null() || node->is_null()) {
    *node = value;
  }
  ++notifying_;
  // One added while this message is told hears the next one.
  for (size_t i = 0, n = listeners_.size(); i < n; ++i) {
    // A copy: a listener that adds another may move the list.
    if (Listener listener = listeners_[i].listener) listener(*this, message, value);
  }
  if (--notifying_ == 0) std::erase_if(listeners_, [](const Entry& e) { return !e.listener; });
}

const Json* GameData::Find(std::string_view path) const {
  const Json* node = &root_;
  EachPart(path, [&](std::string_view part) { return (node = Child(*node, part)) != nullptr; });
  return node;
}

int GameData::Listen(Listener listener) {
  listeners_.push_back({nextId_, std::move(listener)});
  return nextId_++;
}

void GameData::Unlisten(int id) {
  for (Entry& e : listeners_)
    if (e.id == id) e.listener = nullptr;
  if (notifying_ == 0) std::erase_if(listeners_, [](const Entry& e) { return !e.listener; });
}

}  // namespace ombrel
