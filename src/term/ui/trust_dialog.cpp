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
  QString text = "The certificate of " + host + " could not be verified:\n" + reason + "\n\nSHA-256 fingerprint:\n" +
                 fingerprint + "\n\n";
  if (!q.unreadable.empty())
    text += "The trusted certificates could not be read (" + QString::fromStdString(q.unreadable) +
            "): whether you trusted this one before is not known, and your answer cannot be remembered.\n\n";
  return text + "Connect anyway?";
}

}  // namespace

TrustAnswer AskTrust(const TrustQuestion& question) {
  QMessageBox box(question.changed ? QMessageBox::Warning : QMessageBox::Question,
                  question.changed ? "Certificate Changed" : "Untrusted Certificate", Text(question),
                  QMessageBox::NoButton, QApplication::activeWindow());
  QPushButton* once = box.addButton("Connect Once", QMessageBox::AcceptRole);
  // Not offered when it could not be kept.
  QPushButton* always = question.unreadable.empty() ? box.addButton("Always Trust", QMessageBox::AcceptRole) : nullptr;
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(question.changed || !question.unreadable.empty() ? cancel : once);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == once) return TrustAnswer::ConnectOnce;
  if (always && box.clickedButton() == always) return TrustAnswer::AlwaysTrust;
  return TrustAnswer::Cancel;
}

}  // namespace ombrel
