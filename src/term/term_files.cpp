// Logging of completed lines, saved buffers and loaded logs.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "term/term_core.h"
#include "util/atomic_file.h"

namespace ombrel {

void TermCore::SetLogFile(const std::string& fileName) {
  CloseLog();
  logname_ = fileName;
  logfile_ = std::fopen(fileName.c_str(), "ab");
  if (!logfile_) {
    logname_.clear();
    ErrorBox("Failed to open logfile for output.", "File Error");
  }
}

void TermCore::CloseLog() {
  if (logfile_) std::fclose(logfile_);  // flushes what is still buffered
  logfile_ = nullptr;
  logname_.clear();
}

void TermCore::LogLine(const std::string& lineText) {
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

void TermCore::SaveBuffer(const std::string& fileName) const {
  std::string content;
  for (int i = 0; i <= store_.curline; ++i) {
    content += store_.Line(i).text;
    content += "\r\n";
  }
  WriteResult r = WriteFileAtomically(fileName, content);
  if (!r.ok) throw FileError(r.error);
}

void TermCore::LoadLog(const std::string& fileName) {
  ClearTerminal();
  std::ifstream in(fileName, std::ios::binary);
  if (in) {
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw FileError("cannot read " + fileName + ": " + std::strerror(errno));
    // A line ends at CR LF, CR or LF, as text files are read.
    size_t i = 0;
    while (i < data.size()) {
      size_t end = data.find_first_of("\r\n", i);
      if (end == std::string::npos) {
        NewLine(data.substr(i), false);
        break;
      }
      NewLine(data.substr(i, end - i), false);
      i = end + 1;
      if (data[end] == '\r' && i < data.size() && data[i] == '\n') ++i;
    }
  }
  if (events_.showTop) events_.showTop(*this);
}

}  // namespace ombrel
