#include "options/options_file.h"
#include "options/ui/add_option_set_form.h"
#include "options/ui/option_form.h"
#include "options/ui/settings_tabs.h"
#include "options/ui/pattern_fields.h"
#include "ui_helpers.h"

using namespace ombrel;

// The rules behind these controls are tested in the core; here the
// controls, the terminals they refresh and the file they save.
class OptionFormTest : public QObject {
  Q_OBJECT

  testing::ProgramFixture p;
  ToptionForm* form = nullptr;
  TaddOptionSetForm* addForm = nullptr;
  std::vector<std::string> asked;  // the captions of the message boxes
  bool answer = true;

  TOptions& Set(int index) { return p.program->optionSets.At(index); }
  TtermForm* NewTerminal() { return p.main->NewTerminal(); }
  void ChooseSet(int index) {
    form->optionsetCombo->setCurrentIndex(index);
    form->optionsetComboClick();
  }
  void ChooseColor(Color c) {
    form->chooseColor = [c](Color) { return std::optional<Color>(c); };
  }

 private slots:
  void init() {
    QVERIFY(p.Start());
    p.program->optionSets.AddNew("Fight");
    form = p.program->optionForm, addForm = p.program->addOptionSetForm;
    asked.clear(), answer = true;
    form->ask = addForm->ask = [this](const Message& m) { return asked.push_back(m.caption), answer; };
  }
  void cleanup() { p.Stop(); }

  void anUntouchedApplyKeepsEveryByteAndEditsAreStored() {
    TOptions& set = Set(0);
    set.bgcolor = 0xFF00000F;  // a high byte, as a file may hold
    set.margin = "> ";         // the length shown, the characters kept
    set.stdpasteprefix = "caf\xE9 ";
    set.triggers.push_back({"gold", "\xA3 coins", false, false, {"say \xE4h"}, ""});
    set.aliases.push_back({"\xFC" "ber", {"north \xE9"}});
    set.macros[0].text = {"cast \xE6"};
    for (bool utf8 : {true, false}) {
      set.features.utf8 = utf8;  // a UTF-8 set shows those bytes as U+FFFD, and keeps them too
      const TOptions before = set;
      form->hide();
      form->ShowEditor();
      QCOMPARE(form->displayTab->marginEdit->text(), QString("2"));
      form->applyBtn->click();
      QVERIFY2(set == before, utf8 ? "UTF-8" : "bytes");
    }
    // Typed text reaches the set as the bytes the terminal shows.
    form->triggerTab->trigStringEdit->setText(QString::fromLatin1("\xE9p\xE9" "e"));
    form->applyBtn->click();
    QCOMPARE(set.triggers[0].string, std::string("\xE9p\xE9" "e"));
    // Size fields keep their digits when left.
    QApplication::setActiveWindow(form);
    QVERIFY(form->isActiveWindow());
    form->displayTab->marginEdit->setFocus();
    form->displayTab->marginEdit->setText("1a2");
    form->displayTab->fontBtn->setFocus();
    QCOMPARE(form->displayTab->marginEdit->text(), QString("12"));
    form->generalTab->historyEdit->setText("200");
    form->applyBtn->click();
    QCOMPARE(set.margin + std::to_string(set.historysize), std::string(12, ' ') + "200");
  }

  // A name or paste affix typed for a UTF-8 set is held as UTF-8, as the
  // command line and pastes send it; otherwise as the bytes shown.
  void typedNamesAndAffixesTakeTheSetsEncoding() {
    const QString typed = QString::fromUtf8("\xC3\xA9p\xC3\xA9" "e");
    form->askName = [&](const QString&, const QString&) { return std::optional<QString>(typed); };
    for (auto [utf8, bytes] : {std::pair{true, "\xC3\xA9p\xC3\xA9" "e"}, std::pair{false, "\xE9p\xE9" "e"}}) {
      TOptions& set = Set(0);
      set.aliases.clear(), set.triggers.clear();
      set.features.utf8 = utf8;
      form->hide();
      form->ShowEditor();
      form->aliasTab->addaliasBtn->click();
      form->triggerTab->trigAddBtn->click();
      form->generalTab->altPasteSuffixEdit->setText(typed);
      form->applyBtn->click();
      QCOMPARE(set.aliases.at(0).name + "|" + set.triggers.at(0).name + "|" + set.altpastesuffix,
               std::string(bytes) + "|" + bytes + "|" + bytes);
      QCOMPARE(form->aliasTab->aliasCombo->itemText(0), typed);
    }
  }

  void addSetAppendsADefaultSetAndKeepsTheShownOne() {
    NewTerminal();
    p.Action(ActionId::aOptions)->trigger();
    QTimer::singleShot(0, addForm, [this] {
      QCOMPARE(addForm->nameEdit->text(), QString("Custom Set"));  // as offered
      addForm->nameEdit->setText(" Default ");
      addForm->okBtn->click();  // refused: the dialog stays with the trimmed name
      QVERIFY(addForm->isVisible() && asked.size() == 1);
      QCOMPARE(addForm->nameEdit->text(), QString("Default"));
      addForm->nameEdit->setText("Custom Set");
      addForm->okBtn->click();
    });
    form->addOptionsBtn->click();
    TOptions fresh;
    fresh.name = "Custom Set";
    QVERIFY(p.program->optionSets.Count() == 3 && Set(2) == fresh);
    QCOMPARE(form->optionsetCombo->itemText(2), QString("Custom Set"));
    QCOMPARE(form->CurrentSet(), &Set(0));
  }

  void editorFollowsTheTerminalAndApplyRefreshesEveryTerminalOfTheSet() {
    TtermForm* fight[] = {NewTerminal(), NewTerminal()};
    for (TtermForm* t : fight) t->SetOptions(&Set(1));
    TtermForm* other = NewTerminal();
    p.Activate(fight[1]);
    form->ShowEditor();
    QCOMPARE(form->CurrentSet(), &Set(1));
    p.Activate(other);
    QCOMPARE(form->CurrentSet(), &Set(0));
    form->optionsetCombo->setCurrentIndex(1);
    form->ShowSet();  // shown, not yet applied
    const int before = fight[0]->view().lineheight;
    form->chooseFont = [](TFontDesc f) { return f.size = 30, std::optional<TFontDesc>(f); };
    form->displayTab->fontBtn->click();
    QCOMPARE(Set(1).font.size, 9);  // nothing before Apply
    form->applyBtn->click();
    QVERIFY(Set(1).font.size == 30 && other->core().Options() == &Set(1));
    for (TtermForm* t : {fight[0], fight[1], other}) QVERIFY(t->view().lineheight > before);
    QCOMPARE(Set(0).font.size, 9);  // each set keeps its own font
    // Another set chosen by the keyboard (no list opened first) keeps the
    // edits of the set left and is applied.
    ChooseColor(0x0000FF);
    form->displayTab->bgcolorPanel->clicked();
    ChooseSet(0);
    QVERIFY(Set(1).bgcolor == 0x0000FF && other->core().Options() == &Set(0));
    QCOMPARE(form->displayTab->bgcolorPanel->color(), Color{0});
  }

  void brightRedSwatchAndItsRestore() {
    form->ShowEditor();
    form->displayTab->ansiCB->click();
    QVERIFY(form->displayTab->ansimapPanel->isVisible());
    Color offered = 0;
    form->chooseColor = [&](Color initial) { return offered = initial, std::optional<Color>(0x123456); };
    QTest::mouseClick(form->findChild<ColorSwatch*>("redLCPanel"), Qt::LeftButton);
    QCOMPARE(offered, Color{0x0000FF});  // preset with the swatch's colour
    form->applyBtn->click();
    QVERIFY(Set(0).ansimap[9] == 0x123456 && Set(0).ansimap[1] == 0x00007F);
    QTest::mouseClick(form->findChild<ColorSwatch*>("redLOPanel"), Qt::LeftButton);
    form->applyBtn->click();
    QCOMPARE(Set(0).ansimap[9], Color{0x0000FF});
  }

  // The speech fields are every set's: shown on each, written to
  // speech.dat with the set files; the switches stay the set's own.
  void speechSettingsAndSwitchesOnTheFeaturesTab() {
    form->ShowEditor();
    TfeaturesTab& tab = *form->featuresTab;
    tab.speechCB->setChecked(true), tab.screenReaderCB->setChecked(true);
    tab.speechRateSpin->setValue(-4);
    tab.speechVoiceEdit->setText(" Kit ");
    tab.neverSpokenEdit->setPlainText("^\\[OOC\\]\n\nHP:\\d+");
    form->applyBtn->click();
    QVERIFY(Set(0).features.speech && Set(0).features.screenreader);
    ChooseSet(1);
    QVERIFY(!tab.speechCB->isChecked() && !tab.screenReaderCB->isChecked());
    QCOMPARE(tab.speechRateSpin->value(), -4);
    form->OKBtn->click();
    QFile file(p.DataDir() + "speech.dat");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().toStdString(), std::string("#rate\t-4\r\n#voice\tKit\r\n#never\t^\\[OOC\\]\r\n#never\tHP:\\d+\r\n"));
  }

  void closingWritesTheFileEvenOnCancel() {
    const QString file = p.DataDir() + "options.dat";
    auto written = [&] {
      QFile f(file);
      return f.open(QIODevice::ReadOnly) && f.readAll().toStdString() == FormatOptionSets(p.program->optionSets);
    };
    form->ShowEditor();
    ChooseColor(0x0000FF);
    form->displayTab->bgcolorPanel->clicked();
    form->cancelBtn->click();
    QVERIFY(!form->isVisible() && written() && Set(0).bgcolor == 0);
    form->ShowEditor();
    QCOMPARE(form->displayTab->bgcolorPanel->color(), Color{0});  // shown afresh
    QVERIFY(QFile::remove(file));
    form->close();
    QVERIFY(written());
    // A folder in the file's place: the failed write is reported.
    QVERIFY(QFile::remove(file) && QDir(p.DataDir()).mkdir("options.dat"));
    form->ShowEditor();
    form->OKBtn->click();
    QCOMPARE(asked, std::vector<std::string>{"Ombrel Error"});
  }

  void triggersAddStoreAndDelete() {
    form->ShowEditor();
    QStringList names{"hunger", "thirst"};
    form->askName = [&](const QString& caption, const QString& label) {
      if (caption != "Add Trigger" || label != "Name of new Trigger") return std::optional<QString>();
      return std::optional<QString>(names.takeFirst());
    };
    form->triggerTab->trigAddBtn->click();
    form->triggerTab->trigStringEdit->setText("You are hungry");
    form->triggerTab->trigSendCB->setChecked(true);
    form->triggerTab->trigSendMemo->setPlainText("eat bread\ndrink water");
    form->triggerTab->trigAddBtn->click();  // the edits of the trigger shown are kept
    TOptions& set = Set(0);
    QVERIFY((set.triggers[0] == TTrigger{"hunger", "You are hungry", true, false,
                                         {"eat bread", "drink water"}, ""}));
    QCOMPARE(form->triggerTab->trigEventCombo->currentText() + "|" + form->triggerTab->trigStringEdit->text(),
             QString("thirst|"));
    form->triggerTab->trigEventCombo->setCurrentIndex(0);
    QCOMPARE(form->triggerTab->trigStringEdit->text(), QString("You are hungry"));
    form->triggerTab->trigDeleteBtn->click();
    QVERIFY(set.triggers.size() == 1 && form->triggerTab->trigEventCombo->currentText() == "thirst");
  }

  // The pattern fields follow the Features tab's switch; a pattern PCRE2
  // refuses is said as typed and not stored; the rest is, the group's
  // switch included, and an untouched Apply changes nothing.
  void patternFieldsRefuseBadPatternsAndStoreTheRest() {
    TOptions& set = Set(0);
    set.triggers.push_back({"tell", "tells you", false, false, {}, ""});
    form->ShowEditor();
    TtriggerTab* tab = form->triggerTab;
    QVERIFY(tab->patternFields->isHidden());
    form->featuresTab->patternsCB->setChecked(true);
    QVERIFY(!tab->patternFields->isHidden());
    tab->patternFields->kindCombo->setCurrentIndex(static_cast<int>(TriggerKind::regex));
    tab->trigStringEdit->setText("^(\\w+ tells");
    QVERIFY2(tab->patternFields->patternErrorLabel->text().contains("(at character 12)"),
             qPrintable(tab->patternFields->patternErrorLabel->text()));
    form->applyBtn->click();
    QCOMPARE(asked, std::vector<std::string>{"Invalid Pattern"});
    QVERIFY(set.triggers[0].string == "tells you" && set.triggers[0].pattern.kind == TriggerKind::substring);

    tab->trigStringEdit->setText("^(\\w+) tells");
    QVERIFY(tab->patternFields->patternErrorLabel->text().isEmpty());
    tab->patternFields->gagCB->setChecked(true);
    tab->patternFields->groupEdit->setText("combat");
    tab->patternFields->groupOnCB->setChecked(false);
    form->applyBtn->click();
    QCOMPARE(set.triggers[0].string, std::string("^(\\w+) tells"));
    QVERIFY(set.triggers[0].pattern.kind == TriggerKind::regex && set.triggers[0].pattern.gag);
    QCOMPARE(set.triggers[0].pattern.group, std::string("combat"));
    QCOMPARE(set.patterns.groupsoff, Lines{"combat"});
    const TOptions before = set;
    form->applyBtn->click();
    QVERIFY(set == before);
  }

  void aliasesAndMacros() {
    form->ShowEditor();
    form->askName = [](const QString& caption, const QString&) {
      return caption == "Add Alias" ? std::optional<QString>("Look") : std::nullopt;
    };
    form->aliasTab->addaliasBtn->click();
    TOptions& set = Set(0);
    QCOMPARE(form->aliasTab->aliasCombo->itemText(0), QString("look"));
    form->aliasTab->aliasMemo->setPlainText("look %1");
    form->macroTab->macroMemo->setPlainText("kill orc\r\n");
    form->macroTab->macrokeyCombo->setCurrentIndex(3);  // leaving Ctrl+1 stores it
    QCOMPARE(set.macros[0].text, (Lines{"kill orc"}));
    form->macroTab->macroMemo->setPlainText("flee");
    form->applyBtn->click();  // by its shortcut a button takes no focus
    QCOMPARE(set.macros[3].text, (Lines{"flee"}));
    QVERIFY((set.aliases == std::vector<TAlias>{{"look", {"look %1"}}}));
    form->aliasTab->delaliasBtn->click();
    QVERIFY(set.aliases.empty() && form->aliasTab->aliasMemo->toPlainText().isEmpty());
  }

  // The game data fields follow their switch, and what was changed in them
  // reaches gamedata.dat when the editor closes.
  void gameDataFieldsFollowTheSwitchAndAreSaved() {
    form->ShowEditor();
    TfeaturesTab* tab = form->featuresTab;
    QVERIFY(!tab->gaugesEdit->isEnabled());
    tab->gmcpCB->setChecked(true);
    QVERIFY(tab->gaugesEdit->isEnabled());
    QCOMPARE(tab->gmcpModulesEdit->text(), QString("Char 1, Char.Vitals 1, Room 1, Comm.Channel 1"));
    tab->gaugesEdit->setPlainText("Health = Char.Vitals.hp/Char.Vitals.maxhp\nWill = Char.Vitals.wp/Char.Vitals.maxwp");
    form->OKBtn->click();
    QVERIFY(Set(0).features.gmcp);
    QFile file(p.DataDir() + "gamedata.dat");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("#optionset\tDefault\r\n#gauges\tHealth = Char.Vitals.hp/Char.Vitals.maxhp; "
                                        "Will = Char.Vitals.wp/Char.Vitals.maxwp\r\n"));
  }
};

QTEST_MAIN(OptionFormTest)
#include "option_form_test.moc"
