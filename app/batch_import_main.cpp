// quillmove-import: the import run without windows, for imports repeated with a saved field-link
// file. It checks the link file and the source, logs on as the window does (UserId=, OCIDLL=,
// ORACLEHOME= from the command line), loads the links, optionally creates the target table, checks
// that the target has every linked column, runs the same import and ends the session normally, so
// the rows are committed. Nothing is deleted or inserted before every check has passed. The
// summary is printed once the session has ended: a session that could not end (its closing commit
// failed, its connection was lost) stored none of the rows since its last commit, and the summary
// says so. The load controls (--errors, --load, --skip, --commit-every, --deleted, --bad) and the
// account of the load appended to the log follow the meaning Oracle users know from their loader;
// the exit statuses are app/internal/load_summary.h's.
//
// --check runs the dry run instead (internal/batch_check.h): after the same checks and the logon
// it reads every record and lists those the server would refuse, and writes nothing.

#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "app/database_adapters.h"
#include "app/internal/batch_check.h"
#include "app/internal/batch_input_checks.h"
#include "app/internal/console_import_window.h"
#include "app/internal/load_summary.h"
#include "import/field_link_file.h"
#include "import/import_statements.h"
#include "import/rejected_records.h"
#include "oracle/oracle_client.h"
#include "oracle/oracle_dataset.h"
#include "oracle/oracle_query.h"
#include "oracle/oracle_session.h"
#include "platform/codepage.h"
#include "platform/file_write.h"
#include "platform/regional_formats.h"
#include "schema/table_creation.h"
#include "source/source_path.h"
#include "source/source_table.h"

namespace {

constexpr int kDone = qm::kLoadSucceeded, kNotStarted = qm::kLoadFailed;
// --check: some records would be rejected.
constexpr int kCheckRejects = qm::kLoadWarning;

const char* const kUsage =
    "usage: quillmove-import --source FILE.dbf --table TABLE --links LINKS.ini\n"
    "                        [--delete-old] [--no-seek] [--log FILE] [--create-table]\n"
    "                        [--allow-short] [--bad FILE.dbf] [--errors N] [--load N]\n"
    "                        [--skip N] [--commit-every N] [--deleted skip|include]\n"
    "                        [--check] [--codepage CP]\n"
    "                        UserId=user[/password]@alias [OCIDLL=path] [ORACLEHOME=name]\n"
    "\n"
    "Copies the records of a dBASE table into an Oracle table, as the window's Process data does.\n"
    "\n"
    "  --source FILE.dbf   the dBASE table to read\n"
    "  --table TABLE       the target table (written into the SQL as given)\n"
    "  --links LINKS.ini   a field-link file saved from the window\n"
    "  --delete-old        delete the target's rows first (\"Delete old data before insert\")\n"
    "  --no-seek           insert every record without looking for an equal row first\n"
    "                      (\"Seek old record\" off)\n"
    "  --log FILE          where failed statements are appended (default Quillmove_err.log)\n"
    "  --create-table      first create the target table from the source's fields, as the \"+\"\n"
    "                      button does (the table is named after the source file)\n"
    "  --allow-short       import a source that holds fewer records than its header gives (a\n"
    "                      cut file) as far as it goes; without it such a source is refused\n"
    "  --bad FILE.dbf      write the records not loaded because of an error to FILE.dbf, a\n"
    "                      table of the source's format (with its memo file), and why to\n"
    "                      FILE.reasons.txt; written only when a record is rejected\n"
    "  --errors N          rejected records allowed: stop at the next one (default: no\n"
    "                      limit; --errors 0 stops at the first)\n"
    "  --load N            read only the first N records (after those skipped)\n"
    "  --skip N            pass over the first N records: to continue a stopped load\n"
    "  --commit-every N    commit after every N records read (default: once, at the end)\n"
    "  --deleted include   import the records marked deleted too (default: skip, and count)\n"
    "  --check             a dry run: read every record, build its values as the import would\n"
    "                      and check each against the target column as the server would\n"
    "                      (length, NUMBER precision, DATE, NOT NULL, literals over 4000\n"
    "                      bytes); list the records that would be rejected with the Oracle\n"
    "                      error each would get, and the counts. Nothing is written (nor\n"
    "                      deleted: --delete-old is ignored); exit status 0 when no record\n"
    "                      would be rejected, 2 when some would (or when \"Seek old record\"\n"
    "                      could not compare a linked LONG or LOB column)\n"
    "  --codepage CP       read the source's text in this code page (866, 1251, KOI8-R, any\n"
    "                      iconv name) instead of the one its .cpg file or header names\n"
    "  UserId=...          the logon; without a password it is asked for on the terminal\n"
    "  OCIDLL=path         the client library to load (e.g. the embedded engine's)\n"
    "  ORACLEHOME=name     the Oracle home to take the client library from\n"
    "\n"
    "The link file, the source and the target table (that it has every linked column) are\n"
    "checked before anything is deleted or inserted.\n"
    "\n"
    "The log ends with the load's account: rows loaded, rejected, already present, and the\n"
    "records skipped, read, rejected, discarded, deleted and not read. A load that stops\n"
    "early (--errors, a lost server, Ctrl-C or SIGTERM) says \"continue with --skip N\".\n"
    "\n"
    "Exit status: 0 every record read was loaded or already there, 1 the load could not run\n"
    "(arguments, logon, links, source, target table, or a short source without --allow-short),\n"
    "2 some records were rejected or the load was discontinued, 3 a file could not be written\n"
    "(the log, the bad file).\n";

std::string AskPassword() {
  std::fprintf(stderr, "Password: ");
  std::fflush(stderr);
  termios saved{};
  const bool tty = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
  if (tty) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  }
  std::string password;
  std::getline(std::cin, password);
  if (tty) {
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::fputc('\n', stderr);
  }
  return password;
}

void PrintFailure(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  std::fprintf(stderr, "quillmove-import: %s\n", text.c_str());
}

void Fail(const std::string& cp1251) { PrintFailure(qm::Cp1251ToUtf8(cp1251)); }

// Ends the session. One that cannot end cleanly (its connection lost) is reported; the
// connection is let go all the same. Returns false then.
bool EndSession(qm::TOracleSession& session) {
  try {
    session.LogOff();
    return true;
  } catch (const std::exception& e) {
    Fail(e.what());
    return false;
  }
}

// Set by SIGINT and SIGTERM: the run stops before its next record and the session commits what
// it has, so that the load can be continued. A second signal ends the program at once (the
// handler is reset by the first), and calls under way are not broken off by it (restarted).
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void Interrupt(int) {
  interrupted.store(true);
}

void CatchInterrupts() {
  struct sigaction action {};
  action.sa_handler = Interrupt;
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

// Appends the load's account to the log (CR LF line ends, as its entries). Returns false, having
// said so, when it cannot.
bool AppendToLog(const std::string& path, const std::string& text) {
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::FILE* log = std::fopen(path.c_str(), "ab");
  bool ok = log && std::fwrite(crlf.data(), 1, crlf.size(), log) == crlf.size();
  if (log && std::fclose(log) != 0) ok = false;
  if (!ok)
    std::fprintf(stderr, "quillmove-import: cannot write the log %s: %s\n", path.c_str(),
                 std::strerror(errno));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  qm::LoadRegionalFormats();

  qm::ConsoleImportOptions options;
  std::string links, userId;
  bool createTable = false, allowShort = false, check = false;
  qm::ImportRunLimits limits;
  limits.stopWhenWorkLost = true;
  limits.stop = &interrupted;
  std::string badPath;
  std::string codePage;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw std::invalid_argument(arg + " needs a value");
      return argv[++i];
    };
    try {
      if (arg == "--help" || arg == "-h") {
        std::fputs(kUsage, stdout);
        return kDone;
      } else if (arg == "--source") {
        options.sourcePath = value();
      } else if (arg == "--table") {
        options.tableName = value();
      } else if (arg == "--links") {
        links = value();
      } else if (arg == "--log") {
        options.logPath = value();
      } else if (arg == "--delete-old") {
        options.deleteOld = true;
      } else if (arg == "--no-seek") {
        options.seek = false;
      } else if (arg == "--create-table") {
        createTable = true;
      } else if (arg == "--allow-short") {
        allowShort = true;
      } else if (arg == "--bad") {
        badPath = value();
      } else if (arg == "--errors") {
        limits.errorLimit = qm::ParseCount(arg, value());
      } else if (arg == "--load") {
        limits.load = qm::ParseCount(arg, value());
      } else if (arg == "--skip") {
        limits.skip = qm::ParseCount(arg, value());
      } else if (arg == "--commit-every") {
        limits.commitEvery = qm::ParseCount(arg, value(), 1);
      } else if (arg == "--deleted") {
        const std::string choice = value();
        if (choice != "skip" && choice != "include")
          throw std::invalid_argument("--deleted takes skip or include, not '" + choice + "'");
        limits.includeDeleted = choice == "include";
      } else if (arg == "--check") {
        check = true;
      } else if (arg == "--codepage") {
        codePage = qm::CodePageName(value());
      } else if (qm::Cp1251EqualNoCase(arg.substr(0, 7), "UserId=")) {
        userId = arg.substr(7);
      } else if (arg.find('=') == std::string::npos) {
        throw std::invalid_argument("unknown option " + arg);
      }  // OCIDLL= and ORACLEHOME= are read by the client layer from the command line
    } catch (const std::invalid_argument& e) {
      std::fprintf(stderr, "quillmove-import: %s\n\n%s", e.what(), kUsage);
      return kNotStarted;
    }
  }
  if (options.sourcePath.empty() || options.tableName.empty() || links.empty() || userId.empty()) {
    std::fprintf(stderr, "quillmove-import: --source, --table, --links and UserId= are needed\n\n%s",
                 kUsage);
    return kNotStarted;
  }
  if (check && createTable) {
    std::fprintf(stderr, "quillmove-import: --check writes nothing, so it cannot --create-table\n");
    return kNotStarted;
  }
  // The database, like the files, speaks code page 1251; arguments come in the terminal's UTF-8.
  options.sourcePath = qm::Utf8ToCp1251(options.sourcePath);
  options.tableName = qm::Utf8ToCp1251(options.tableName);

  // Nothing is logged on to, let alone deleted, before the files are known to be usable.
  qm::SourceTable dbf;
  dbf.SetCodePage(codePage);
  try {
    qm::CheckFieldLinkFile(links);  // named as given, like every file argument
  } catch (const std::exception& e) {
    PrintFailure(e.what());
    return kNotStarted;
  }
  try {
    qm::CheckSource(dbf, options.sourcePath, allowShort);
  } catch (const std::exception& e) {
    Fail(e.what());
    return kNotStarted;
  }
  std::error_code sameError;
  if (!badPath.empty() && std::filesystem::equivalent(badPath, options.sourcePath, sameError)) {
    PrintFailure("--bad " + badPath + " names the source itself");
    return kNotStarted;
  }

  qm::TOracleSession session;
  qm::TOracleDataSet ods1;
  ods1.SetName("ods1");
  ods1.SetSession(&session);
  qm::FieldLinkTable table;
  table.WriteHeader();
  try {
    if (userId.find('/') == std::string::npos) {
      const std::size_t at = userId.find('@');
      session.SetLogonUsername(userId.substr(0, at));
      session.SetLogonPassword(AskPassword());
      if (at != std::string::npos) session.SetLogonDatabase(userId.substr(at + 1));
    } else {
      session.SetLogonUsername(userId);
    }
    session.LogOn();
    qm::LoadFieldLinks(table, links);
  } catch (const std::exception& e) {
    Fail(e.what());
    return kNotStarted;
  }

  qm::ConsoleImportWindow window(options, table, stdout, stderr, isatty(STDERR_FILENO) != 0);
  window.HoldSummary();
  try {
    if (createTable) {
      qm::TOracleQuery q;
      q.SetSession(&session);
      qm::TableCreationContext context;
      context.sourcePath = options.sourcePath;
      context.confirm = [] { return true; };
      std::string reason;
      context.execute = [&](const std::string& sql) {
        try {
          qm::ExecuteLine(q, sql);
        } catch (const std::exception& e) {
          reason = e.what();
          throw;
        }
      };
      context.reportFailure = [] { Fail("some error with created table"); };
      context.logStatement = [&](const std::string& sql) { window.AppendErrorLog(sql, reason); };
      context.refreshTableList = [] {};
      qm::CreateTargetTable(context, dbf);
    }
    try {
      qm::TOracleQuery check;
      check.SetSession(&session);
      check.SQL().Add(qm::TargetCheckQuery(table, options.tableName));
      check.Execute();
    } catch (const std::exception& e) {
      Fail("the table " + options.tableName + " cannot take the links: " + e.what());
      EndSession(session);
      return kNotStarted;
    }
    if (check) {
      const qm::CheckSummary summary =
          qm::RunBatchCheck(session, dbf, table, options.tableName, options.seek, stdout);
      EndSession(session);
      return summary.rejected > 0 || !summary.stopper.empty() ? kCheckRejects : kDone;
    }
    qm::SessionImportDatabase database(session, ods1);
    CatchInterrupts();
    const qm::ImportRunResult result = qm::RunImport(window, database, dbf, limits);
    const bool ended = EndSession(session);
    if (!result.started) return kNotStarted;
    const qm::LoadEnd end{result, ended};
    const std::int32_t lostAtEnd = ended ? 0 : result.inserted - result.committedInserted;
    if (lostAtEnd > 0)
      Fail("the session did not end with a commit: none of the " + std::to_string(lostAtEnd) +
           " records inserted since its last commit is stored");
    window.PrintSummary(qm::ImportSummary(result.errors || qm::Discontinued(end),
                                          result.inserted - lostAtEnd, result.total));
    const std::string account = qm::LoadSummaryText(options.tableName, end, limits.errorLimit);
    std::fputs(qm::Cp1251ToUtf8(account).c_str(), stdout);
    std::fflush(stdout);
    bool written =
        AppendToLog(options.logPath, account) && window.WrittenEntries() == window.LoggedEntries();
    if (!badPath.empty() && !result.rejectedRecords.empty()) {
      try {
        for (const std::string& path :
             qm::WriteRejectedRecords(options.sourcePath, codePage, result.rejectedRecords, badPath))
          std::fprintf(stderr, "rejected records written to %s\n", path.c_str());
      } catch (const std::exception& e) {
        Fail(e.what());
        written = false;
      }
    }
    return written ? qm::LoadExitStatus(end) : qm::kLoadFatal;
  } catch (const std::exception& e) {
    Fail(e.what());
    const bool started = std::strncmp(e.what(), "not connect to ", 15) != 0;
    EndSession(session);
    return started ? qm::kLoadWarning : kNotStarted;
  }
}
