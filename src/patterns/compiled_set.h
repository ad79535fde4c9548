// A set of trigger patterns compiled for matching in one pass: one
// Vectorscan database finds, in one scan of many lines, which patterns may
// match which lines, and each pattern's PCRE2 code (or, for a plain
// literal, a direct search) then finds the exact spans and captures.
//
// How each pattern gets into the database:
// - by its literal factors (literal_factors.h) when it has long enough
//   ones: these compile as plain literals, fast even by the ten thousand;
// - otherwise whole, as Vectorscan reads it, or in its prefilter mode where
//   it cannot (back-references, look-around): a superset of the lines;
// - patterns neither can take, those anchored to the subject's ends and
//   those that may match an empty span are matched by PCRE2 on every line.
// A compiled set never changes, so terminals and threads share it.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "patterns/literal_factors.h"
#include "patterns/pattern.h"

struct hs_database;

namespace ombrel {

struct PatternSetInput {
  std::vector<Pattern> patterns;  // in trigger order
  bool utf8 = false;
  bool operator==(const PatternSetInput&) const = default;
};

// The patterns of a set's triggers, one per trigger.
PatternSetInput InputOf(const std::vector<TTrigger>& triggers, bool utf8);

enum class PatternFilter : uint8_t {
  never,      // empty or refused by PCRE2
  factors,    // its literal factors are in the database
  whole,      // it is in the database as it is
  prefilter,  // it is in the database in prefilter mode
  everyLine,  // PCRE2 runs on every line
};

// An immutable Vectorscan database.
class HsDatabase {
 public:
  explicit HsDatabase(hs_database* db) : db_(db) {}
  ~HsDatabase();
  HsDatabase(const HsDatabase&) = delete;
  HsDatabase& operator=(const HsDatabase&) = delete;
  hs_database* get() const { return db_; }

 private:
  hs_database* db_;
};

// Databases by the exact entries they were compiled from, so applying a set
// again, opening a second terminal on it or starting the program again
// (with a folder to keep them in) does not compile anew. Thread-safe.
class PatternDbCache {
 public:
  struct Value {
    std::shared_ptr<const HsDatabase> db;
    std::vector<PatternFilter> filters;  // as compiling settled them
  };
  // Without a folder the cache is in memory only. Keeps the `keep` most
  // recently used databases, in memory and on disk.
  explicit PatternDbCache(std::string folder = {}, size_t keep = 8);
  std::optional<Value> Find(const std::string& key);
  void Store(const std::string& key, const Value& value);

 private:
  std::optional<Value> Load(const std::string& key);
  void Save(const std::string& key, const Value& value);
  std::string PathOf(const std::string& key) const;

  std::mutex mutex_;
  std::string folder_;
  size_t keep_;
  std::list<std::pair<std::string, Value>> recent_;  // most recent first
};

class CompiledPatternSet {
 public:
  size_t Size() const { return entries_.size(); }
  const Pattern& At(size_t i) const { return entries_[i].pattern; }
  bool Utf8() const { return utf8_; }
  PatternFilter FilterOf(size_t i) const { return entries_[i].filter; }
  // PCRE2's word on a pattern it refused; such a pattern never matches.
  const std::optional<PatternError>& ErrorOf(size_t i) const { return entries_[i].error; }
  // Vectorscan's word when it could not compile the database at all: the
  // set then works through PCRE2 alone, slowly.
  const std::string& DatabaseError() const { return dbError_; }
  bool FromCache() const { return fromCache_; }
  double CompileSeconds() const { return seconds_; }
  // Tells sets apart for as long as the program runs.
  uint64_t Serial() const { return serial_; }

 private:
  friend class PatternScanner;
  friend std::shared_ptr<const CompiledPatternSet> CompilePatternSet(const PatternSetInput&, PatternDbCache*);
  struct Entry {
    Pattern pattern;
    PatternFilter filter = PatternFilter::never;
    bool direct = false;  // a literal found by plain search, without PCRE2
    std::unique_ptr<PcreCode> code;
    std::optional<PatternError> error;
    std::optional<LiteralFactors> factors;
  };
  std::vector<Entry> entries_;
  std::vector<uint32_t> everyLine_;
  std::shared_ptr<const HsDatabase> db_;
  std::string dbError_;
  bool utf8_ = false;
  bool fromCache_ = false;
  double seconds_ = 0;
  uint64_t serial_ = 0;
};

// Compiles on the calling thread: up to about a second for ten thousand
// patterns that are not in the cache (see PatternCompiler to do it off the
// window's thread). Never fails: a bad pattern never matches.
std::shared_ptr<const CompiledPatternSet> CompilePatternSet(const PatternSetInput& input,
                                                            PatternDbCache* cache = nullptr);

}  // namespace ombrel
