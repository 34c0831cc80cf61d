#include "platform/qt/qt_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStringList>
#include <QTimer>

#include "platform/qt/qt_text.h"
#include "platform/qt/window_caption.h"

namespace qm {
namespace {

QMessageBox::Icon QtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

std::optional<std::string> RunFileDialog(const FileDialogRequest& r, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(nullptr, ToQString(r.title), ToQString(r.initialDir), QtFilter(r.filter));
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  // The system replaces an existing file without asking.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!r.defaultExt.empty()) dialog.setDefaultSuffix(ToQString(r.defaultExt));
  if (!r.initialName.empty()) dialog.selectFile(ToQString(r.initialName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return FromQString(dialog.selectedFiles().front());
}

}  // namespace

QString QtFilter(const std::string& filter) {
  const QStringList parts = ToQString(filter).split(u'|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    const qsizetype paren = description.lastIndexOf(u'(');
    if (paren > 0 && description.endsWith(u')')) description = description.left(paren).trimmed();
    QString patterns = parts[i + 1];
    patterns.replace(u';', u' ');
    out << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  return out.join(u";;");
}

MessageButton QtDialogs::ShowMessage(const MessageBoxRequest& r) {
  QMessageBox box(QtIcon(r.icon), ToQString(r.caption), ToQString(r.text));
  QMessageBox::StandardButtons buttons;
  if (r.buttons & kButtonOk) buttons |= QMessageBox::Ok;
  if (r.buttons & kButtonCancel) buttons |= QMessageBox::Cancel;
  if (r.buttons & kButtonYes) buttons |= QMessageBox::Yes;
  if (r.buttons & kButtonNo) buttons |= QMessageBox::No;
  box.setStandardButtons(buttons);
  // A short text makes a narrow box, whose title bar would cut its caption; the box lays itself
  // out around its grid, so a spacer across the grid holds it wide enough.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(CaptionWidth(box), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  if (r.caption.empty()) QTimer::singleShot(0, &box, [&box] { ClearWindowSystemCaption(box); });
  switch (box.exec()) {
    case QMessageBox::Ok: return kButtonOk;
    case QMessageBox::Yes: return kButtonYes;
    case QMessageBox::No: return kButtonNo;
    default: return kButtonCancel;
  }
}

std::optional<std::string> QtDialogs::OpenFile(const FileDialogRequest& request) {
  return RunFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtDialogs::SaveFile(const FileDialogRequest& request) {
  return RunFileDialog(request, QFileDialog::AcceptSave);
}

std::optional<std::string> QtDialogs::SelectFolder(const std::string& title,
                                                   const std::string& initialDir) {
  const QString dir =
      QFileDialog::getExistingDirectory(nullptr, ToQString(title), ToQString(initialDir));
  if (dir.isEmpty()) return std::nullopt;
  return FromQString(dir);
}

}  // namespace qm
