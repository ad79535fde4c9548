// What the panes cost on screen while a game sends 1,000 Char.Vitals a
// second: a message merged each millisecond from the event loop, as reads
// arrive, the panes shown on the offscreen platform and painted as they
// change. Prints the CPU time of the second that 1,000 messages take, which
// is the share of one core, in thousandths; and the same second with the
// panes following no tree, the cost of the loop and the timer alone.
#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "gmcp/ui/game_panes.h"

using namespace ombrel;

namespace {

double CpuMs() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// One message a millisecond for `count` milliseconds; the CPU and wall time.
std::pair<double, double> Second(GameData& data, int count) {
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  tick.setInterval(1);
  int sent = 0;
  QEventLoop loop;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    Json value;
    ParseJson(R"({"hp":")" + std::to_string(4000 + sent % 800) + R"(","maxhp":"4800","mp":"3000","maxmp":"3200"})",
              value);
    data.Merge("Char.Vitals", std::move(value));
    if (++sent == count) loop.quit();
  });
  QElapsedTimer wall;
  wall.start();
  const double cpu = CpuMs();
  tick.start();
  loop.exec();
  return {CpuMs() - cpu, double(wall.elapsed())};
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  GameData data;
  TgamePanes panes;
  panes.resize(800, 120);
  panes.show();
  constexpr int kMessages = 1000;
  for (int round = 0; round < 3; ++round) {
    panes.Bind(&data);
    const auto [shown, shownWall] = Second(data, kMessages);
    panes.Bind(nullptr);
    const auto [alone, aloneWall] = Second(data, kMessages);
    std::printf("%d Char.Vitals: %.1f ms CPU in %.0f ms with the panes, %.1f ms in %.0f ms without\n", kMessages,
                shown, shownWall, alone, aloneWall);
  }
  return panes.Gauge(0) && panes.Gauge(0)->value() > 0 ? 0 : 1;
}
