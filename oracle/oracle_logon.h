#pragma once
// TOracleLogon: the logon dialog of one session. Execute shows the logon window, copies what was
// typed into the session's logon properties and logs on, lets the user try again up to Retries
// more times, offers a password change when the server reports an expired (ORA-28001) or
// soon-expiring (ORA-28002) password, and keeps the history of recent logons in the registry or
// an INI file (logon_history.h, logon_history_store.h).
//
// Execute returns true once OK was chosen (or the automatic logon ran), whether or not the session
// ended up connected: callers that need a connection test the session's Connected(). Logon
// failures are shown in a message box (platform/dialogs.h); an initialization error of the client
// library is no EOracleError and passes out of Execute.

#include <cstdint>
#include <string>

#include "oracle/session_attachment.h"

namespace qm {

class TOracleSession;

enum TLogonOption : unsigned {
  ldAuto = 1,
  ldDatabase = 2,
  ldDatabaseList = 4,
  ldLogonHistory = 8,
  ldConnectAs = 16,
};
using TLogonOptions = unsigned;

class TOracleLogon : private TSessionAttachment {
 public:
  TOracleLogon() = default;
  ~TOracleLogon() override;
  TOracleLogon(const TOracleLogon&) = delete;
  TOracleLogon& operator=(const TOracleLogon&) = delete;

  // The session to log on (not owned); forgotten when that session is destroyed.
  TOracleSession* Session() const { return session_; }
  void SetSession(TOracleSession* session);
  // Further attempts after a failed one.
  std::uint16_t Retries() const { return retries_; }
  void SetRetries(std::uint16_t value) { retries_ = value; }
  TLogonOptions Options() const { return options_; }
  void SetOptions(TLogonOptions value) { options_ = value; }
  int AliasDropDownCount() const { return aliasDropDownCount_; }
  void SetAliasDropDownCount(int value) { aliasDropDownCount_ = value; }
  // Key below HKEY_CURRENT_USER holding the history; wins over HistoryIniFile.
  const std::string& HistoryRegSection() const { return historyRegSection_; }
  void SetHistoryRegSection(const std::string& value) { historyRegSection_ = value; }
  const std::string& HistoryIniFile() const { return historyIniFile_; }
  void SetHistoryIniFile(const std::string& value) { historyIniFile_ = value; }
  // Most entries kept; 0 means no limit.
  int HistorySize() const { return historySize_; }
  void SetHistorySize(int value) { historySize_ = value; }
  bool HistoryWithPassword() const { return historyWithPassword_; }
  void SetHistoryWithPassword(bool value) { historyWithPassword_ = value; }
  // When not empty, replaces the window title, for this and every later dialog of the process.
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value) { caption_ = value; }

  // False when there is no session or the first window was cancelled; true otherwise. With
  // ldLogonHistory the history is loaded before and saved after the dialog.
  bool Execute();

 private:
  void SessionLoggingOff() override {}
  void SessionDestroyed() override { session_ = nullptr; }

  TOracleSession* session_ = nullptr;
  std::uint16_t retries_ = 2;
  TLogonOptions options_ = ldAuto | ldDatabase;
  int aliasDropDownCount_ = 8;
  std::string historyRegSection_;
  std::string historyIniFile_;
  int historySize_ = 6;
  bool historyWithPassword_ = false;
  std::string caption_;
};

// The logon dialog itself: up to retries + 1 attempts on `session`. ldAuto is removed from
// `options` at the first attempt. True once OK was chosen.
bool LogonDialog(TOracleSession& session, std::uint16_t retries, int aliasDropDownCount,
                 TLogonOptions& options);

// Asks for a new password twice (entries that differ other than in letter case are refused with
// "Verification failed"), changes it to the second entry and logs on when the session is not
// connected. An EOracleError is shown and the window comes back. False when cancelled.
bool PasswordDialog(TOracleSession& session, const std::string& title);

// The main window's logon component: Retries 2, all five options, the history under "Tarnwick",
// six entries with their passwords.
void ConfigureMainLogon(TOracleLogon& logon, TOracleSession& session);

}  // namespace qm
