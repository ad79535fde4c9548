#include "options/ui/settings_tabs.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "options/ui/option_widgets.h"
#include "util/ui/byte_text.h"

namespace ombrel {

// ---- Telnet

TtelnetTab::TtelnetTab(QWidget* parent) : QWidget(parent) {
  setObjectName("telnetTab");
  auto* col = new QVBoxLayout(this);
  telnetactiveCB = Named(new QCheckBox("Enable Telnet", this), "telnetactiveCB");
  telnetinitnegCB = Named(new QCheckBox("Initiate Negotiations", this), "telnetinitnegCB");
  opNAWSCB = Named(new QCheckBox("Communicate Window Size", this), "opNAWSCB");
  opLinemodeCB = Named(new QCheckBox("Negotiate Linemode", this), "opLinemodeCB");
  for (QCheckBox* cb : {telnetactiveCB, telnetinitnegCB, opNAWSCB, opLinemodeCB}) col->addWidget(cb);
  col->addStretch();
}

void TtelnetTab::ShowFields(const SetFields& f) {
  telnetactiveCB->setChecked(f.telnet);
  telnetinitnegCB->setChecked(f.telnetinit);
  opNAWSCB->setChecked(f.telopnaws);
  opLinemodeCB->setChecked(f.teloplinemode);
}

void TtelnetTab::ReadFields(SetFields& f) const {
  f.telnet = telnetactiveCB->isChecked();
  f.telnetinit = telnetinitnegCB->isChecked();
  f.telopnaws = opNAWSCB->isChecked();
  f.teloplinemode = opLinemodeCB->isChecked();
}

// ---- Features

TfeaturesTab::TfeaturesTab(QWidget* parent) : QWidget(parent) {
  setObjectName("featuresTab");
  auto* col = new QVBoxLayout(this);
  extendedColoursCB = Named(new QCheckBox("256 Colours and True Colour", this), "extendedColoursCB");
  utf8CB = Named(new QCheckBox("UTF-8 Text", this), "utf8CB");
  mccpCB = Named(new QCheckBox("Accept Compression (MCCP)", this), "mccpCB");
  patternsCB = Named(new QCheckBox("Pattern Triggers", this), "patternsCB");
  serverEchoCB = Named(new QCheckBox("Hidden Passwords (Server Echo)", this), "serverEchoCB");
  autoReconnectCB = Named(new QCheckBox("Reconnect When the Connection Is Lost", this), "autoReconnectCB");
  htmlLogCB = Named(new QCheckBox("HTML Logs (*.html, *.htm)", this), "htmlLogCB");
  tabCompleteCB = Named(new QCheckBox("Tab Completion and Ctrl+R History Search", this), "tabCompleteCB");
  splitScrollCB = Named(new QCheckBox("Split-Screen Scrollback", this), "splitScrollCB");
  scriptsCB = Named(new QCheckBox("Scripts", this), "scriptsCB");
  scriptsCB->setToolTip("Runs data/scripts/<set>.lua in each terminal using this set");
  screenReaderCB = Named(new QCheckBox("Screen Reader", this), "screenReaderCB");
  speechCB = Named(new QCheckBox("Speak Incoming Text", this), "speechCB");
  gmcpCB = Named(new QCheckBox("GMCP and MSDP", this), "gmcpCB");
  // Two columns: the switches outgrew one.
  auto* switches = new QGridLayout;
  int at = 0;
  for (QCheckBox* cb : {extendedColoursCB, utf8CB, mccpCB, patternsCB, serverEchoCB, autoReconnectCB, htmlLogCB,
                        tabCompleteCB, splitScrollCB, scriptsCB, screenReaderCB, speechCB, gmcpCB}) {
    switches->addWidget(cb, at % 7, at / 7);
    ++at;
  }
  col->addLayout(switches);
  gameDataBox_ = new QWidget(this);
  auto* form = new QFormLayout(gameDataBox_);
  form->setContentsMargins(20, 0, 0, 0);
  gmcpModulesEdit = Named(new QLineEdit(gameDataBox_), "gmcpModulesEdit");
  gaugesEdit = Named(new QPlainTextEdit(gameDataBox_), "gaugesEdit");
  gaugesEdit->setToolTip("One gauge a line: Label = current/max current/max ...; the first pair that reads wins");
  gaugesEdit->setTabChangesFocus(true);
  gaugesEdit->setMaximumHeight(gaugesEdit->fontMetrics().lineSpacing() * 5);
  msdpVariablesEdit = Named(new QLineEdit(gameDataBox_), "msdpVariablesEdit");
  form->addRow("GMCP Modules", gmcpModulesEdit);
  form->addRow("Gauges", gaugesEdit);
  form->addRow("MSDP Variables", msdpVariablesEdit);
  col->addWidget(gameDataBox_);
  gameDataBox_->setEnabled(false);
  connect(gmcpCB, &QCheckBox::toggled, gameDataBox_, &QWidget::setEnabled);
  auto* speech = new QGridLayout;
  speechRateSpin = Named(new QSpinBox(this), "speechRateSpin");
  speechRateSpin->setRange(-10, 10);
  speechVoiceEdit = Named(new QLineEdit(this), "speechVoiceEdit");
  neverSpokenEdit = Named(new QPlainTextEdit(this), "neverSpokenEdit");
  neverSpokenEdit->setTabChangesFocus(true);
  const std::pair<const char*, QWidget*> rows[] = {{"Speech &rate (-10 to 10):", speechRateSpin},
                                                   {"&Voice (empty: the system's):", speechVoiceEdit},
                                                   {"&Never spoken (a pattern a line):", neverSpokenEdit}};
  int row = 0;
  for (const auto& [text, field] : rows) {
    auto* label = new QLabel(text, this);
    label->setBuddy(field);
    field->setAccessibleName(QString(text).remove('&').section(" (", 0, 0));
    speech->addWidget(label, row, 0, Qt::AlignTop);
    speech->addWidget(field, row++, 1);
  }
  col->addLayout(speech);
  col->addStretch();
}

void TfeaturesTab::ShowFields(const SetFields& f) {
  extendedColoursCB->setChecked(f.extendedcolours);
  utf8CB->setChecked(f.utf8);
  mccpCB->setChecked(f.mccp);
  patternsCB->setChecked(f.patterns);
  serverEchoCB->setChecked(f.serverecho);
  autoReconnectCB->setChecked(f.autoreconnect);
  htmlLogCB->setChecked(f.htmllog);
  tabCompleteCB->setChecked(f.tabcomplete);
  splitScrollCB->setChecked(f.splitscroll);
  scriptsCB->setChecked(f.scripts);
  gmcpCB->setChecked(f.gmcp);
  // The names are ASCII in every game we know; the labels are the player's.
  gmcpModulesEdit->setText(FromBytes(f.gmcpModules, true));
  gaugesEdit->setPlainText(FromBytes(f.gauges, true));
  msdpVariablesEdit->setText(FromBytes(f.msdpVariables, true));
  screenReaderCB->setChecked(f.screenreader);
  speechCB->setChecked(f.speech);
}

void TfeaturesTab::ShowSpeech(const SpeechSettings& s) {
  speechRateSpin->setValue(s.rate);
  speechVoiceEdit->setText(QString::fromStdString(s.voice));
  QStringList patterns;
  for (const std::string& p : s.never) patterns << QString::fromStdString(p);
  neverSpokenEdit->setPlainText(patterns.join('\n'));
}

void TfeaturesTab::ReadSpeech(SpeechSettings& s) const {
  s.rate = speechRateSpin->value();
  s.voice = speechVoiceEdit->text().trimmed().toStdString();
  s.never.clear();
  for (const QString& line : neverSpokenEdit->toPlainText().split('\n'))
    if (!line.isEmpty()) s.never.push_back(line.toStdString());
}

void TfeaturesTab::ReadFields(SetFields& f) const {
  f.extendedcolours = extendedColoursCB->isChecked();
  f.utf8 = utf8CB->isChecked();
  f.mccp = mccpCB->isChecked();
  f.patterns = patternsCB->isChecked();
  f.serverecho = serverEchoCB->isChecked();
  f.autoreconnect = autoReconnectCB->isChecked();
  f.htmllog = htmlLogCB->isChecked();
  f.tabcomplete = tabCompleteCB->isChecked();
  f.splitscroll = splitScrollCB->isChecked();
  f.scripts = scriptsCB->isChecked();
  f.gmcp = gmcpCB->isChecked();
  f.gmcpModules = ToBytes(gmcpModulesEdit->text(), true);
  f.gauges = ToBytes(gaugesEdit->toPlainText(), true);
  f.msdpVariables = ToBytes(msdpVariablesEdit->text(), true);
  f.screenreader = screenReaderCB->isChecked();
  f.speech = speechCB->isChecked();
}

// ---- General

TgeneralTab::TgeneralTab(QWidget* parent) : QWidget(parent) {
  setObjectName("generalTab");
  auto* grid = new QGridLayout(this);
  historyEdit = Named(new QLineEdit("0", this), "historyEdit");
  pipeCharEdit = Named(new QLineEdit(this), "pipeCharEdit");
  pathCharEdit = Named(new QLineEdit(this), "pathCharEdit");
  pipeCharEdit->setMaxLength(1);
  pathCharEdit->setMaxLength(1);
  stdPastePrefixEdit = Named(new QLineEdit(this), "stdPastePrefixEdit");
  stdPasteSuffixEdit = Named(new QLineEdit(this), "stdPasteSuffixEdit");
  altPastePrefixEdit = Named(new QLineEdit(this), "altPastePrefixEdit");
  altPasteSuffixEdit = Named(new QLineEdit(this), "altPasteSuffixEdit");
  paramStartEdit = Named(new QLineEdit(this), "paramStartEdit");
  paramEndEdit = Named(new QLineEdit(this), "paramEndEdit");
  int r = 0;
  // A row of two fields names each by its half of the label ("Prefix/Suffix").
  auto addRow = [&](const char* label, QLineEdit* a, QLineEdit* b) {
    auto* title = new QLabel(label, this);
    grid->addWidget(title, r, 0);
    grid->addWidget(a, r, 1);
    title->setBuddy(a);
    if (b) {
      grid->addWidget(b, r, 2);
      const QString text(label);
      const qsizetype slash = text.lastIndexOf('/'), space = text.lastIndexOf(' ', slash);
      a->setAccessibleName(text.left(slash));
      b->setAccessibleName(text.left(space + 1) + text.mid(slash + 1));
    }
    ++r;
  };
  addRow("Command History Size", historyEdit, nullptr);
  addRow("Command Separator", pipeCharEdit, nullptr);
  addRow("Path Character", pathCharEdit, nullptr);
  addRow("Standard Paste Prefix/Suffix", stdPastePrefixEdit, stdPasteSuffixEdit);
  addRow("Alternative (Line) Paste Prefix/Suffix", altPastePrefixEdit, altPasteSuffixEdit);
  addRow("Macro Parameter Delimiters Start/End", paramStartEdit, paramEndEdit);
  grid->setRowStretch(r, 1);
  historyEdit->installEventFilter(this);
}

void TgeneralTab::ShowFields(const SetFields& f) {
  historyEdit->setText(FromBytes(f.historySize));
  pipeCharEdit->setText(FromBytes(f.pipechar));
  pathCharEdit->setText(FromBytes(f.pathchar));
  // The affixes go out around pasted text, which a UTF-8 set sends as UTF-8.
  shown_ = f;
  stdPastePrefixEdit->setText(FromBytes(f.stdpasteprefix, f.utf8));
  stdPasteSuffixEdit->setText(FromBytes(f.stdpastesuffix, f.utf8));
  altPastePrefixEdit->setText(FromBytes(f.altpasteprefix, f.utf8));
  altPasteSuffixEdit->setText(FromBytes(f.altpastesuffix, f.utf8));
  paramStartEdit->setText(FromBytes(f.paramstart));
  paramEndEdit->setText(FromBytes(f.paramend));
}

void TgeneralTab::ReadFields(SetFields& f) const {
  f.historySize = ToBytes(historyEdit->text());
  f.pipechar = ToBytes(pipeCharEdit->text());
  f.pathchar = ToBytes(pathCharEdit->text());
  f.stdpasteprefix = ToBytes(stdPastePrefixEdit->text(), shown_.stdpasteprefix, shown_.utf8);
  f.stdpastesuffix = ToBytes(stdPasteSuffixEdit->text(), shown_.stdpastesuffix, shown_.utf8);
  f.altpasteprefix = ToBytes(altPastePrefixEdit->text(), shown_.altpasteprefix, shown_.utf8);
  f.altpastesuffix = ToBytes(altPasteSuffixEdit->text(), shown_.altpastesuffix, shown_.utf8);
  f.paramstart = ToBytes(paramStartEdit->text());
  f.paramend = ToBytes(paramEndEdit->text());
}

bool TgeneralTab::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && watched == historyEdit) historyEditExit();
  return QWidget::eventFilter(watched, event);
}

void TgeneralTab::historyEditExit() {
  historyEdit->setText(FromBytes(SizeFieldExit(ToBytes(historyEdit->text()))));
}

}  // namespace ombrel
