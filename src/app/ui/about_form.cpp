#include "app/ui/about_form.h"

#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace ombrel {

namespace {

// A label that opens its address when clicked; the outcome is not checked.
class LinkLabel : public QLabel {
 public:
  LinkLabel(const QString& text, QUrl url, std::function<void(const QUrl&)>* open, QWidget* parent)
      : QLabel(text, parent), url_(std::move(url)), open_(open) {
    setCursor(Qt::PointingHandCursor);
    setAlignment(Qt::AlignCenter);
  }

 protected:
  void mouseReleaseEvent(QMouseEvent*) override {
    if (*open_) (*open_)(url_);
  }

 private:
  QUrl url_;
  std::function<void(const QUrl&)>* open_;
};

}  // namespace

TaboutForm::TaboutForm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint) {
  setWindowTitle("About Ombrel");
  setModal(true);
  setFixedSize(394, 244);
  openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setGeometry(8, 8, 378, 190);
  auto* lines = new QVBoxLayout(panel);
  auto line = [&](const QString& text) {
    auto* l = new QLabel(text, panel);
    l->setAlignment(Qt::AlignCenter);
    lines->addWidget(l);
    return l;
  };
  QLabel* title = line("Ombrel 1.0");
  QFont big = title->font();
  big.setPointSize(big.pointSize() + 4);
  big.setBold(true);
  title->setFont(big);
  line("A telnet client for the worlds of text");
  line("Written by the Ombrel developers, 2026");
  line("Ombrel is free of charge.");
  line("Comments and ideas are welcome at");
  mailLabel = new LinkLabel(kMail, QUrl(QString("mailto:") + kMail), &openUrl, panel);
  lines->addWidget(mailLabel);
  line("Visit the web site at");
  webLabel = new LinkLabel(kWeb, QUrl(kWeb), &openUrl, panel);
  lines->addWidget(webLabel);
  auto* ok = new QPushButton("&OK", this);
  ok->setGeometry(157, 208, 80, 26);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace ombrel
