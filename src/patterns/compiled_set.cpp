#include "patterns/compiled_set.h"

#include <hs.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "util/atomic_file.h"
#include "util/text_file.h"

namespace ombrel {

namespace {

std::atomic<uint64_t> nextSerial{1};

struct DbEntry {
  std::string expression;
  unsigned flags;
  unsigned id;
};

bool HasByte(std::string_view text, char c) { return text.find(c) != std::string_view::npos; }

// Whether a plain byte search finds exactly what PCRE2 would: always but
// for caseless matching under UTF-8, where PCRE2 also folds the Kelvin sign
// into k and the long s into s, and letters beyond ASCII by Unicode.
bool SearchedDirectly(const Pattern& p, bool utf8) {
  if (!p.ignorecase || !utf8) return true;
  for (char c : p.text) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b >= 0x80 || b == 'k' || b == 'K' || b == 's' || b == 'S') return false;
  }
  return true;
}

// A literal as Vectorscan reads it: a byte escape is a character under
// UTF-8, so there the bytes of other characters go as they are.
std::string Escaped(std::string_view literal, bool utf8) {
  static const char* hex = "0123456789abcdef";
  std::string out;
  for (char c : literal) {
    const unsigned char b = static_cast<unsigned char>(c);
    if ((std::isalnum(b) && b < 0x80) || (utf8 && b >= 0x80)) {
      out += c;
    } else {
      out += "\\x";
      out += hex[b >> 4];
      out += hex[b & 15];
    }
  }
  return out;
}

unsigned WholeFlags(const Pattern& p, bool utf8) {
  unsigned flags = HS_FLAG_MULTILINE;
  if (utf8) flags |= HS_FLAG_UTF8;
  if (p.ignorecase) flags |= HS_FLAG_CASELESS;
  return flags;
}

bool VectorscanTakes(const std::string& expression, unsigned flags) {
  hs_expr_info_t* info = nullptr;
  hs_compile_error_t* error = nullptr;
  const bool ok = hs_expression_info(expression.c_str(), flags, &info, &error) == HS_SUCCESS;
  std::free(info);
  if (error) hs_free_compile_error(error);
  return ok;
}

// The filter a regular expression gets: its factors when they pick few
// lines, else the whole pattern, else short factors, else its prefilter
// form, else every line. The prefilter comes last because it is not always
// the superset it should be (`(\b)(1)\1` finds no line in it).
PatternFilter RegexFilter(const Pattern& p, bool utf8, const FactorAnalysis& analysis) {
  constexpr size_t kSelective = 3;  // bytes a factor needs to beat the whole pattern
  if (analysis.factors && analysis.factors->Shortest() >= kSelective) return PatternFilter::factors;
  const bool scannable = !analysis.subjectAnchors && !HasByte(p.text, '\0');
  if (scannable && VectorscanTakes(p.text, WholeFlags(p, utf8))) return PatternFilter::whole;
  if (analysis.factors) return PatternFilter::factors;
  if (scannable && VectorscanTakes(p.text, WholeFlags(p, utf8) | HS_FLAG_PREFILTER)) return PatternFilter::prefilter;
  return PatternFilter::everyLine;
}

// The next filter to try for a pattern the database could not take.
PatternFilter Demoted(PatternFilter f, bool hasFactors) {
  if (f == PatternFilter::whole && hasFactors) return PatternFilter::factors;
  if (f == PatternFilter::whole) return PatternFilter::prefilter;
  return PatternFilter::everyLine;
}

std::string KeyOf(const std::vector<DbEntry>& entries) {
  std::string key = "ombrel-patterns 1 ";
  key += hs_version();
  key += '\n';
  auto put = [&key](uint32_t v) { key.append(reinterpret_cast<const char*>(&v), sizeof v); };
  for (const DbEntry& e : entries) {
    put(e.id);
    put(e.flags);
    put(static_cast<uint32_t>(e.expression.size()));
    key += e.expression;
  }
  return key;
}

uint64_t Fnv1a(std::string_view bytes) {
  uint64_t h = 14695981039346656037ull;
  for (char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return h;
}

}  // namespace

HsDatabase::~HsDatabase() { hs_free_database(db_); }

PatternSetInput InputOf(const std::vector<TTrigger>& triggers, bool utf8) {
  PatternSetInput input{{}, utf8};
  input.patterns.reserve(triggers.size());
  for (const TTrigger& t : triggers) input.patterns.push_back(PatternOf(t));
  return input;
}

// --- cache ---------------------------------------------------------------

PatternDbCache::PatternDbCache(std::string folder, size_t keep) : folder_(std::move(folder)), keep_(std::max<size_t>(keep, 1)) {}

std::optional<PatternDbCache::Value> PatternDbCache::Find(const std::string& key) {
  std::lock_guard lock(mutex_);
  for (auto it = recent_.begin(); it != recent_.end(); ++it) {
    if (it->first != key) continue;
    recent_.splice(recent_.begin(), recent_, it);
    return recent_.front().second;
  }
  std::optional<Value> loaded = Load(key);
  if (loaded) {
    recent_.emplace_front(key, *loaded);
    if (recent_.size() > keep_) recent_.pop_back();
  }
  return loaded;
}

void PatternDbCache::Store(const std::string& key, const Value& value) {
  std::lock_guard lock(mutex_);
  recent_.emplace_front(key, value);
  if (recent_.size() > keep_) recent_.pop_back();
  Save(key, value);
}

std::string PatternDbCache::PathOf(const std::string& key) const {
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.hsdb", static_cast<unsigned long long>(Fnv1a(key)));
  return (std::filesystem::path(folder_) / name).string();
}

// A cache file: a line naming it, then the key, the filters and the
// database, each after its length. Anything that does not read back whole
// and for this very key is compiled anew.
namespace {
constexpr std::string_view kMagic = "ombrel pattern database\n";

void PutBlock(std::string& out, std::string_view block) {
  const uint64_t n = block.size();
  out.append(reinterpret_cast<const char*>(&n), sizeof n);
  out += block;
}

bool GetBlock(std::string_view& in, std::string_view& block) {
  uint64_t n = 0;
  if (in.size() < sizeof n) return false;
  std::memcpy(&n, in.data(), sizeof n);
  in.remove_prefix(sizeof n);
  if (n > in.size()) return false;
  block = in.substr(0, n);
  in.remove_prefix(n);
  return true;
}
}  // namespace

std::optional<PatternDbCache::Value> PatternDbCache::Load(const std::string& key) {
  if (folder_.empty()) return std::nullopt;
  std::string bytes;
  const std::string path = PathOf(key);
  if (!ReadFileBytes(path, bytes).ok || !bytes.starts_with(kMagic)) return std::nullopt;
  std::string_view in(bytes);
  in.remove_prefix(kMagic.size());
  std::string_view storedKey, filters, db;
  if (!GetBlock(in, storedKey) || storedKey != key || !GetBlock(in, filters) || !GetBlock(in, db)) return std::nullopt;
  Value value;
  for (char f : filters) {
    if (static_cast<unsigned char>(f) > static_cast<unsigned char>(PatternFilter::everyLine)) return std::nullopt;
    value.filters.push_back(static_cast<PatternFilter>(f));
  }
  if (!db.empty()) {
    hs_database_t* database = nullptr;
    if (hs_deserialize_database(db.data(), db.size(), &database) != HS_SUCCESS) return std::nullopt;
    value.db = std::make_shared<const HsDatabase>(database);
  }
  std::error_code ec;
  std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now(), ec);
  return value;
}

void PatternDbCache::Save(const std::string& key, const Value& value) {
  if (folder_.empty()) return;
  std::string out(kMagic);
  PutBlock(out, key);
  std::string filters;
  for (PatternFilter f : value.filters) filters += static_cast<char>(f);
  PutBlock(out, filters);
  char* bytes = nullptr;
  size_t length = 0;
  if (value.db) {
    if (hs_serialize_database(value.db->get(), &bytes, &length) != HS_SUCCESS) return;
  }
  PutBlock(out, std::string_view(bytes ? bytes : "", length));
  std::free(bytes);
  // A cache that cannot be written only costs the next start its compile.
  if (!WriteFileAtomically(PathOf(key), out).ok) return;
  std::error_code ec;
  std::vector<std::filesystem::directory_entry> files;
  for (const auto& f : std::filesystem::directory_iterator(folder_, ec))
    if (f.path().extension() == ".hsdb") files.push_back(f);
  if (files.size() <= keep_) return;
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
    std::error_code e1, e2;
    return a.last_write_time(e1) > b.last_write_time(e2);
  });
  for (size_t i = keep_; i < files.size(); ++i) std::filesystem::remove(files[i].path(), ec);
}

// --- compiling -----------------------------------------------------------

std::shared_ptr<const CompiledPatternSet> CompilePatternSet(const PatternSetInput& input, PatternDbCache* cache) {
  const auto started = std::chrono::steady_clock::now();
  auto set = std::shared_ptr<CompiledPatternSet>(new CompiledPatternSet);
  set->utf8_ = input.utf8;
  set->serial_ = nextSerial++;
  set->entries_.resize(input.patterns.size());
  for (size_t i = 0; i < input.patterns.size(); ++i) {
    CompiledPatternSet::Entry& e = set->entries_[i];
    e.pattern = input.patterns[i];
    const Pattern& p = e.pattern;
    if (p.text.empty()) continue;
    PatternError error;
    const bool literal = IsLiteralKind(p.kind);
    e.code = PcreCode::Compile(p, input.utf8, !literal, &error);
    if (!e.code) {
      e.error = error;
      continue;
    }
    if (literal) {
      e.direct = SearchedDirectly(p, input.utf8);
      if (e.direct) e.code.reset();
      e.factors = LiteralTextFactors(p.text, p.ignorecase, input.utf8);
      // Only letters beyond ASCII without case: Vectorscan's own folding.
      e.filter = e.factors ? PatternFilter::factors : PatternFilter::whole;
      continue;
    }
    if (e.code->MinLength() == 0) {
      e.filter = PatternFilter::everyLine;
      continue;
    }
    FactorAnalysis analysis = AnalyseRegex(p.text, p.ignorecase, input.utf8);
    e.factors = analysis.factors;
    e.filter = RegexFilter(p, input.utf8, analysis);
  }

  auto entriesOf = [&] {
    std::vector<DbEntry> entries;
    for (size_t i = 0; i < set->entries_.size(); ++i) {
      const CompiledPatternSet::Entry& e = set->entries_[i];
      const unsigned id = static_cast<unsigned>(i);
      switch (e.filter) {
        case PatternFilter::factors:
          for (const std::string& l : e.factors->literals) {
            unsigned flags = 0;
            if (e.factors->caseless) flags = HS_FLAG_CASELESS | (input.utf8 ? HS_FLAG_UTF8 : 0);
            entries.push_back({Escaped(l, flags & HS_FLAG_UTF8), flags, id});
          }
          break;
        case PatternFilter::whole:
          entries.push_back({IsLiteralKind(e.pattern.kind) ? Escaped(e.pattern.text, input.utf8) : e.pattern.text,
                             WholeFlags(e.pattern, input.utf8), id});
          break;
        case PatternFilter::prefilter:
          entries.push_back({e.pattern.text, WholeFlags(e.pattern, input.utf8) | HS_FLAG_PREFILTER, id});
          break;
        default:
          break;
      }
    }
    return entries;
  };
  auto filters = [&] {
    std::vector<PatternFilter> f;
    for (const auto& e : set->entries_) f.push_back(e.filter);
    return f;
  };

  std::vector<DbEntry> entries = entriesOf();
  const std::string key = KeyOf(entries);
  std::optional<PatternDbCache::Value> cached;
  if (cache && !entries.empty()) cached = cache->Find(key);
  if (cached && cached->filters.size() == set->entries_.size()) {
    for (size_t i = 0; i < set->entries_.size(); ++i) set->entries_[i].filter = cached->filters[i];
    set->db_ = cached->db;
    set->fromCache_ = true;
  } else {
    while (!entries.empty()) {
      std::vector<const char*> expressions;
      std::vector<unsigned> flags, ids;
      for (const DbEntry& e : entries) {
        expressions.push_back(e.expression.c_str());
        flags.push_back(e.flags);
        ids.push_back(e.id);
      }
      hs_database_t* db = nullptr;
      hs_compile_error_t* error = nullptr;
      const hs_error_t rc = hs_compile_multi(expressions.data(), flags.data(), ids.data(),
                                             static_cast<unsigned>(entries.size()), HS_MODE_BLOCK, nullptr, &db, &error);
      if (rc == HS_SUCCESS) {
        set->db_ = std::make_shared<const HsDatabase>(db);
        break;
      }
      const int bad = error ? error->expression : -1;
      const std::string message = error ? error->message : "compiling failed";
      if (error) hs_free_compile_error(error);
      if (bad < 0 || static_cast<size_t>(bad) >= entries.size()) {
        set->dbError_ = message;
        for (auto& e : set->entries_)
          if (e.filter != PatternFilter::never) e.filter = PatternFilter::everyLine;
        break;
      }
      CompiledPatternSet::Entry& e = set->entries_[entries[bad].id];
      e.filter = Demoted(e.filter, e.factors.has_value());
      entries = entriesOf();
    }
    if (cache && !entries.empty() && set->dbError_.empty()) cache->Store(key, {set->db_, filters()});
  }
  for (size_t i = 0; i < set->entries_.size(); ++i) {
    CompiledPatternSet::Entry& e = set->entries_[i];
    if (e.filter == PatternFilter::everyLine) {
      set->everyLine_.push_back(static_cast<uint32_t>(i));
      // PCRE2 now decides alone, literals included.
      if (!e.code) e.code = PcreCode::Compile(e.pattern, input.utf8, true);
      e.direct = false;
    }
  }
  set->seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return set;
}

}  // namespace ombrel
