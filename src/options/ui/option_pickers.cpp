#include "options/ui/option_pickers.h"
#include "util/ui/dialog_owner.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "options/ui/add_option_set_form.h"
#include "options/ui/message_box.h"
#include "options/ui/option_widgets.h"
#include "util/ui/byte_text.h"
#include "term/ui/qt_paint.h"

namespace ombrel {

namespace {

QFont DialogQFont(const TFontDesc& f) {
  TOptions probe;
  probe.font = f;
  QFont font = TerminalFont(probe);
  font.setFixedPitch(false);
  return font;
}

// The font dialog: the platform's font picker with the text colour, since
// the set's font carries its colour.
std::optional<TFontDesc> PickFont(QWidget* parent, const TFontDesc& current) {
  QDialog dlg(parent);
  dlg.setWindowTitle("Font");
  auto* layout = new QVBoxLayout(&dlg);
  auto* picker = new QFontDialog(DialogQFont(current), &dlg);
  picker->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  picker->setWindowFlags(Qt::Widget);
  layout->addWidget(picker);
  auto* colorRow = new QHBoxLayout;
  colorRow->addWidget(new QLabel("Color", &dlg));
  auto* swatch = new ColorSwatch(&dlg, current.color);
  colorRow->addWidget(swatch);
  colorRow->addStretch();
  layout->addLayout(colorRow);
  QObject::connect(swatch, &ColorSwatch::clicked, &dlg, [&] {
    const QColor c = QColorDialog::getColor(ToQColor(swatch->color()), &dlg);
    if (c.isValid()) swatch->setColor(FromQColor(c));
  });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  if (dlg.exec() != QDialog::Accepted) return std::nullopt;
  const QFont f = picker->currentFont();
  TFontDesc out;
  // "fixedsys" stands for the platform's fixed font; a set keeps that name
  // while the user leaves the face alone.
  out.name = f.family() == DialogQFont(current).family() ? current.name : ToBytes(f.family());
  out.size = f.pointSize() > 0 ? f.pointSize() : current.size;
  out.style = (f.bold() ? fsBold : 0) | (f.italic() ? fsItalic : 0) |
              (f.underline() ? fsUnderline : 0) | (f.strikeOut() ? fsStrikeOut : 0);
  out.color = swatch->color();
  return out;
}

void PresetCustomColors() {
  // The standard colours, as the ANSI map shows them; slot 7 stays free.
  static const Color kPresets[15] = {0x000000, 0x7F0000, 0x007F00, 0x7F7F00, 0x00007F,
                                     0x7F007F, 0x007F7F, 0x7F7F7F, 0xFF0000, 0x00FF00,
                                     0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (int i = 0, slot = 0; i < 15; ++i, ++slot) {
    if (slot == 7) ++slot;
    // Stored blue-green-red: the value read as 0xBBGGRR.
    QColorDialog::setCustomColor(slot, ToQColor(kPresets[i]));
  }
}

}  // namespace

void BindPlatformDialogs(EditorDialogs& d, QWidget* parent, TaddOptionSetForm* addForm) {
  d.ask = [parent](const Message& m) { return ShowMessageBox(parent, m); };
  PresetCustomColors();
  d.chooseColor = [parent](Color initial) -> std::optional<Color> {
    const QColor c = QColorDialog::getColor(ToQColor(initial), parent);
    if (!c.isValid()) return std::nullopt;
    return FromQColor(c);
  };
  d.chooseFont = [parent](const TFontDesc& current) { return PickFont(parent, current); };
  d.chooseSoundFile = [parent](const QString& current) {
    return QFileDialog::getOpenFileName(parent, "Select Sound File", QFileInfo(current).absolutePath(),
                                        "Wave File (*.wav)");
  };
  d.askName = [parent](const QString& caption, const QString& label) -> std::optional<QString> {
    for (;;) {
      bool ok = false;
      const QString name =
          QInputDialog::getText(parent, caption, label, QLineEdit::Normal, {}, &ok).trimmed();
      if (!ok) return std::nullopt;
      if (!name.isEmpty()) return name;
    }
  };
  d.askNewSetName = [addForm, parent]() -> std::optional<std::string> {
    if (!addForm) return std::nullopt;
    OwnDialogBy(addForm, parent);
    if (addForm->exec() != QDialog::Accepted) return std::nullopt;
    return addForm->Name();
  };
}

}  // namespace ombrel
