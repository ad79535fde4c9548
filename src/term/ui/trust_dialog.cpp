#include "term/ui/trust_dialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace ombrel {

namespace {

QString Text(const TrustQuestion& q) {
  const QString host = QString::fromStdString(q.host), fingerprint = QString::fromStdString(q.fingerprint);
  const QString reason = QString::fromStdString(q.reason);
  if (q.changed)
    return "WARNING: the certificate of " + host +
           " has CHANGED since you chose to trust it. Someone may be reading or changing what you "
           "send and receive.\n\nTrusted before (SHA-256):\n" +
           QString::fromStdString(q.remembered) + "\n\nShown now (SHA-256):\n" + fingerprint + "\n\n" + reason;
  return "The certificate of " + host + " could not be verified:\n" + reason + "\n\nSHA-256 fingerprint:\n" +
         fingerprint + "\n\nConnect anyway?";
}

}  // namespace

TrustAnswer AskTrust(const TrustQuestion& question) {
  QMessageBox box(question.changed ? QMessageBox::Warning : QMessageBox::Question,
                  question.changed ? "Certificate Changed" : "Untrusted Certificate", Text(question),
                  QMessageBox::NoButton, QApplication::activeWindow());
  QPushButton* once = box.addButton("Connect Once", QMessageBox::AcceptRole);
  QPushButton* always = box.addButton("Always Trust", QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(question.changed ? cancel : once);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == once) return TrustAnswer::ConnectOnce;
  if (box.clickedButton() == always) return TrustAnswer::AlwaysTrust;
  return TrustAnswer::Cancel;
}

}  // namespace ombrel
