#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

#include "term/term_fakes.h"
#include "term/ui/qt_paint.h"
#include "ui_helpers.h"

using namespace ombrel;

class TermWindowTest : public QObject {
  Q_OBJECT

  testing::ProgramFixture p;
  TtermForm* term = nullptr;
  testing::RecordingSocket socket;

  // How many pixels of the cell at (column, row), counted from the top
  // visible row, are of exactly this colour?
  int CellPixels(const QImage& img, int col, int row, Color c) {
    const TermView& v = term->view();
    const int y0 = v.imageHeight - term->core().rows * v.lineheight + row * v.lineheight;
    int n = 0;
    for (int y = y0; y < y0 + v.lineheight; ++y)
      for (int x = col * v.charwidth; x < (col + 1) * v.charwidth; ++x) n += FromQColor(img.pixelColor(x, y)) == c;
    return n;
  }

 private slots:
  void init() {
    QVERIFY(p.Start());
    TOptions& o = p.program->optionSets.At(0);
    o.ansi = true, o.bgcolor = 0x102030;
    term = p.main->NewTerminal();
    term->SetSocket(&socket);  // typed lines are sent, so kept in the history
    QCoreApplication::processEvents();
  }
  void cleanup() { term->SetSocket(nullptr), p.Stop(); }

  void paintedInTheMappedColoursOnTheBackgroundAndTheSelectionInverted() {
    term->core().WriteText("\x1b[31mHHHH\x1b[1;32mMMMM\x1b[0m    WWWW\r\nabcdef\r\n", true);
    TermView& v = term->view();
    // Fewer lines than rows: the text starts at the top.
    const int y = v.imageHeight - term->core().rows * v.lineheight + v.lineheight + 2;
    v.MouseDown(MouseButton::Left, 0, y);
    v.MouseUp(MouseButton::Left, 2 * v.charwidth + 1, y);
    term->PaintImageNow();
    const QImage img = term->Bitmap();
    const AnsiMap& map = term->core().Options()->ansimap;
    QVERIFY(CellPixels(img, 1, 0, map[1]) > 0);   // red
    QCOMPARE(CellPixels(img, 9, 0, 0x102030), v.charwidth * v.lineheight);  // a blank shows the background
    QVERIFY(CellPixels(img, 1, 1, 0xEFDFCF) > 0);  // 0x102030 inverted in every channel
    QCOMPARE(CellPixels(img, 4, 1, 0xEFDFCF), 0);
  }

  // Backgrounds fill the cell; an underline or a strikethrough on a blank
  // is its line alone, in the text's colour, and on no other cell.
  void extendedColoursPaintBackgroundsUnderlinesAndStrikethrough() {
    p.program->optionSets.At(0).features.extendedcolours = true;
    term->core().WriteText("\x1b[48;5;208m \x1b[0;4;38;2;1;2;3m \x1b[0m\r\n\x1b[9;38;2;1;2;3m \x1b[0m \r\n", true);
    term->PaintImageNow();
    const TermView& v = term->view();
    QCOMPARE(CellPixels(term->Bitmap(), 0, 0, 0x0087FF), v.charwidth * v.lineheight);  // a blank on orange
    QVERIFY(CellPixels(term->Bitmap(), 1, 0, 0x030201) >= v.charwidth);
    QVERIFY(CellPixels(term->Bitmap(), 0, 1, 0x030201) >= v.charwidth);
    QCOMPARE(CellPixels(term->Bitmap(), 1, 1, 0x030201), 0);
  }

  // The scroll bar takes its room and follows; Ctrl scrolls from the
  // command line and Shift walks the history; wheel parts add up to notches.
  void scrollBarKeysAndWheelScrollTheView() {
    term->core().Options()->scrollbar = true;
    const int widthBefore = term->view().imageWidth;
    for (int i = 0; i < 80; ++i) term->core().WriteText("line\r\n", true);
    QVERIFY(term->sbar->isVisibleTo(term));
    QCOMPARE(term->view().imageWidth, widthBefore - term->sbar->width());
    const int top = term->view().topline;
    QCOMPARE(std::make_pair(term->sbar->value(), term->sbar->maximum()), std::make_pair(top, top));

    term->cmdEdit->setText("look");
    QTest::keyClick(term->cmdEdit, Qt::Key_Return);
    QTest::keyClick(term->cmdEdit, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(std::make_pair(term->view().topline, term->view().follow), std::make_pair(top - 1, false));
    QVERIFY(term->cmdEdit->text().isEmpty());
    QTest::keyClick(term->cmdEdit, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(term->cmdEdit->text(), QString("look"));

    auto turn = [](QWidget* w, int dy, Qt::KeyboardModifiers mods) {
      QWheelEvent e(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, dy), Qt::NoButton, mods,
                    Qt::NoScrollPhase, false);
      QApplication::sendEvent(w, &e);
    };
    for (int i = 0; i < 4; ++i) turn(term, 30, Qt::NoModifier);  // a touchpad's quarter notches
    QCOMPARE(term->view().topline, top - 2);
    turn(term->sbar, 120, Qt::ShiftModifier);
    QCOMPARE(term->view().topline, top - 7);
  }

  // A UTF-8 set sends a typed line as UTF-8 and paints a wide character
  // over two cells, what follows it on the cells after.
  void utf8TypedLinesGoOutAsUtf8AndWideCharactersTakeTwoCells() {
    term->core().Options()->features.utf8 = true;
    term->cmdEdit->setText(QString::fromUtf8("say café 東"));
    QTest::keyClick(term->cmdEdit, Qt::Key_Return);
    QVERIFY(!socket.writes.empty());
    QCOMPARE(socket.writes.back(), std::string("say caf\xc3\xa9 \xe6\x9d\xb1\r\n"));
    term->core().ClearTerminal();
    term->core().WriteText("\x1b[31m東\x1b[32mH\r\n", true);
    term->PaintImageNow();
    const AnsiMap& map = term->core().Options()->ansimap;
    QVERIFY(CellPixels(term->Bitmap(), 2, 0, map[2]) > 0);
    QCOMPARE(CellPixels(term->Bitmap(), 2, 0, map[1]), 0);
  }

  // While the server echoes, the command line hides what is typed and the
  // lock shows; the line goes out; WONT ECHO gives both back.
  void serverEchoMasksTheCommandLineAndShowsTheLock() {
    TOptions& o = *term->core().Options();
    o.telnet = true, o.features.serverecho = true;
    term->core().clientsocketConnect();
    term->core().clientsocketRead("\xff\xfb\x01Password: ");
    QCOMPARE(socket.writes.back(), std::string("\xff\xfd\x01"));
    QCOMPARE(std::make_pair(term->cmdEdit->echoMode(), term->lockLabel->isVisibleTo(term)),
             std::make_pair(QLineEdit::Password, true));
    QVERIFY(term->cmdEdit->x() >= term->lockLabel->width());
    term->cmdEdit->setText("s3cret");
    QTest::keyClick(term->cmdEdit, Qt::Key_Return);
    QCOMPARE(socket.writes.back(), std::string("s3cret\r\n"));
    term->core().clientsocketRead("\r\n\xff\xfc\x01");
    QCOMPARE(std::make_pair(term->cmdEdit->echoMode(), term->lockLabel->isVisibleTo(term)),
             std::make_pair(QLineEdit::Normal, false));
  }

  // Tab completes from what was shown, again for the next word, then the
  // word as typed; Ctrl+R finds a sent line as typed and Enter sends it.
  void tabCompletesAndCtrlRSearchesTheHistory() {
    term->core().Options()->features.tabcomplete = true;
    term->LayoutTerminal();
    term->core().WriteText("A goblin and a gobbet.\r\n", true);
    term->cmdEdit->setText("kill gob");
    QStringList seen;
    for (int k = 0; k < 3; ++k) QTest::keyClick(term->cmdEdit, Qt::Key_Tab), seen << term->cmdEdit->text();
    QCOMPARE(seen, (QStringList{"kill gobbet", "kill goblin", "kill gob"}));
    QVERIFY(term->cmdEdit->hasFocus() || !term->isActiveWindow());
    for (const char* line : {"look", "kill orc"}) term->cmdEdit->setText(line), QTest::keyClick(term->cmdEdit, Qt::Key_Return);
    QTest::keyClick(term->cmdEdit, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClicks(term->cmdEdit, "lo");
    QCOMPARE(term->cmdEdit->text(), QString("(reverse-i-search)`lo': look"));
    QTest::keyClick(term->cmdEdit, Qt::Key_Return);
    QCOMPARE(socket.writes.back(), std::string("look\r\n"));
  }

  void pasteLineGoesInAtTheCaret() {
    term->cmdEdit->setText("say  now");
    term->cmdEdit->setCursorPosition(4);
    term->PasteIntoCommandLine("hello\r\nthere");
    QVERIFY(term->cmdEdit->text().startsWith("say hello"));
    QVERIFY(term->cmdEdit->text().endsWith(" now"));
    QCOMPARE(term->cmdEdit->cursorPosition(), 4);
  }
};

QTEST_MAIN(TermWindowTest)
#include "term_window_test.moc"
