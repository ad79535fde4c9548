// What a game tells the client beside its text (GMCP, MSDP, MSSP), kept as
// one tree per terminal: each message's value is merged at its package path
// ("Char.Vitals" is Char, then Vitals), MSDP's variables under "MSDP" and
// MSSP's under "MSSP". Listeners hear of every message as it is merged.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace ombrel {

// Objects keep the order the server gave their keys in (a room's exits are
// shown as listed).
using Json = nlohmann::ordered_json;

// Deeper values are refused: a MiB of "[[[[" must not cost the stack.
inline constexpr int kMaxJsonDepth = 64;

// `text` as JSON into `value`; false, with `value` untouched, when it is not
// JSON (invalid UTF-8 in a string included) or nests deeper than allowed.
bool ParseJson(std::string_view text, Json& value);
// `value` as compact JSON text; bytes that are no UTF-8 become U+FFFD.
std::string JsonText(const Json& value);
// Bytes from a protocol that says nothing of their encoding, as UTF-8:
// valid UTF-8 as it is, anything else read as Latin-1.
std::string ToUtf8(std::string_view bytes);

// Package and message names match without regard to (ASCII) case.
bool SameName(std::string_view a, std::string_view b);

// A value as a number, whether sent as one or as a string holding one
// ("4500", " 12.5 "); false for anything else.
bool NumberOf(const Json& value, double& number);

class GameData {
 public:
  // `message` is the name as the server spelled it ("char.vitals", "MSDP");
  // `value` what it carried (null when nothing).
  using Listener = std::function<void(const GameData& data, std::string_view message, const Json& value)>;

  GameData();

  // Merges one message. An object is merged key by key into the node at the
  // message's path: each key's value is replaced whole, so a room's exits
  // never keep one of the room before; any other value replaces the node.
  // A message without a value leaves a node it finds, and makes a null one.
  // Each part of the path matches an existing one without regard to case,
  // and a new one is kept as this message spells it.
  void Merge(std::string_view message, Json value);
  // The node at a dotted path ("Char.Vitals.hp"), each part matched without
  // regard to case when no part is spelled exactly so; nullptr when absent.
  const Json* Find(std::string_view path) const;
  const Json& Root() const { return root_; }
  // A new connection starts with an empty tree; listeners stay.
  void Clear() { root_ = Json::object(); }

  // Returns a number for Unlisten. A listener may unlisten itself.
  int Listen(Listener listener);
  void Unlisten(int id);

 private:
  Json root_;
  struct Entry {
    int id;
    Listener listener;
  };
  std::vector<Entry> listeners_;
  int nextId_ = 1;
  int notifying_ = 0;  // listeners are being told: unlistening only marks
};

}  // namespace ombrel
