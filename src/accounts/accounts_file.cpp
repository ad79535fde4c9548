#include "accounts/accounts_file.h"

#include <algorithm>
#include <vector>

namespace ombrel {

namespace {

class RecordReader {
 public:
  explicit RecordReader(std::string_view bytes) : lines_(SplitFileLines(bytes)) {}
  bool AtEnd() const { return pos_ >= lines_.size(); }
  size_t Left() const { return lines_.size() - pos_; }
  // Past the end of the file a record reads empty lines.
  std::string Next() { return AtEnd() ? std::string() : std::move(lines_[pos_++]); }

 private:
  std::vector<std::string> lines_;
  size_t pos_ = 0;
};

// Reads a count line and then that many lines, or fewer when the file
// ends first: a count far beyond the file must not make us read on.
bool ReadCountedLines(RecordReader& in, Lines& out, std::string& error) {
  std::string countLine = in.Next();
  auto count = ParseInt32(countLine);
  if (!count) {
    error = "'" + countLine + "' is not a valid integer value";
    return false;
  }
  if (*count <= 0) return true;
  size_t n = std::min(static_cast<size_t>(*count), in.Left());
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) out.push_back(in.Next());
  return true;
}

void PutLine(std::string& out, std::string_view line) {
  out += line;
  out += "\r\n";
}

void PutCounted(std::string& out, const Lines& lines) {
  PutLine(out, std::to_string(lines.size()));
  for (const auto& l : lines) PutLine(out, l);
}

}  // namespace

ReadResult ParseAccounts(std::string_view bytes, TAccountList& list, const TOptionSetList& sets) {
  list.Clear();
  RecordReader in(bytes);
  while (!in.AtEnd()) {
    auto a = std::make_unique<TAccount>();
    a->name = in.Next();
    a->server = in.Next();
    a->port = in.Next();
    a->optionset = in.Next();
    if (!sets.IndexOfNoCase(a->optionset)) a->optionset = kDefaultSetName;
    std::string error;
    // The file stores auto-send before comments.
    if (!ReadCountedLines(in, a->autoSend, error) || !ReadCountedLines(in, a->comments, error))
      return {false, true, error};
    list.Insert(std::move(a));
  }
  return {};
}

std::string FormatAccounts(const TAccountList& list) {
  std::string out;
  for (int i = 0; i < list.Count(); ++i) {
    const TAccount& a = list.At(i);
    PutLine(out, a.name);
    PutLine(out, a.server);
    PutLine(out, a.port);
    PutLine(out, a.optionset);
    PutCounted(out, a.autoSend);
    PutCounted(out, a.comments);
  }
  return out;
}

ReadResult LoadAccounts(const std::string& path, TAccountList& list, const TOptionSetList& sets) {
  list.Clear();
  std::string bytes;
  ReadResult r = ReadFileBytes(path, bytes);
  if (!r.ok || !r.existed) return r;
  return ParseAccounts(bytes, list, sets);
}

WriteResult SaveAccounts(const std::string& path, const TAccountList& list) {
  return WriteFileAtomically(path, FormatAccounts(list));
}

}  // namespace ombrel
