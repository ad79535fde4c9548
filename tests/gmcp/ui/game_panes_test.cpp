// The panes follow a terminal's data tree: each part shows once its data
// came, and a gauge says its reading to a screen reader.
#include <QtTest>
#include <QtWidgets>

#include "gmcp/ui/game_panes.h"

using namespace ombrel;

class GamePanesTest : public QObject {
  Q_OBJECT

  static void Merge(GameData& data, const char* message, const char* json) {
    Json value;
    QVERIFY(ParseJson(json, value));
    data.Merge(message, value);
  }

 private slots:
  void eachPartShowsOnceItsDataCame() {
    QWidget window;
    auto* panes = new TgamePanes(&window);
    GameData data;
    panes->Bind(&data);
    window.show();
    QVERIFY(!panes->isVisible());
    Merge(data, "Char.Vitals", R"({"hp":"5200","maxhp":"4800","mp":"3000","maxmp":"3200"})");
    QTRY_VERIFY(panes->isVisible());
    QVERIFY(!panes->RoomLine()->isVisible() && !panes->Channels()->isVisible());
    QProgressBar* health = panes->Gauge(0);
    QVERIFY(health->isVisible() && panes->Gauge(1)->isVisible() && !panes->Gauge(2)->isVisible());
    // More than the maximum fills the bar, which ignores a value beyond it; the text says how much.
    QCOMPARE(std::make_pair(health->value(), health->maximum()), std::make_pair(4800, 4800));
    QCOMPARE(health->text(), QString("Health 5200 of 4800"));
    QCOMPARE(QAccessible::queryAccessibleInterface(health)->text(QAccessible::Name), QString("Health 5200 of 4800"));
    // Many messages within a frame are shown once, as the last left them.
    for (const char* hp : {R"({"hp":"1"})", R"({"hp":"2"})", R"({"hp":"5200"})"}) Merge(data, "Char.Vitals", hp);
    Merge(data, "Room.Info", R"({"name":"On a hill","exits":{"n":1,"se":2}})");
    QVERIFY(!panes->RoomLine()->isVisible());
    QTRY_VERIFY(panes->RoomLine()->isVisible());
    QCOMPARE(health->text(), QString("Health 5200 of 4800"));
    QCOMPARE(panes->RoomLine()->text(), QString("On a hill    Exits: n, se"));
    for (const char* text : {R"({"channel":"newbie","text":"first"})", R"({"text":"second"})"})
      Merge(data, "Comm.Channel.Text", text);
    QTRY_VERIFY(panes->Channels()->isVisible());
    QCOMPARE(panes->Channels()->toPlainText(), QString("[newbie] first\nsecond"));
    // Bound to nothing, the panes follow the tree no more.
    panes->Bind(nullptr);
    Merge(data, "Room.Info", R"({"name":"Elsewhere"})");
    QTest::qWait(2 * TgamePanes::kFrameMs);
    QCOMPARE(panes->RoomLine()->text(), QString("On a hill    Exits: n, se"));
  }
};

QTEST_MAIN(GamePanesTest)
#include "game_panes_test.moc"
