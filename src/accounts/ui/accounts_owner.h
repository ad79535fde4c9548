// What the account manager needs of the window that holds it: the terminal
// Connect acts on, the option sets an account may name, the folder of
// accounts.dat, the account chosen last (kept in config.cfg) and a place to
// say that a file failed.
#pragma once

#include <QString>

namespace ombrel {

class TOptionSetList;
class TtermForm;

class AccountsOwner {
 public:
  virtual ~AccountsOwner() = default;
  // None while no terminal is open: Connect then does nothing.
  virtual TtermForm* CurrentTerminal() const = 0;
  virtual TOptionSetList& OptionSets() = 0;
  // Ends with a separator.
  virtual const QString& DataDir() const = 0;
  // The row shown when the manager opens; -1 for none.
  virtual int LastAccount() const = 0;
  virtual void SetLastAccount(int row) = 0;
  virtual void ShowError(const QString& caption, const QString& text) = 0;
};

}  // namespace ombrel
