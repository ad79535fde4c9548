#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

#include "app/ui/d_module.h"
#include "app/ui/main_form.h"
#include "term/term_fakes.h"
#include "term/ui/qt_paint.h"
#include "term/ui/term_form.h"

using namespace ombrel;

class TermWindowTest : public QObject {
  Q_OBJECT

  TOptionSetList sets;
  std::unique_ptr<TmainForm> main;
  TtermForm* term = nullptr;
  testing::RecordingSocket socket;

  // Does the cell at (column, row), counted from the top visible row, hold
  // a pixel of exactly this colour?
  bool CellHas(const QImage& img, int col, int row, Color c) {
    const TermView& v = term->view();
    const int y0 = v.imageHeight - term->core().rows * v.lineheight + row * v.lineheight;
    for (int y = y0; y < y0 + v.lineheight; ++y)
      for (int x = col * v.charwidth; x < (col + 1) * v.charwidth; ++x)
        if (FromQColor(img.pixelColor(x, y)) == c) return true;
    return false;
  }
  bool CellAll(const QImage& img, int col, int row, Color c) {
    const TermView& v = term->view();
    const int y0 = v.imageHeight - term->core().rows * v.lineheight + row * v.lineheight;
    for (int y = y0; y < y0 + v.lineheight; ++y)
      for (int x = col * v.charwidth; x < (col + 1) * v.charwidth; ++x)
        if (FromQColor(img.pixelColor(x, y)) != c) return false;
    return true;
  }
  QImage Painted() {
    term->PaintImageNow();
    return term->Bitmap();
  }

 private slots:
  void init() {
    sets.Clear();
    TOptions& o = sets.AddNew("Default");
    o.ansi = true;
    o.bgcolor = 0x102030;
    main = std::make_unique<TmainForm>(sets, QDir::tempPath() + "/ombrel-tw-data/");
    main->message = [](TmainForm::MessageKind, const QString&, const QString&) {};
    main->SetModule(new TdModule(main.get()));
    main->resize(800, 600);
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    term = main->NewTerminal();
    socket.active = true;
    socket.writes.clear();
    term->SetSocket(&socket);
    QCoreApplication::processEvents();
  }
  void cleanup() {
    term->SetSocket(nullptr);
    main.reset();
  }

  void colouredTextIsPaintedInTheMappedColoursOnTheBackground() {
    term->core().WriteText("\x1b[31mHHHH\x1b[1;32mMMMM\x1b[0m    WWWW\r\n", true);
    const QImage img = Painted();
    const int row = 0;  // fewer lines than rows: the text starts at the top
    const AnsiMap& map = term->core().Options()->ansimap;
    QVERIFY(CellHas(img, 1, row, map[1]));    // red
    QVERIFY(!CellHas(img, 1, row, map[10]));
    QVERIFY(CellHas(img, 5, row, map[10]));   // bold green
    QVERIFY(CellAll(img, 9, row, 0x102030));  // the blanks show the background
    QVERIFY(CellAll(img, 1, row + 1, 0x102030));
  }

  void theSelectionIsPaintedInverted() {
    term->core().WriteText("abcdef\r\n", true);
    TermView& v = term->view();
    const int y = v.imageHeight - term->core().rows * v.lineheight + 2;
    v.MouseDown(MouseButton::Left, 0, y);
    v.MouseMove(2 * v.charwidth + 1, y);
    v.MouseUp(MouseButton::Left, 2 * v.charwidth + 1, y);
    QCOMPARE(term->GetSelectedText(), std::string("abc"));
    const QImage img = Painted();
    // The inverse of 0x102030 in every colour channel.
    QVERIFY(CellHas(img, 1, 0, 0xEFDFCF));
    QVERIFY(!CellHas(img, 4, 0, 0xEFDFCF));
  }

  void theScrollBarFollowsTheStoreAndTheLayoutMakesRoomForIt() {
    term->core().Options()->scrollbar = true;
    const int widthBefore = term->view().imageWidth;
    for (int i = 0; i < term->core().rows + 10; ++i) term->core().WriteText("line\r\n", true);
    QVERIFY(term->sbar->isVisibleTo(term));
    QCOMPARE(term->view().imageWidth, widthBefore - term->sbar->width());
    QCOMPARE(term->sbar->value(), term->view().topline);
    QCOMPARE(term->sbar->maximum(), term->view().topline);  // following: at the end
  }

  void keyPreviewScrollsWithCtrlAndWalksTheHistoryWithShift() {
    for (int i = 0; i < 60; ++i) term->core().WriteText("line\r\n", true);
    term->cmdEdit->setText("look");
    QTest::keyClick(term->cmdEdit, Qt::Key_Return);
    term->cmdEdit->setText("north");
    QTest::keyClick(term->cmdEdit, Qt::Key_Return);
    QVERIFY(term->cmdEdit->text().isEmpty());
    const int top = term->view().topline;
    QTest::keyClick(term->cmdEdit, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(term->view().topline, top - 1);
    QVERIFY(!term->view().follow);
    QVERIFY(term->cmdEdit->text().isEmpty());
    QTest::keyClick(term->cmdEdit, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(term->cmdEdit->text(), QString("north"));
    QTest::keyClick(term->cmdEdit, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(term->cmdEdit->text(), QString("look"));
  }

  void wheelPartsAddUpToNotchesAndTheScrollBarScrollsAlike() {
    for (int i = 0; i < 80; ++i) term->core().WriteText("line\r\n", true);
    const int top = term->view().topline;
    auto turn = [](QWidget* w, int dy, Qt::KeyboardModifiers mods) {
      QWheelEvent e(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, dy), Qt::NoButton, mods,
                    Qt::NoScrollPhase, false);
      QApplication::sendEvent(w, &e);
    };
    for (int i = 0; i < 4; ++i) turn(term, 30, Qt::NoModifier);  // a touchpad's quarter notches
    QCOMPARE(term->view().topline, top - 1);
    turn(term->sbar, 120, Qt::ShiftModifier);
    QCOMPARE(term->view().topline, top - 6);
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
