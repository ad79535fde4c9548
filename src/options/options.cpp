#include "options/options.h"

#include <algorithm>
#include <cctype>

namespace ombrel {

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

std::string LowerCase(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

TOptions& TOptionSetList::Add(std::unique_ptr<TOptions> set) {
  sets_.push_back(std::move(set));
  return *sets_.back();
}

TOptions& TOptionSetList::AddNew(const std::string& name) {
  auto set = std::make_unique<TOptions>();
  set->name = name;
  return Add(std::move(set));
}

void TOptionSetList::RemoveAt(int index) { sets_.erase(sets_.begin() + index); }

std::optional<int> TOptionSetList::IndexOfNoCase(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (EqualsNoCase(sets_[i]->name, name)) return i;
  return std::nullopt;
}

std::optional<int> TOptionSetList::IndexOfExact(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (sets_[i]->name == name) return i;
  return std::nullopt;
}

std::optional<int> TOptionSetList::LastIndexOfExact(const std::string& name) const {
  for (int i = Count() - 1; i >= 0; --i)
    if (sets_[i]->name == name) return i;
  return std::nullopt;
}

std::optional<int> TOptionSetList::IndexOf(const TOptions* set) const {
  for (int i = 0; i < Count(); ++i)
    if (sets_[i].get() == set) return i;
  return std::nullopt;
}

TOptions* TOptionSetList::DefaultFallback(const TOptions* excluding) {
  for (auto& s : sets_)
    if (s.get() != excluding && EqualsNoCase(s->name, kDefaultSetName)) return s.get();
  return nullptr;
}

}  // namespace ombrel
