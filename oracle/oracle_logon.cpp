#include "oracle/oracle_logon.h"

#include <stdexcept>

#include "oracle/e_oracle_error.h"
#include "oracle/logon_history.h"
#include "oracle/logon_history_store.h"
#include "oracle/logon_texts.h"
#include "oracle/oracle_client.h"
#include "oracle/oracle_logon_window.h"
#include "oracle/oracle_session.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/registry.h"

namespace qm {

namespace {

constexpr int kExpiredPassword = 28001;

LogonWindowFactory& Factory() {
  static LogonWindowFactory factory;
  return factory;
}

const char* ModeText(TConnectAsOption mode) {
  switch (mode) {
    case caSYSDBA:
      return "SYSDBA";
    case caSYSOPER:
      return "SYSOPER";
    default:
      return "";
  }
}

void FillFromSession(LogonWindow& window, const TOracleSession& session) {
  window.SetUsername(session.LogonUsername());
  window.SetPassword(session.LogonPassword());
  window.SetDatabase(session.LogonDatabase());
}

}  // namespace

TLogonTexts& LogonTexts() {
  static TLogonTexts texts;
  return texts;
}

LogonWindowFactory SetLogonWindowFactory(LogonWindowFactory factory) {
  std::swap(Factory(), factory);
  return factory;
}

std::unique_ptr<LogonWindow> CreateLogonWindow() {
  if (!Factory()) throw std::logic_error("No logon window factory is installed");
  return Factory()();
}

// ---- TOracleLogon -----------------------------------------------------------------------------

TOracleLogon::~TOracleLogon() {
  if (session_) session_->DetachObject(this);
}

void TOracleLogon::SetSession(TOracleSession* session) {
  if (session == session_) return;
  if (session_) session_->DetachObject(this);
  session_ = session;
  if (session_) session_->AttachObject(this);
}

bool TOracleLogon::Execute() {
  if (!session_) return false;
  const bool history = options_ & ldLogonHistory;
  THistoryItems& items = HistoryItems();
  if (history) {
    items.SetCapacity(historySize_);
    items.SetKeepPasswords(historyWithPassword_);
    if (!historyRegSection_.empty()) {
      items.Clear();
      LoadHistoryFromRegistry(AppRegistry(), historyRegSection_, historySize_, items);
    } else if (!historyIniFile_.empty()) {
      items.Clear();
      LoadHistoryFromIni(historyIniFile_, items);
    }
  }
  if (!caption_.empty()) LogonTexts().title = caption_;

  const bool result = LogonDialog(*session_, retries_, aliasDropDownCount_, options_);

  if (history) {
    std::mt19937 random = HistorySeedGenerator();
    if (!historyRegSection_.empty())
      SaveHistoryToRegistry(AppRegistry(), historyRegSection_, items, random);
    else if (!historyIniFile_.empty())
      SaveHistoryToIni(historyIniFile_, items, random);
  }
  return result;
}

void ConfigureMainLogon(TOracleLogon& logon, TOracleSession& session) {
  logon.SetSession(&session);
  logon.SetRetries(2);
  logon.SetOptions(ldAuto | ldDatabase | ldDatabaseList | ldLogonHistory | ldConnectAs);
  logon.SetAliasDropDownCount(8);
  logon.SetHistoryRegSection("Tarnwick");
  logon.SetHistorySize(6);
  logon.SetHistoryWithPassword(true);
}

// ---- The dialogs ------------------------------------------------------------------------------

bool LogonDialog(TOracleSession& session, std::uint16_t retries, int aliasDropDownCount,
                 TLogonOptions& options) {
  const TLogonTexts& texts = LogonTexts();
  std::unique_ptr<LogonWindow> window = CreateLogonWindow();
  window->SetButtonCaptions(texts.ok, texts.cancel);
  window->SetTitle(texts.title);
  window->SetLabels(texts.username, texts.password, texts.database, texts.connectAs);
  window->SetUsername(session.LogonUsername());
  window->SetPassword(session.LogonPassword());
  if (options & ldDatabaseList) window->UseAliasList(DatabaseAliases(), aliasDropDownCount);
  window->SetDatabase(session.LogonDatabase());
  window->SetConnectAs(session.ConnectAs());
  if (options & ldLogonHistory)
    window->ShowHistoryButton(HistoryItems().Count() > 0, texts.history);
  if (!(options & ldDatabase)) window->HideDatabaseRow();
  if (!(options & ldConnectAs) || !OCI8Ready() || session.Preferences().UseOCI7())
    window->HideConnectAsRow();

  bool result = false;
  int counter = 0;
  bool ok = false;
  do {
    ok = false;
    bool ctrlHeld = false;
    if ((options & ldAuto) && counter == 0) {
      options &= ~ldAuto;
      const std::string userId = ReadCommandLineValue("UserId");
      if (!userId.empty()) {
        window->SetUsername(userId);
        window->SetPassword("");
        window->SetDatabase("");
        ok = true;
      } else if (!session.LogonUsername().empty() && !session.LogonPassword().empty()) {
        ok = true;
      }
    }
    if (!ok) ok = window->ShowModal(ctrlHeld);
    ++counter;
    if (ok) {
      result = true;
      session.SetLogonUsername(window->Username());
      session.SetLogonPassword(window->Password());
      session.SetLogonDatabase(window->Database());
      session.SetConnectAs(caNormal);
      if (options & ldConnectAs) {
        const TConnectAsOption mode = window->ConnectAs();
        if (mode == caSYSDBA || mode == caSYSOPER) session.SetConnectAs(mode);
      }
      try {
        if (session.IsODBC() && (options & ldDatabaseList)) {
          session.LogOff();
          UnloadClient();
        }
        session.LogOn();
        if (!session.PasswordWarning().empty() &&
            ShowMessage(session.PasswordWarning() + "\r\n" + texts.changePasswordNow, "",
                        MessageIcon::Question, kButtonYes | kButtonNo) == kButtonYes)
          PasswordDialog(session, texts.passwordExpired);
        if ((options & ldLogonHistory) && !ctrlHeld)
          HistoryItems().AddHistoryEntry(session.LogonUsername(), session.LogonPassword(),
                                         session.LogonDatabase(), ModeText(session.ConnectAs()),
                                         true);
      } catch (const EOracleError& e) {
        if (e.ErrorCode() == kExpiredPassword && OCI8Ready())
          PasswordDialog(session, texts.passwordExpired);
        else
          ShowMessage(e.what(), "");
      }
      FillFromSession(*window, session);
    }
  } while (!session.Connected() && ok && counter <= retries);
  return result;
}

bool PasswordDialog(TOracleSession& session, const std::string& title) {
  const TLogonTexts& texts = LogonTexts();
  std::unique_ptr<LogonWindow> window = CreateLogonWindow();
  window->SetButtonCaptions(texts.ok, texts.cancel);
  window->SetTitle(title);
  window->SetLabels(texts.newPassword, texts.verification, texts.database, texts.connectAs);
  window->MaskUsername();
  window->SetUsername("");
  window->SetPassword("");
  window->HideDatabaseRow();
  window->HideConnectAsRow();
  for (;;) {
    bool ctrlHeld = false;
    if (!window->ShowModal(ctrlHeld)) return false;
    if (Cp1251Upper(window->Username()) != Cp1251Upper(window->Password())) {
      ShowMessage(texts.verificationFailed, "");
      continue;
    }
    try {
      session.ChangePassword(window->Password());
      if (!session.Connected()) session.LogOn();
      return true;
    } catch (const EOracleError& e) {
      ShowMessage(e.what(), "");
    }
  }
}

}  // namespace qm
