#include "accounts/account.h"

#include <algorithm>
#include <cctype>

namespace ombrel {

std::unique_ptr<TAccount> NewAccount(const std::string& name) {
  auto a = std::make_unique<TAccount>();
  a->name = name;
  a->server = "Host Server Name";
  a->port = "23";
  a->comments = {"No Comments"};
  return a;
}

Lines TextToLines(std::string_view text) {
  Lines lines;
  size_t i = 0;
  while (i < text.size()) {
    size_t end = text.find_first_of("\r\n", i);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(i));
      break;
    }
    lines.emplace_back(text.substr(i, end - i));
    i = end + 1;
    if (text[end] == '\r' && i < text.size() && text[i] == '\n') ++i;
  }
  return lines;
}

std::string LinesToText(const Lines& lines) {
  std::string text;
  for (const auto& l : lines) {
    text += l;
    text += "\r\n";
  }
  return text;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int x = std::tolower(static_cast<unsigned char>(a[i]));
    int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int TAccountList::Insert(std::unique_ptr<TAccount> account) {
  // After the last entry that does not sort after it. A linear search: a
  // renamed entry may stand out of order, which a binary search must not meet.
  auto pos = accounts_.begin();
  for (auto it = accounts_.begin(); it != accounts_.end(); ++it)
    if (CompareNoCase((*it)->name, account->name) <= 0) pos = it + 1;
  int index = static_cast<int>(pos - accounts_.begin());
  accounts_.insert(pos, std::move(account));
  return index;
}

void TAccountList::RemoveAt(int index) { accounts_.erase(accounts_.begin() + index); }

std::optional<int> TAccountList::IndexOfNoCase(std::string_view name) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareNoCase(accounts_[i]->name, name) == 0) return i;
  return std::nullopt;
}

}  // namespace ombrel
