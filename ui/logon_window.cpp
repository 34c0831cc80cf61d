#include "ui/logon_window.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include "oracle/logon_history.h"
#include "platform/codepage.h"
#include "platform/qt/qt_text.h"
#include "ui/widget_placement.h"

namespace qm {

namespace {

// The design, in pixels at 120 pixels per inch.
constexpr int kDesignDpi = 120;
constexpr int kClientWidth = 358;
constexpr int kClientHeight = 215;
constexpr int kButtonPanelHeight = 47;
constexpr int kGroupLeft = 8, kGroupTop = 8, kGroupWidth = 343, kGroupHeight = 153;
constexpr int kBevel = 2;  // raised inner and lowered outer bevel, one pixel each
constexpr int kDBPanelHeight = 32;
constexpr int kCAPanelHeight = 35;

QLabel* RightAligned(QLabel* label) {
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return label;
}

}  // namespace

TLogOnForm::TLogOnForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint),
      buttonPanel_(Named(new QFrame(this), "ButtonPanel")),
      okBtn_(Named(new QPushButton(buttonPanel_), "OKBtn")),
      cancelBtn_(Named(new QPushButton(buttonPanel_), "CancelBtn")),
      groupBox_(Named(new QFrame(this), "GroupBox")),
      label1_(Named(RightAligned(new QLabel(groupBox_)), "Label1")),
      usernameEdit_(Named(new QLineEdit(groupBox_), "UsernameEdit")),
      historyBtn_(Named(new QToolButton(groupBox_), "HistoryBtn")),
      label2_(Named(RightAligned(new QLabel(groupBox_)), "Label2")),
      passwordEdit_(Named(new QLineEdit(groupBox_), "PasswordEdit")),
      dbPanel_(Named(new QFrame(groupBox_), "DBPanel")),
      label3_(Named(RightAligned(new QLabel(dbPanel_)), "Label3")),
      databaseEdit_(Named(new QLineEdit(dbPanel_), "DatabaseEdit")),
      aliasList_(Named(new QComboBox(dbPanel_), "AliasList")),
      caPanel_(Named(new QFrame(groupBox_), "CAPanel")),
      label4_(Named(RightAligned(new QLabel(caPanel_)), "Label4")),
      connectAsList_(Named(new QComboBox(caPanel_), "ConnectAsList")),
      historyPopup_(Named(new QMenu(this), "HistoryPopup")) {
  setObjectName(QStringLiteral("LogOnForm"));
  groupBox_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  groupBox_->setLineWidth(kBevel);

  okBtn_->setDefault(true);
  connect(okBtn_, &QPushButton::clicked, this, &TLogOnForm::accept);
  connect(cancelBtn_, &QPushButton::clicked, this, &TLogOnForm::reject);

  historyBtn_->setText(QStringLiteral("..."));
  historyBtn_->setAutoRaise(true);
  historyBtn_->hide();
  connect(historyBtn_, &QToolButton::clicked, this, &TLogOnForm::HistoryBtnClick);

  passwordEdit_->setEchoMode(QLineEdit::Password);
  aliasList_->setEditable(true);
  aliasList_->hide();
  connectAsList_->addItems(
      {QStringLiteral("Normal"), QStringLiteral("SYSDBA"), QStringLiteral("SYSOPER")});

  // The window sees keys before its controls, so Ctrl+Enter is OK wherever the focus is.
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);

  Place(okBtn_, 12, 6, 97, 33);
  Place(cancelBtn_, 120, 6, 97, 33);
  Place(label1_, 8, 24, 115, 16);
  Place(usernameEdit_, 128, 20, 185, 24);
  Place(historyBtn_, 316, 20, 20, 25);
  Place(label2_, 8, 56, 115, 16);
  Place(passwordEdit_, 128, 52, 185, 24);
  Place(label3_, 8, 4, 113, 16);
  Place(databaseEdit_, 126, 0, 185, 24);
  Place(aliasList_, 126, 0, 185, 24);
  Place(label4_, 8, 4, 113, 16);
  Place(connectAsList_, 126, 0, 95, 24);
  Relayout();
}

int TLogOnForm::Scaled(int pixels) const {
  return pixels * logicalDpiX() / kDesignDpi;
}

void TLogOnForm::Place(QWidget* widget, int left, int top, int width, int height) const {
  widget->setGeometry(Scaled(left), Scaled(top), Scaled(width), Scaled(height));
}

// The group box holds the rows shown, the Database row above the Connect as row at its bottom;
// a hidden row takes its height off the group box and the window.
void TLogOnForm::Relayout() {
  const int hidden = (dbPanelShown_ ? 0 : kDBPanelHeight) + (caPanelShown_ ? 0 : kCAPanelHeight);
  const int groupHeight = kGroupHeight - hidden;
  const int clientHeight = kClientHeight - hidden;
  Place(groupBox_, kGroupLeft, kGroupTop, kGroupWidth, groupHeight);
  const int innerWidth = kGroupWidth - 2 * kBevel;
  int bottom = groupHeight - kBevel;
  if (caPanelShown_) {
    bottom -= kCAPanelHeight;
    Place(caPanel_, kBevel, bottom, innerWidth, kCAPanelHeight);
  }
  if (dbPanelShown_) {
    bottom -= kDBPanelHeight;
    Place(dbPanel_, kBevel, bottom, innerWidth, kDBPanelHeight);
  }
  dbPanel_->setVisible(dbPanelShown_);
  caPanel_->setVisible(caPanelShown_);
  Place(buttonPanel_, 0, clientHeight - kButtonPanelHeight, kClientWidth, kButtonPanelHeight);
  setFixedSize(Scaled(kClientWidth), Scaled(clientHeight));
}

void TLogOnForm::SetTitle(const std::string& title) {
  setWindowTitle(ToQString(title));
}

void TLogOnForm::SetButtonCaptions(const std::string& ok, const std::string& cancel) {
  okBtn_->setText(ToQString(ok));
  cancelBtn_->setText(ToQString(cancel));
}

void TLogOnForm::SetLabels(const std::string& username, const std::string& password,
                           const std::string& database, const std::string& connectAs) {
  label1_->setText(ToQString(username));
  label2_->setText(ToQString(password));
  label3_->setText(ToQString(database));
  label4_->setText(ToQString(connectAs));
}

void TLogOnForm::UseAliasList(const std::vector<std::string>& aliases, int dropDownCount) {
  aliasList_->setMaxVisibleItems(dropDownCount);
  aliasList_->setGeometry(databaseEdit_->x(), aliasList_->y(), databaseEdit_->width(),
                          aliasList_->height());
  aliasList_->clear();
  for (const std::string& alias : aliases) aliasList_->addItem(ToQString(alias));
  aliasList_->show();
  databaseEdit_->hide();
  aliasListUsed_ = true;
}

void TLogOnForm::ShowHistoryButton(bool enabled, const std::string& hint) {
  historyBtn_->show();
  historyBtn_->setEnabled(enabled);
  historyBtn_->setToolTip(ToQString(hint));
}

void TLogOnForm::HideDatabaseRow() {
  dbPanelShown_ = false;
  Relayout();
}

void TLogOnForm::HideConnectAsRow() {
  caPanelShown_ = false;
  Relayout();
}

void TLogOnForm::MaskUsername() {
  usernameEdit_->setEchoMode(QLineEdit::Password);
}

std::string TLogOnForm::Username() const {
  return FromQString(usernameEdit_->text());
}
void TLogOnForm::SetUsername(const std::string& text) {
  usernameEdit_->setText(ToQString(text));
}
std::string TLogOnForm::Password() const {
  return FromQString(passwordEdit_->text());
}
void TLogOnForm::SetPassword(const std::string& text) {
  passwordEdit_->setText(ToQString(text));
}

std::string TLogOnForm::Database() const {
  return FromQString(aliasListUsed_ ? aliasList_->currentText() : databaseEdit_->text());
}

void TLogOnForm::SetDatabase(const std::string& text) {
  if (aliasListUsed_)
    aliasList_->setEditText(ToQString(text));
  else
    databaseEdit_->setText(ToQString(text));
}

TConnectAsOption TLogOnForm::ConnectAs() const {
  switch (connectAsList_->currentIndex()) {
    case 1:
      return caSYSDBA;
    case 2:
      return caSYSOPER;
    default:
      return caNormal;
  }
}

void TLogOnForm::SetConnectAs(TConnectAsOption mode) {
  connectAsList_->setCurrentIndex(mode == caSYSDBA ? 1 : mode == caSYSOPER ? 2 : 0);
}

bool TLogOnForm::ShowModal(bool& ctrlHeld) {
  ctrlHeld_ = false;
  const bool ok = exec() == QDialog::Accepted;
  ctrlHeld = ok && ctrlHeld_;
  return ok;
}

void TLogOnForm::accept() {
  ctrlHeld_ = ctrlHeld_ || (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier);
  QDialog::accept();
}

void TLogOnForm::HistoryBtnClick() {
  historyPopup_->clear();
  const THistoryItems& items = HistoryItems();
  for (int i = 0; i < items.Count(); ++i) {
    QAction* action = historyPopup_->addAction(ToQString(items[i].Caption()));
    action->setData(i);
    connect(action, &QAction::triggered, this, [this, i] { HistoryClick(i); });
  }
  historyPopup_->popup(historyBtn_->mapToGlobal(QPoint(0, historyBtn_->height())));
}

void TLogOnForm::HistoryClick(int index) {
  const THistoryItems& items = HistoryItems();
  if (index < 0 || index >= items.Count()) return;
  const THistoryItem& item = items[index];
  SetUsername(item.username);
  SetPassword(items.KeepPasswords() ? item.password : std::string());
  databaseEdit_->setText(ToQString(item.database));
  aliasList_->setEditText(ToQString(item.database));
  SetConnectAs(Cp1251EqualNoCase(item.mode, "SYSDBA")    ? caSYSDBA
               : Cp1251EqualNoCase(item.mode, "SYSOPER") ? caSYSOPER
                                                         : caNormal);
}

void TLogOnForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (const QScreen* screen = this->screen())
    move(screen->availableGeometry().center() - rect().center());
  (usernameEdit_->text().isEmpty() ? usernameEdit_ : passwordEdit_)->setFocus();
}

bool TLogOnForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        (key->modifiers() & Qt::ControlModifier)) {
      ctrlHeld_ = true;
      accept();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void InstallLogonWindow() {
  SetLogonWindowFactory([] { return std::make_unique<TLogOnForm>(); });
}

}  // namespace qm
