#include "options/ui/message_box.h"
#include "util/ui/byte_text.h"

#include <QMessageBox>

namespace ombrel {

bool ShowMessageBox(QWidget* parent, const Message& m) {
  QMessageBox::Icon icon = QMessageBox::Warning;
  if (m.icon == MsgIcon::Question) icon = QMessageBox::Question;
  if (m.icon == MsgIcon::Error) icon = QMessageBox::Critical;
  QMessageBox box(icon, FromBytes(m.caption), FromBytes(m.text),
                  m.yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
  return box.exec() != QMessageBox::No;
}

}  // namespace ombrel
