#include "telnet/ui/telnet_form.h"
#include "util/ui/byte_text.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>

#include "telnet/state_name.h"
#include "term/ui/open_terminals.h"
#include "term/ui/term_form.h"

namespace ombrel {

namespace {

QPushButton* ActionButton(QWidget* parent, QAction* action, const QString& caption,
                          const QString& hint, QRect where) {
  auto* b = new QPushButton(caption, parent);
  b->setGeometry(where);
  b->setToolTip(hint);
  QObject::connect(b, &QPushButton::clicked, action, &QAction::trigger);
  return b;
}

}  // namespace

TtelnetForm::TtelnetForm(OpenTerminals& terminals, const ConsoleActions& actions, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                        Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      terminals_(terminals),
      consoleAction_(actions.console) {
  setWindowTitle("Telnet Console");
  setFixedWidth(200);
  resize(200, 300);

  controlpanel = new QWidget(this);
  controlpanel->setGeometry(0, 0, 200, kPanelHeight);
  aytBtn = ActionButton(controlpanel, actions.ayt, "AYT", "Are You There?", {0, 0, 64, 20});
  ipBtn = ActionButton(controlpanel, actions.ip, "IP", "Interrupt Process", {64, 0, 64, 20});
  Button1 = ActionButton(controlpanel, actions.ao, "AO", "Abort Output", {136, 0, 64, 20});
  negBtn = ActionButton(controlpanel, actions.negotiate, "&Negotiate", "", {0, 20, 128, 20});
  CheckBox1 = new QCheckBox("&Log", controlpanel);
  CheckBox1->setGeometry(136, 20, 64, 20);
  QAction* log = actions.log;
  CheckBox1->setChecked(log->isChecked());
  // The box shows the action's mark; a click runs the action, which flips it.
  connect(CheckBox1, &QCheckBox::clicked, this, [this, log](bool) {
    CheckBox1->setChecked(!CheckBox1->isChecked());
    log->trigger();
  });
  connect(log, &QAction::toggled, CheckBox1, &QCheckBox::setChecked);

  statusLV = new QTreeWidget(this);
  statusLV->setAccessibleName("Telnet options");
  statusLV->setColumnCount(3);
  statusLV->setHeaderLabels({"Option", "Local", "Remote"});
  statusLV->setRootIsDecorated(false);
  statusLV->setSelectionBehavior(QAbstractItemView::SelectRows);
  statusLV->setEditTriggers(QAbstractItemView::NoEditTriggers);
  statusLV->header()->setSectionResizeMode(QHeaderView::Fixed);
  statusLV->header()->setStretchLastSection(false);
  statusLV->setColumnWidth(0, 88);
  statusLV->setColumnWidth(1, 50);
  statusLV->setColumnWidth(2, 50);
  for (const char* name : {"NAWS", "Linemode"})
    statusLV->addTopLevelItem(new QTreeWidgetItem(QStringList{name, "inactive", "inactive"}));

  logMemo = new QPlainTextEdit(this);
  logMemo->setAccessibleName("Negotiation log");
  logMemo->setReadOnly(true);
  logMemo->setMaximumBlockCount(kLogLines);
  logMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  logMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  logMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  Collapse();
  if (QScreen* s = parent ? parent->screen() : nullptr) move(s->geometry().center() - rect().center());
}

void TtelnetForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  statusLV->setGeometry(0, kPanelHeight, width(), kListHeight);
  logHeight_ = std::max(0, height() - kPanelHeight - kListHeight);
  logMemo->setGeometry(0, kPanelHeight + kListHeight, width(), logHeight_);
}

void TtelnetForm::Collapse() {
  const int h = kPanelHeight + kListHeight;
  setMinimumHeight(h);
  setMaximumHeight(h);
  resize(width(), h);
  logHeight_ = 0;
}

void TtelnetForm::Expand() {
  setMaximumHeight(QWIDGETSIZE_MAX);
  resize(width(), kPanelHeight + kListHeight + logHeight_ + 100);
  logMemo->setVisible(true);
}

void TtelnetForm::ShowOptionStates(TtermForm* terminal) {
  if (!isVisible()) return;
  TtermForm* t = terminal ? terminal : terminals_.CurrentTerminal();
  if (!t) return;
  const bool connected = t->Connected();
  TTelnetParser& parser = t->core().Parser();
  const TOptionState states[] = {parser.GetNAWSState(), parser.GetLinemodeState()};
  for (int row = 0; row < 2; ++row) {
    QTreeWidgetItem* item = statusLV->topLevelItem(row);
    item->setText(1, connected ? QString::fromStdString(StateName(states[row].us)) : QString());
    item->setText(2, connected ? QString::fromStdString(StateName(states[row].him)) : QString());
  }
}

void TtelnetForm::TelnetLog(TtermForm* terminal, const std::string& text) {
  logMemo->appendPlainText(FromBytes(text));
  if (terminals_.CurrentTerminal() == terminal) ShowOptionStates(terminal);
}

void TtelnetForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ShowOptionStates();
}

void TtelnetForm::closeEvent(QCloseEvent* event) {
  consoleAction_->setChecked(false);
  QWidget::closeEvent(event);
}

}  // namespace ombrel
