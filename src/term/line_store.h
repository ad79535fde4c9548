// The terminal's line store: every line it has shown, raw, with the colour
// sequences left in the text and the attribute state at each line's start.
//
// A completed line never changes, so its text is packed into large blocks
// and the line itself is a small record: a session of ten million lines
// costs its text and sixteen bytes a line, and growing never copies or
// pauses. Only the current line, which the next read still extends, is a
// string of its own.
#pragma once

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "term/escape.h"
#include "util/huge_block.h"
#include "util/text_file.h"

namespace ombrel {

// Append-only storage in fixed blocks of `kBlock` entries: what is stored
// never moves, and finding an entry is a shift and a mask.
template <typename T, unsigned kShift = 12>
class StableBlocks {
 public:
  size_t size() const { return size_; }
  const T& operator[](size_t i) const { return blocks_[i >> kShift][i & kMask]; }
  void pop_back() { --size_; }  // its block stays for the next one
  void push_back(const T& value) {
    if ((size_ & kMask) == 0 && (size_ >> kShift) == blocks_.size())
      blocks_.push_back(std::make_unique_for_overwrite<T[]>(kBlock));
    blocks_[size_ >> kShift][size_ & kMask] = value;
    ++size_;
  }
  size_t reserved() const { return blocks_.size() * kBlock * sizeof(T); }
  // Forgets the entries from `n` on; their blocks stay for those that follow.
  void truncate(size_t n) { size_ = std::min(size_, n); }
  void clear() {
    blocks_.clear();
    blocks_.shrink_to_fit();
    size_ = 0;
  }

 private:
  static constexpr size_t kBlock = size_t{1} << kShift;
  static constexpr size_t kMask = kBlock - 1;
  std::vector<std::unique_ptr<T[]>> blocks_;
  size_t size_ = 0;
};

// Text of completed lines, back to back in blocks of 2 MiB; a line too long
// to share a block gets one of its own.
class TextArena {
 public:
  struct Span {
    uint32_t block = 0, offset = 0, length = 0;
  };
  // Stores head and text back to back as one span.
  Span Append(std::string_view head, std::string_view text) {
    const size_t size = head.size() + text.size();
    if (size == 0 || size > kBlockSize - used_ || size > kBlockSize / 4) return AppendElsewhere(head, text);
    const Span s{static_cast<uint32_t>(fill_), static_cast<uint32_t>(used_), static_cast<uint32_t>(size)};
    Put(blocks_[fill_] + used_, head, text);
    used_ += size;
    return s;
  }
  std::string_view Get(Span s) const {
    return s.length ? std::string_view(blocks_[s.block] + s.offset, s.length) : std::string_view();
  }
  // Keeps `text` as a block of its own, where lines can be stored without
  // a copy; returns the block's number.
  uint32_t Adopt(FileBytes text);
  void Clear();
  // Bytes held, used or not.
  size_t Reserved() const { return reserved_; }

 private:
  static constexpr size_t kBlockSize = size_t{2} << 20;
  // An empty view may point nowhere, and memcpy may not be given that even
  // for no bytes.
  static void Put(char* out, std::string_view head, std::string_view text) {
    if (!head.empty()) std::memcpy(out, head.data(), head.size());
    if (!text.empty()) std::memcpy(out + head.size(), text.data(), text.size());
  }
  Span AppendElsewhere(std::string_view head, std::string_view text);
  char* NewBlock(size_t size);

  std::vector<char*> blocks_;
  std::vector<BlockPtr> owned_;
  std::vector<FileBytes> adopted_;  // moving one leaves its text where it is
  size_t fill_ = 0;             // the shared block being filled
  size_t used_ = kBlockSize;    // of the shared block: none yet
  size_t reserved_ = 0;
};

// Where the line assembly left the current line, so the next read scans only
// what it adds: a line of sequences alone never wraps and can grow without end.
struct AssemblyScan {
  bool valid = false;
  size_t size = 0;  // of the current line's text
  int width = 0;
  std::string margin;
  long brk = -1, firstBreak = 0;
  int cells = 0;
  // Bytes at the end of a character still cut off, left to count when the
  // next read completes it; with UTF-8 off, always none.
  int pending = 0;
  bool utf8 = false;
  bool strings = false;  // string sequences read whole
};

struct StoredLine {
  std::string_view text;
  AttrState start;
  // The line goes on from the one before it: wrapping cut them apart.
  bool continues = false;
};

class LineStore {
 public:
  LineStore() { Intern(AttrState()); }
  // Lines 0 to CurLine(); the last one is the current line.
  StoredLine Line(int index) const {
    if (index == CurLine()) return {current_, currentStart_, currentContinues_};
    const Record& r = records_[static_cast<size_t>(index)];
    return {arena_.Get(r.span), starts_[r.start], r.continues != 0};
  }
  int32_t CurLine() const { return static_cast<int32_t>(records_.size()); }
  int LineCount() const { return CurLine() + 1; }

  const std::string& CurrentText() const { return current_; }
  AttrState CurrentStart() const { return currentStart_; }
  // Whoever changes the current line through this makes the next read scan
  // it all again.
  std::string& EditCurrent() {
    scan.valid = false;
    return current_;
  }
  // Stores head and text as the current line's final text, for good, and
  // starts an empty line after it, which `wrapped` says continues it; its
  // start state follows with StartCurrent. Returns the stored text, which
  // never moves.
  std::string_view Complete(std::string_view head, std::string_view text, bool wrapped = false) {
    return Push({arena_.Append(head, text), currentIndex_, currentContinues_}, wrapped);
  }
  // For text that is to be stored as it stands, many lines at once: the
  // store keeps it, and CompleteIn stores a line that lies within it.
  struct Kept {
    uint32_t block;
    std::string_view text;
  };
  Kept Keep(FileBytes text) {
    const size_t size = text.size();
    const uint32_t block = arena_.Adopt(std::move(text));
    return {block, arena_.Get({block, 0, static_cast<uint32_t>(size)})};
  }
  std::string_view CompleteIn(uint32_t block, size_t offset, size_t length) {
    return Push({{block, static_cast<uint32_t>(offset), static_cast<uint32_t>(length)}, currentIndex_,
                 currentContinues_},
                false);
  }
  // Takes back the last completed line (a script gagged it): the current
  // line moves up into its place with the start state it has. Its text
  // stays in the arena, unused.
  void DropLastCompleted() {
    if (records_.size() > 0) records_.pop_back();
  }
  // Whether the current line goes on from the last stored one; cleared
  // when it is emptied by other than a wrap.
  bool CurrentContinues() const { return currentContinues_; }
  void SetCurrentContinues(bool continues) { currentContinues_ = continues; }
  // A completed line as the store keeps it: where its text lies, the
  // number of its start state and whether it continues the line before.
  // Sixteen bytes: the continuation takes the top bit of the start's number.
  // Pattern triggers take a read's lines out and put them back without
  // those gagged, changed, or with echoes between them; the text itself
  // never moves.
  struct Record {
    TextArena::Span span;
    uint32_t start : 31;
    uint32_t continues : 1;
  };
  Record RecordAt(int32_t index) const { return records_[static_cast<size_t>(index)]; }
  std::string_view TextOf(const Record& r) const { return arena_.Get(r.span); }
  const AttrState& StartOf(const Record& r) const { return starts_[r.start]; }
  // Forgets the completed lines from `index` on; the current line stays.
  void DropFrom(int32_t index) { records_.truncate(static_cast<size_t>(index)); }
  // Completes a line before the current one, which stays as it is.
  void Restore(const Record& r) { records_.push_back(r); }
  // A line written anew: an echo between received lines (which continues
  // nothing) or a line with a substitution (which goes on as it did).
  std::string_view Insert(std::string_view text, uint32_t start, bool continues = false) {
    const Record r{arena_.Append({}, text), start, continues};
    records_.push_back(r);
    return arena_.Get(r.span);
  }

  // By reference: the state was mostly just written field by field, and a
  // copy read back whole would wait for those writes.
  void StartCurrent(std::string_view text, const AttrState& start) {
    current_.assign(text);
    if (start == currentStart_) return;
    currentStart_ = start;
    currentIndex_ = Intern(start);
  }
  // Every line gone and its memory given back; one empty line is left.
  void Clear();
  // Bytes held for completed lines, used or not.
  size_t Reserved() const { return arena_.Reserved() + records_.reserved(); }

  // Bytes the line assembly has scanned or copied: what a read costs.
  uint64_t assembled = 0;
  // Valid only while the current line is as the assembly left it.
  AssemblyScan scan;

 private:
  // A line keeps the number of its start state in a table of the distinct
  // ones, which are few: most lines start in the same few colours. Only a
  // server that leaves a new true colour open at every line end makes the
  // table grow with the lines.
  std::string_view Push(const Record& r, bool wrapped) {
    records_.push_back(r);
    current_.clear();
    currentContinues_ = wrapped;
    scan.valid = false;
    return arena_.Get(r.span);
  }
  struct StateHash {
    size_t operator()(const AttrState& s) const;
  };
  uint32_t Intern(const AttrState& state);

  TextArena arena_;
  StableBlocks<Record> records_;
  // A server that starts every line in a state of its own would grow an
  // index by a node a line: past this many states new ones are only listed.
  static constexpr size_t kIndexedStates = 4096;
  StableBlocks<AttrState> starts_;
  std::unordered_map<AttrState, uint32_t, StateHash> startIndex_;
  std::string current_;
  AttrState currentStart_;
  uint32_t currentIndex_ = 0;  // of currentStart_ in starts_
  bool currentContinues_ = false;
};

}  // namespace ombrel
