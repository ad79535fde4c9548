#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/ui/d_module.h"
#include "app/ui/main_form.h"
#include "options/ui/add_option_set_form.h"
#include "options/ui/option_form.h"
#include "term/ui/term_form.h"

#include "ui_helpers.h"

using namespace ombrel;

// The rules behind these controls are tested in the core; here the
// controls, the terminals they refresh and the file they save.
class OptionFormTest : public QObject {
  Q_OBJECT

  TOptionSetList sets;
  std::unique_ptr<TmainForm> main;
  TdModule* module = nullptr;
  TaddOptionSetForm* addForm = nullptr;
  ToptionForm* form = nullptr;
  std::vector<Message> asked;
  bool answer = true;
  int saves = 0;
  bool saveWorks = true;

  void Activate(TtermForm* t) { testing::ActivateTerminal(*main, t); }
  void ChooseSet(int index) {
    form->optionsetCombo->setCurrentIndex(index);
    form->optionsetComboClick();
  }
  void ChooseColor(Color c) {
    form->chooseColor = [c](Color) { return std::optional<Color>(c); };
  }

 private slots:
  void init() {
    sets.Clear();
    sets.AddNew("Default");
    sets.AddNew("Fight");
    main = std::make_unique<TmainForm>(sets, QDir::tempPath() + "/ombrel-of-data/");
    main->message = [](TmainForm::MessageKind, const QString&, const QString&) {};
    addForm = new TaddOptionSetForm(main.get());
    module = new TdModule(main.get());
    main->SetModule(module);
    form = new ToptionForm(sets, main.get(), addForm, main.get());
    module->showOptions = [this] { form->ShowEditor(); };
    main->refreshOptions = [this](TtermForm* t) {
      if (form->isVisible()) form->SelectTerminalSet(t);
    };
    asked.clear();
    answer = saveWorks = true;
    saves = 0;
    form->ask = addForm->ask = [this](const Message& m) {
      asked.push_back(m);
      return answer;
    };
    form->saveOptions = [this] { return ++saves, saveWorks; };
    main->resize(800, 600);
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
  }
  void cleanup() { main.reset(); }

  void anUntouchedApplyKeepsEveryByte() {
    TOptions& set = sets.At(0);
    set.bgcolor = 0xFF00000F;  // a high byte, as a file may hold
    set.margin = "> ";         // the length shown, the characters kept
    set.stdpasteprefix = "caf\xE9 ";
    set.triggers.push_back({"gold", "\xA3 coins", false, false, {"say \xE4h"}, ""});
    set.aliases.push_back({"\xFC" "ber", {"north \xE9"}});
    set.macros[0].text = {"cast \xE6"};
    const TOptions before = set;
    form->ShowEditor();
    QCOMPARE(form->marginEdit->text(), QString("2"));
    form->applyBtn->click();
    QVERIFY(set == before);
    // Typed text reaches the set as the bytes the terminal shows.
    form->trigStringEdit->setText(QString::fromLatin1("\xE9p\xE9" "e"));
    form->applyBtn->click();
    QCOMPARE(set.triggers[0].string, std::string("\xE9p\xE9" "e"));
  }

  void addSetAppendsADefaultSetAndKeepsTheShownOne() {
    main->NewTerminal();
    module->action(ActionId::aOptions)->trigger();
    QTimer::singleShot(0, addForm, [this] {
      QCOMPARE(addForm->nameEdit->text(), QString("Custom Set"));  // as offered
      addForm->nameEdit->setText(" Default ");
      addForm->okBtn->click();  // refused: the dialog stays with the trimmed name
      QCOMPARE(asked.back().caption, std::string("Illegal Name"));
      QVERIFY(addForm->isVisible());
      QCOMPARE(addForm->nameEdit->text(), QString("Default"));
      addForm->nameEdit->setText("Custom Set");
      addForm->okBtn->click();
    });
    form->addOptionsBtn->click();
    TOptions fresh;
    fresh.name = "Custom Set";
    QCOMPARE(sets.Count(), 3);
    QVERIFY(sets.At(2) == fresh);
    QCOMPARE(form->optionsetCombo->itemText(2), QString("Custom Set"));
    QCOMPARE(form->CurrentSet(), &sets.At(0));
  }

  void editorFollowsTheActivatedTerminal() {
    TtermForm* a = main->NewTerminal();
    TtermForm* b = main->NewTerminal();
    b->SetOptions(&sets.At(1));
    Activate(b);
    form->ShowEditor();
    QCOMPARE(form->CurrentSet(), &sets.At(1));
    Activate(a);
    QCOMPARE(form->optionsetCombo->currentText(), QString("Default"));
    QCOMPARE(form->CurrentSet(), &sets.At(0));
  }

  void choosingASetAppliesItAndKeepsTheEditsOfTheSetLeft() {
    TtermForm* t = main->NewTerminal();
    Activate(t);
    form->ShowEditor();
    ChooseColor(0x0000FF);
    form->bgcolorPanel->clicked();
    ChooseSet(1);  // by the keyboard: no list opened first
    QCOMPARE(sets.At(0).bgcolor, Color{0x0000FF});
    QCOMPARE(sets.At(1).bgcolor, Color{0});
    QCOMPARE(t->core().Options(), &sets.At(1));
    QCOMPARE(form->bgcolorPanel->color(), Color{0});
  }

  void applyRefreshesEveryTerminalOfTheSet() {
    TtermForm* fight[] = {main->NewTerminal(), main->NewTerminal()};
    for (TtermForm* t : fight) t->SetOptions(&sets.At(1));
    TtermForm* other = main->NewTerminal();
    Activate(other);
    form->ShowEditor();
    form->optionsetCombo->setCurrentIndex(1);
    form->ShowSet();  // shown, not yet applied
    const int before = fight[0]->view().lineheight;
    form->chooseFont = [](TFontDesc f) { return f.size = 30, std::optional<TFontDesc>(f); };
    form->fontBtn->click();
    QCOMPARE(sets.At(1).font.size, 9);  // nothing before Apply
    form->applyBtn->click();
    QCOMPARE(sets.At(1).font.size, 30);
    QCOMPARE(other->core().Options(), &sets.At(1));
    for (TtermForm* t : {fight[0], fight[1], other}) QVERIFY(t->view().lineheight > before);
    QCOMPARE(sets.At(0).font.size, 9);  // each set keeps its own font
  }

  void brightRedSwatchAndItsRestore() {
    form->ShowEditor();
    form->ansiCB->click();
    QVERIFY(form->ansimapPanel->isVisible());
    Color offered = 0;
    form->chooseColor = [&](Color initial) { return offered = initial, std::optional<Color>(0x123456); };
    QTest::mouseClick(form->findChild<ColorSwatch*>("redLCPanel"), Qt::LeftButton);
    QCOMPARE(offered, Color{0x0000FF});  // preset with the swatch's colour
    form->applyBtn->click();
    QCOMPARE(sets.At(0).ansimap[9], Color{0x123456});
    QCOMPARE(sets.At(0).ansimap[1], Color{0x00007F});
    QTest::mouseClick(form->findChild<ColorSwatch*>("redLOPanel"), Qt::LeftButton);
    form->applyBtn->click();
    QCOMPARE(sets.At(0).ansimap[9], Color{0x0000FF});
  }

  void sizeFieldsKeepTheirDigitsWhenLeftAndApply() {
    form->ShowEditor();
    ChooseSet(1);
    QCOMPARE(form->historyEdit->text(), QString("50"));
    QApplication::setActiveWindow(form);
    QVERIFY(form->isActiveWindow());
    form->marginEdit->setFocus();
    form->marginEdit->setText("1a2");
    form->fontBtn->setFocus();
    QCOMPARE(form->marginEdit->text(), QString("12"));
    form->historyEdit->setText("200");
    form->applyBtn->click();
    QCOMPARE(sets.At(1).margin, std::string(12, ' '));
    QCOMPARE(sets.At(1).historysize, 200);
  }

  void closingWritesTheFileEvenOnCancel() {
    form->ShowEditor();
    ChooseColor(0x0000FF);
    form->bgcolorPanel->clicked();
    form->cancelBtn->click();
    QVERIFY(!form->isVisible());
    QCOMPARE(sets.At(0).bgcolor, Color{0});
    QCOMPARE(saves, 1);
    form->ShowEditor();
    QCOMPARE(form->bgcolorPanel->color(), Color{0});  // shown afresh
    form->close();
    QCOMPARE(saves, 2);
    form->ShowEditor();
    saveWorks = false;
    form->OKBtn->click();
    QCOMPARE(saves, 3);
    QCOMPARE(asked.back().caption, std::string("Ombrel Error"));
  }

  void triggersAddStoreAndDelete() {
    form->ShowEditor();
    QStringList names{"hunger", "thirst"};
    form->askName = [&](const QString& caption, const QString& label) {
      if (caption != "Add Trigger" || label != "Name of new Trigger") return std::optional<std::string>();
      return std::optional<std::string>(names.takeFirst().toStdString());
    };
    form->trigAddBtn->click();
    form->trigStringEdit->setText("You are hungry");
    form->trigSendCB->setChecked(true);
    form->trigSendMemo->setPlainText("eat bread\ndrink water");
    form->trigAddBtn->click();  // the edits of the trigger shown are kept
    TOptions& set = sets.At(0);
    QVERIFY((set.triggers[0] == TTrigger{"hunger", "You are hungry", true, false,
                                         {"eat bread", "drink water"}, ""}));
    QCOMPARE(form->trigEventCombo->currentText(), QString("thirst"));
    QCOMPARE(form->trigStringEdit->text(), QString());
    form->trigEventCombo->setCurrentIndex(0);
    QCOMPARE(form->trigStringEdit->text(), QString("You are hungry"));
    answer = false;
    form->trigDeleteBtn->click();
    QCOMPARE(set.triggers.size(), size_t{2});
    answer = true;
    form->trigDeleteBtn->click();
    QCOMPARE(set.triggers.size(), size_t{1});
    QCOMPARE(form->trigEventCombo->currentText(), QString("thirst"));
  }

  void aliasesAndMacros() {
    form->ShowEditor();
    form->askName = [](const QString& caption, const QString&) {
      return caption == "Add Alias" ? std::optional<std::string>("Look") : std::nullopt;
    };
    form->addaliasBtn->click();
    TOptions& set = sets.At(0);
    QCOMPARE(form->aliasCombo->itemText(0), QString("look"));
    form->aliasMemo->setPlainText("look %1");
    form->macroMemo->setPlainText("kill orc\r\n");
    form->macrokeyCombo->setCurrentIndex(3);  // leaving Ctrl+1 stores it
    QCOMPARE(set.macros[0].text, (Lines{"kill orc"}));
    form->macroMemo->setPlainText("flee");
    form->applyBtn->click();  // by its shortcut a button takes no focus
    QCOMPARE(set.macros[3].text, (Lines{"flee"}));
    QVERIFY((set.aliases == std::vector<TAlias>{{"look", {"look %1"}}}));
    answer = false;
    form->delaliasBtn->click();
    QCOMPARE(set.aliases.size(), size_t{1});
    answer = true;
    form->delaliasBtn->click();
    QVERIFY(set.aliases.empty());
    QCOMPARE(form->aliasMemo->toPlainText(), QString());
  }
};

QTEST_MAIN(OptionFormTest)
#include "option_form_test.moc"
