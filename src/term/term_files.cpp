// Logging of completed lines, saved buffers and loaded logs.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "term/term_core.h"
#include "util/atomic_file.h"
#include "util/byte_scan.h"
#include "util/text_file.h"

namespace ombrel {

void TermCore::SetLogFile(const std::string& fileName) {
  CloseLog();
  logname_ = fileName;
  logfile_ = std::fopen(fileName.c_str(), "ab");
  if (!logfile_) {
    logname_.clear();
    ErrorBox("Failed to open logfile for output.", "File Error");
    return;
  }
  htmlLog_ = options_ && options_->features.htmllog && IsHtmlLogName(fileName);
  if (htmlLog_) StartHtmlLog();
}

void TermCore::StartHtmlLog() {
  logPage_ = CharsetOf(*options_);
  std::FILE* page = std::fopen(logname_.c_str(), "rb");
  char start[1024];
  const size_t got = page ? std::fread(start, 1, sizeof start, page) : 0;
  if (page) std::fclose(page);
  if (got > 0) {
    // Another session's page goes on in the charset it declared.
    logPage_ = DeclaredCharset(std::string_view(start, got)).value_or(logPage_);
    return;
  }
  const std::string head = HtmlLogHead(*options_, logPage_, caption);
  if (std::fwrite(head.data(), 1, head.size(), logfile_) != head.size() || std::fflush(logfile_) != 0) StopLogging();
}

void TermCore::CloseLog() {
  if (logfile_) std::fclose(logfile_);  // flushes what is still buffered
  logfile_ = nullptr;
  logname_.clear();
  htmlLog_ = false;
}

void TermCore::LogLine(std::string_view lineText, const AttrState& start) {
  if (htmlLog_) {
    logLine_.clear();
    AppendHtmlLine(lineText, start, *options_, logPage_, logLine_);
    if (std::fwrite(logLine_.data(), 1, logLine_.size(), logfile_) != logLine_.size()) StopLogging();
    return;
  }
  bool ok = std::fwrite(lineText.data(), 1, lineText.size(), logfile_) == lineText.size() &&
            std::fwrite("\r\n", 1, 2, logfile_) == 2;
  if (!ok) StopLogging();
}

// Failing to log must not cut the rest of the read short: stop logging and
// tell the user.
void TermCore::StopLogging() {
  std::string reason = std::strerror(errno);
  std::string name = logname_;
  CloseLog();
  ErrorBox("Failed to write log file " + name + ": " + reason, "File Error");
}

// Every read's lines reach the file before the read is shown, so a crash
// loses nothing logged, at one write per read rather than one per line.
void TermCore::FlushLog() {
  if (logfile_ && std::fflush(logfile_) != 0) StopLogging();
}

namespace {

bool SameFile(std::FILE* open, const std::string& path) {
  struct stat a, b;
  return open && ::fstat(::fileno(open), &a) == 0 && ::stat(path.c_str(), &b) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

WriteResult TermCore::SaveBuffer(const std::string& fileName) {
  std::string content;
  for (int i = 0; i <= store_.CurLine(); ++i) {
    content += store_.Line(i).text;
    content += "\r\n";
  }
  // The save replaces the file by another one; a log handle left on the
  // old one would write into an unlinked file, lost without an error.
  const bool overLog = SameFile(logfile_, fileName);
  const WriteResult r = WriteFileAtomically(fileName, content);
  if (r.ok && overLog) SetLogFile(std::string(logname_));
  return r;
}

ReadResult TermCore::LoadLog(const std::string& fileName) {
  // Read before clearing: a file that cannot be read leaves the buffer be.
  FileBytes data;
  const ReadResult read = ReadFileBytes(fileName, data);
  if (!read.existed)
    return {.ok = false, .existed = false, .error = "cannot open " + fileName + ": " + std::strerror(ENOENT)};
  if (!read.ok) return read;
  ClearTerminal();
  stringsSeen_ = true;  // a log may hold any sequence
  // The store keeps the file's text as it was read and its lines where they
  // lie in it, unless the file is too large for a block to address.
  const bool inPlace = data.size() <= UINT32_MAX;
  const LineStore::Kept kept = inPlace ? store_.Keep(std::move(data)) : LineStore::Kept{0, data.view()};
  const std::string_view all = kept.text;
  // A line ends at CR LF, CR or LF, as text files are read.
  size_t i = 0;
  while (i < all.size()) {
    const size_t end = FindAnyOf(all.data(), i, all.size(), '\r', '\n', '\n');
    if (inPlace) {
      Stored(store_.CompleteIn(kept.block, i, end - i), false);
    } else {
      NewLine(all.substr(i, end - i), false);
    }
    if (end == all.size()) break;
    i = end + 1;
    if (all[end] == '\r' && i < all.size() && all[i] == '\n') ++i;
  }
  // The loaded lines are logged now, not at the next read.
  FlushLog();
  listeners_.Tell(&TermListener::LogLoaded);
  return read;
}

}  // namespace ombrel
