// The MUD-like test server, or another peer that says where it listens on
// its first line ("PORT <n>"), as a child process on a port it picks itself;
// killed when the test ends, however it ends.
#pragma once

#include <QProcess>
#include <QStringList>

#include <signal.h>
#include <sys/prctl.h>

namespace ombrel::testing {

struct TestServer {
  static constexpr int kWait = 8000;
  QProcess process;
  int port = 0;
  QString said;  // the first line's value
  explicit TestServer(QStringList args = {}, const QString& program = OMBREL_MUD_TEST_SERVER) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (program == OMBREL_MUD_TEST_SERVER) args << "--timeout" << "60";
    process.start(program, args);
    while (!process.canReadLine() && process.waitForReadyRead(kWait)) {}
    said = QString(process.readLine()).section(' ', 1).trimmed();
    port = said.toInt();
  }
  ~TestServer() {
    process.kill();
    process.waitForFinished(kWait);
  }
};

}  // namespace ombrel::testing
