// The tabs of the option set editor that are plain fields: Telnet, the
// protocol switches, Features, what the set adds beyond the classic client,
// and General, the command line's sizes and characters.
#pragma once

#include <QWidget>

#include "options/option_edit.h"
#include "speech/speech_settings.h"

class QCheckBox;
class QPlainTextEdit;
class QSpinBox;
class QLineEdit;
class QPlainTextEdit;

namespace ombrel {

class TtelnetTab : public QWidget {
  Q_OBJECT
 public:
  explicit TtelnetTab(QWidget* parent = nullptr);
  void ShowFields(const SetFields& fields);
  void ReadFields(SetFields& fields) const;

  QCheckBox* telnetactiveCB;
  QCheckBox* telnetinitnegCB;
  QCheckBox* opNAWSCB;
  QCheckBox* opLinemodeCB;
};

// What a set adds beyond the classic client; each switch is off until
// the player turns it on.
class TfeaturesTab : public QWidget {
  Q_OBJECT
 public:
  explicit TfeaturesTab(QWidget* parent = nullptr);
  void ShowFields(const SetFields& fields);
  void ReadFields(SetFields& fields) const;

  QCheckBox* extendedColoursCB;
  QCheckBox* utf8CB;
  QCheckBox* mccpCB;
  QCheckBox* screenReaderCB;
  QCheckBox* speechCB;
  // How text is spoken: the same for every set.
  void ShowSpeech(const SpeechSettings& speech);
  void ReadSpeech(SpeechSettings& speech) const;
  QSpinBox* speechRateSpin;
  QLineEdit* speechVoiceEdit;
  QPlainTextEdit* neverSpokenEdit;
  QCheckBox* patternsCB;
  QCheckBox* serverEchoCB;
  QCheckBox* autoReconnectCB;
  QCheckBox* htmlLogCB;
  QCheckBox* tabCompleteCB;
  QCheckBox* splitScrollCB;
  QCheckBox* scriptsCB;
  QCheckBox* gmcpCB;
  // What the game's data switch asks for and shows; editable while it is on.
  QLineEdit* gmcpModulesEdit;
  QPlainTextEdit* gaugesEdit;
  QLineEdit* msdpVariablesEdit;

 private:
  QWidget* gameDataBox_;
};

class TgeneralTab : public QWidget {
  Q_OBJECT
 public:
  explicit TgeneralTab(QWidget* parent = nullptr);
  void ShowFields(const SetFields& fields);
  void ReadFields(SetFields& fields) const;

  QLineEdit* historyEdit;
  QLineEdit* pipeCharEdit;
  QLineEdit* pathCharEdit;
  QLineEdit* stdPastePrefixEdit;
  QLineEdit* stdPasteSuffixEdit;
  QLineEdit* altPastePrefixEdit;
  QLineEdit* altPasteSuffixEdit;
  QLineEdit* paramStartEdit;
  QLineEdit* paramEndEdit;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void historyEditExit();
  SetFields shown_;  // as the fields were shown: an unedited one keeps its bytes
};

}  // namespace ombrel
