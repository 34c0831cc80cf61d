// ocisql: a small SQL*Plus-like tool over the engine's client library.
//
//   ocisql --create NAME --system-password PW [--version-banner TEXT]
//   ocisql --version-banner TEXT NAME
//   ocisql user/password[@NAME] [-c STATEMENT]... [SCRIPT]
//
// Without -c and a script, statements come from standard input. Query results print as aligned
// columns, errors as Oracle's tools print them; the exit status is 1 after any error.
#include <langinfo.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "oci/oci.h"
#include "ocilite/database_files.h"
#include "ocilite/internal/sql_script.h"
#include "ocilite/internal/utf8_text.h"

namespace {

using qm::ocilite::ScriptItem;
using qm::ocilite::SqlScript;

struct LongPiece {
  std::string value;
  std::vector<char> buffer;
  ub4 length = 0;
  sb2 ind = 0;
};

sb4 TakeLongPiece(void* ctx, OCIDefine*, ub4, void** bufpp, ub4** alenp, ub1*, void** indp,
                  ub2** rcodep) {
  auto* p = static_cast<LongPiece*>(ctx);
  p->value.append(p->buffer.data(), std::min<std::size_t>(p->length, p->buffer.size()));
  p->buffer.assign(4000, 0);
  p->length = static_cast<ub4>(p->buffer.size());
  *bufpp = p->buffer.data();
  *alenp = &p->length;
  *indp = &p->ind;
  *rcodep = nullptr;
  return OCI_CONTINUE;
}

class Client {
 public:
  ~Client() {
    End();
    if (attached_) OCIServerDetach(srv_, err_, OCI_DEFAULT);
    if (env_) OCIHandleFree(env_, OCI_HTYPE_ENV);
  }

  // Ends the session, which commits, as leaving SQL*Plus does; a commit that fails is printed
  // and makes this false: the work of the session is not stored.
  bool End() {
    if (!begun_) return true;
    begun_ = false;
    if (OCISessionEnd(svc_, err_, ses_, OCI_DEFAULT) == OCI_SUCCESS) return true;
    std::cerr << "ERROR:\n" << ErrorText() << "\n";
    return false;
  }

  bool Connect(const std::string& user, const std::string& password, const std::string& db) {
    if (OCIEnvCreate(&env_, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr) !=
        OCI_SUCCESS) {
      std::cerr << "ERROR:\nORA-12705: Cannot access NLS data files or invalid environment "
                   "specified\n";
      return false;
    }
    void* h = nullptr;
    OCIHandleAlloc(env_, &h, OCI_HTYPE_ERROR, 0, nullptr);
    err_ = static_cast<OCIError*>(h);
    OCIHandleAlloc(env_, &h, OCI_HTYPE_SERVER, 0, nullptr);
    srv_ = static_cast<OCIServer*>(h);
    OCIHandleAlloc(env_, &h, OCI_HTYPE_SVCCTX, 0, nullptr);
    svc_ = static_cast<OCISvcCtx*>(h);
    OCIHandleAlloc(env_, &h, OCI_HTYPE_SESSION, 0, nullptr);
    ses_ = static_cast<OCISession*>(h);
    if (OCIServerAttach(srv_, err_, reinterpret_cast<const OraText*>(db.data()),
                        static_cast<sb4>(db.size()), OCI_DEFAULT) != OCI_SUCCESS) {
      std::cerr << "ERROR:\n" << ErrorText() << "\n";
      return false;
    }
    attached_ = true;
    OCIAttrSet(svc_, OCI_HTYPE_SVCCTX, srv_, 0, OCI_ATTR_SERVER, err_);
    OCIAttrSet(svc_, OCI_HTYPE_SVCCTX, ses_, 0, OCI_ATTR_SESSION, err_);
    OCIAttrSet(ses_, OCI_HTYPE_SESSION, const_cast<char*>(user.data()),
               static_cast<ub4>(user.size()), OCI_ATTR_USERNAME, err_);
    OCIAttrSet(ses_, OCI_HTYPE_SESSION, const_cast<char*>(password.data()),
               static_cast<ub4>(password.size()), OCI_ATTR_PASSWORD, err_);
    const sword rc = OCISessionBegin(svc_, err_, ses_, OCI_CRED_RDBMS, OCI_DEFAULT);
    if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) {
      std::cerr << "ERROR:\n" << ErrorText() << "\n";
      return false;
    }
    if (rc == OCI_SUCCESS_WITH_INFO) std::cerr << "ERROR:\n" << ErrorText() << "\n";
    begun_ = true;
    return true;
  }

  // Runs one statement and prints its outcome; false after an error.
  bool Run(const std::string& sql, int first_line) {
    void* h = nullptr;
    OCIHandleAlloc(env_, &h, OCI_HTYPE_STMT, 0, nullptr);
    auto* stmt = static_cast<OCIStmt*>(h);
    struct Freer {
      OCIStmt* s;
      ~Freer() { OCIHandleFree(s, OCI_HTYPE_STMT); }
    } freer{stmt};
    OCIStmtPrepare(stmt, err_, reinterpret_cast<const OraText*>(sql.data()),
                   static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT);
    ub2 type = 0;
    OCIAttrGet(stmt, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, err_);
    const ub4 iters = type == OCI_STMT_SELECT ? 0 : 1;
    if (OCIStmtExecute(svc_, stmt, err_, iters, 0, nullptr, nullptr, OCI_DEFAULT) != OCI_SUCCESS) {
      ub2 offset = 0;
      OCIAttrGet(stmt, OCI_HTYPE_STMT, &offset, nullptr, OCI_ATTR_PARSE_ERROR_OFFSET, err_);
      PrintError(sql, offset, first_line);
      return false;
    }
    if (type == OCI_STMT_SELECT) return PrintRows(stmt, sql, first_line);
    ub2 function = 0;
    ub4 rows = 0;
    OCIAttrGet(stmt, OCI_HTYPE_STMT, &function, nullptr, OCI_ATTR_SQLFNCODE, err_);
    OCIAttrGet(stmt, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, err_);
    std::cout << Feedback(function, rows) << "\n\n";
    return true;
  }

 private:
  std::string ErrorText() {
    char text[1024] = {};
    sb4 code = 0;
    OCIErrorGet(err_, 1, nullptr, &code, reinterpret_cast<OraText*>(text), sizeof text,
                OCI_HTYPE_ERROR);
    std::string s(text);
    while (!s.empty() && s.back() == '\n') s.pop_back();
    return s;
  }

  void PrintError(const std::string& sql, ub2 offset, int first_line) {
    int line = 0;
    std::size_t line_start = 0;
    for (std::size_t i = 0; i < offset && i < sql.size(); ++i) {
      if (sql[i] == '\n') {
        ++line;
        line_start = i + 1;
      }
    }
    if (offset > 0) {
      const auto line_end = sql.find('\n', line_start);
      std::cerr << sql.substr(line_start, line_end - line_start) << "\n"
                << std::string(offset - line_start, ' ') << "*\n";
    }
    std::cerr << "ERROR at line " << first_line + line << ":\n" << ErrorText() << "\n\n";
  }

  static std::string Feedback(ub2 function, ub4 rows) {
    const std::string count = std::to_string(rows) + (rows == 1 ? " row " : " rows ");
    switch (function) {
      case 1:
        return "Table created.";
      case 3:
        return count + "created.";
      case 5:
        return count + "updated.";
      case 8:
        return "Table dropped.";
      case 9:
        return count + "deleted.";
      case 11:
        return "User dropped.";
      case 13:
        return "Sequence created.";
      case 16:
        return "Sequence dropped.";
      case 19:
        return "User created.";
      case 20:
        return "Index created.";
      case 21:
        return "Index dropped.";
      case 28:
        return "Grant succeeded.";
      case 29:
        return "Revoke succeeded.";
      case 26:
        return "Table altered.";
      case 37:
        return "Table renamed.";
      case 38:
        return "Comment created.";
      case 45:
        return "Database altered.";
      case 49:
        return "Tablespace created.";
      case 51:
        return "Tablespace dropped.";
      case 52:
        return "Session altered.";
      case 53:
        return "User altered.";
      case 54:
        return "Commit complete.";
      case 55:
        return "Rollback complete.";
      case 65:
        return "Profile created.";
      case 66:
        return "Profile dropped.";
      case 67:
        return "Profile altered.";
      case 85:
        return "Table truncated.";
      default:
        return "Statement processed.";
    }
  }

  bool PrintRows(OCIStmt* stmt, const std::string& sql, int first_line) {
    ub4 count = 0;
    OCIAttrGet(stmt, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, err_);
    struct Column {
      std::string name;
      ub2 type = 0;
      ub4 size = 0;
      std::vector<char> buffer;
      std::vector<sb2> ind;
      LongPiece long_value;
    };
    std::vector<Column> columns(count);
    ub4 batch = 50;
    for (ub4 i = 0; i < count; ++i) {
      void* p = nullptr;
      OCIParamGet(stmt, OCI_HTYPE_STMT, err_, &p, i + 1);
      OraText* name = nullptr;
      ub4 length = 0;
      ub2 size = 0;
      OCIAttrGet(p, OCI_DTYPE_PARAM, &name, &length, OCI_ATTR_NAME, err_);
      OCIAttrGet(p, OCI_DTYPE_PARAM, &columns[i].type, nullptr, OCI_ATTR_DATA_TYPE, err_);
      OCIAttrGet(p, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, err_);
      // The name lives in the descriptor: copy it before freeing that.
      columns[i].name.assign(reinterpret_cast<char*>(name), length);
      OCIDescriptorFree(p, OCI_DTYPE_PARAM);
      columns[i].size = std::max<ub4>(size * 4u, 80u) + 1;
      if (columns[i].type == SQLT_LNG || columns[i].type == SQLT_LBI) batch = 1;
    }
    for (ub4 i = 0; i < count; ++i) {
      Column& c = columns[i];
      c.ind.resize(batch);
      OCIDefine* define = nullptr;
      if (c.type == SQLT_LNG || c.type == SQLT_LBI) {
        OCIDefineByPos(stmt, &define, err_, i + 1, nullptr, 2147483647, c.type, c.ind.data(),
                       nullptr, nullptr, OCI_DYNAMIC_FETCH);
        OCIDefineDynamic(define, err_, &c.long_value, TakeLongPiece);
      } else {
        c.buffer.resize(static_cast<std::size_t>(c.size) * batch);
        OCIDefineByPos(stmt, &define, err_, i + 1, c.buffer.data(), static_cast<sb4>(c.size),
                       SQLT_STR, c.ind.data(), nullptr, nullptr, OCI_DEFAULT);
      }
    }
    std::vector<std::vector<std::string>> rows;
    for (bool more = true; more;) {
      ub4 before = 0, after = 0;
      OCIAttrGet(stmt, OCI_HTYPE_STMT, &before, nullptr, OCI_ATTR_ROW_COUNT, err_);
      for (Column& c : columns) c.long_value = LongPiece{};
      const sword rc = OCIStmtFetch(stmt, err_, batch, OCI_FETCH_NEXT, OCI_DEFAULT);
      if (rc != OCI_SUCCESS && rc != OCI_NO_DATA && rc != OCI_SUCCESS_WITH_INFO) {
        PrintTable(columns, rows);
        PrintError(sql, 0, first_line);
        return false;
      }
      more = rc != OCI_NO_DATA;
      OCIAttrGet(stmt, OCI_HTYPE_STMT, &after, nullptr, OCI_ATTR_ROW_COUNT, err_);
      for (ub4 r = 0; r < after - before; ++r) {
        std::vector<std::string> row;
        for (Column& c : columns) {
          if (c.ind[r] == -1) {
            row.emplace_back();
          } else if (c.type == SQLT_LNG || c.type == SQLT_LBI) {
            LongPiece& v = c.long_value;
            v.value.append(v.buffer.data(), std::min<std::size_t>(v.length, v.buffer.size()));
            row.push_back(v.value);
          } else {
            row.emplace_back(&c.buffer[static_cast<std::size_t>(c.size) * r]);
          }
        }
        rows.push_back(std::move(row));
      }
    }
    PrintTable(columns, rows);
    if (rows.empty()) {
      std::cout << "no rows selected\n\n";
    } else {
      std::cout << "\n" << rows.size() << (rows.size() == 1 ? " row" : " rows") << " selected.\n\n";
    }
    return true;
  }

  template <typename Columns>
  static void PrintTable(const Columns& columns,
                         const std::vector<std::vector<std::string>>& rows) {
    if (rows.empty()) return;
    std::vector<std::size_t> widths;
    for (const auto& c : columns) widths.push_back(qm::ocilite::Utf8Length(c.name));
    for (const auto& row : rows)
      for (std::size_t i = 0; i < row.size(); ++i)
        for (std::string_view line = row[i]; !line.empty();) {
          const auto nl = line.find('\n');
          widths[i] = std::max(widths[i], qm::ocilite::Utf8Length(line.substr(0, nl)));
          line = nl == std::string_view::npos ? std::string_view() : line.substr(nl + 1);
        }
    auto cell = [&](const std::string& text, std::size_t i) {
      const std::size_t pad = widths[i] - std::min(widths[i], qm::ocilite::Utf8Length(text));
      const bool right = columns[i].type == SQLT_NUM;
      return right ? std::string(pad, ' ') + text : text + std::string(pad, ' ');
    };
    std::string header, rule;
    for (std::size_t i = 0; i < widths.size(); ++i) {
      header += (i ? " " : "") + cell(columns[i].name, i);
      rule += (i ? " " : "") + std::string(widths[i], '-');
    }
    while (!header.empty() && header.back() == ' ') header.pop_back();
    std::cout << header << "\n" << rule << "\n";
    for (const auto& row : rows) {
      std::string line;
      for (std::size_t i = 0; i < row.size(); ++i) line += (i ? " " : "") + cell(row[i], i);
      while (!line.empty() && line.back() == ' ') line.pop_back();
      std::cout << line << "\n";
    }
  }

  OCIEnv* env_ = nullptr;
  OCIError* err_ = nullptr;
  OCIServer* srv_ = nullptr;
  OCISvcCtx* svc_ = nullptr;
  OCISession* ses_ = nullptr;
  bool attached_ = false;
  bool begun_ = false;
};

// Runs the statements and commands of `in`, each as the script completes it, until the input
// ends or `run` answers false (EXIT, QUIT).
void RunScript(std::istream& in, const std::function<bool(const ScriptItem&)>& run) {
  SqlScript lines;
  std::string line;
  bool go = true;
  while (go && std::getline(in, line))
    if (auto item = lines.AddLine(line)) go = run(*item);
  if (go)
    if (auto item = lines.Finish()) run(*item);
}

int Usage() {
  std::cerr << "usage: ocisql --create NAME --system-password PASSWORD [--version-banner TEXT]\n"
               "       ocisql --version-banner TEXT NAME\n"
               "       ocisql USER/PASSWORD[@NAME] [-c STATEMENT]... [SCRIPT]\n"
               "Databases live in $OCILITE_HOME (default: " +
                   qm::ocilite::DatabaseFolder() + ").\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string create, system_password, banner, logon, script;
  std::vector<std::string> commands;
  bool has_banner = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::string { return i + 1 < args.size() ? args[++i] : std::string(); };
    if (a == "--create") {
      create = value();
    } else if (a == "--system-password") {
      system_password = value();
    } else if (a == "--version-banner") {
      banner = value();
      has_banner = true;
    } else if (a == "-c") {
      commands.push_back(value());
    } else if (a == "--help" || a == "-h") {
      return Usage();
    } else if (logon.empty() && create.empty()) {
      logon = a;
    } else if (script.empty()) {
      script = a;
    } else {
      return Usage();
    }
  }
  try {
    if (!create.empty()) {
      const std::string path = qm::ocilite::CreateDatabase(create, system_password);
      if (has_banner) qm::ocilite::SetVersionBanner(path, banner);
      std::cout << "Database " << qm::ocilite::Utf8Upper(create) << " created: " << path << "\n";
      return 0;
    }
    if (has_banner) {
      if (logon.empty()) return Usage();
      qm::ocilite::SetVersionBanner(qm::ocilite::ResolveDatabase(logon), banner);
      return 0;
    }
  } catch (const std::exception& e) {
    std::cerr << "ocisql: " << e.what() << "\n";
    return 2;
  }
  if (logon.empty()) return Usage();
  // A terminal that speaks UTF-8 gets a UTF-8 client unless the user chose otherwise.
  if (!std::getenv("NLS_LANG") && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
    setenv("NLS_LANG", "AMERICAN_AMERICA.AL32UTF8", 1);
  std::string user = logon, password, database;
  if (const auto at = user.find('@'); at != std::string::npos) {
    database = user.substr(at + 1);
    user.resize(at);
  }
  if (const auto slash = user.find('/'); slash != std::string::npos) {
    password = user.substr(slash + 1);
    user.resize(slash);
  }
  Client client;
  if (!client.Connect(user, password, database)) return 1;

  bool failed = false;
  auto run = [&](const ScriptItem& item) -> bool {  // false: stop
    if (item.kind == ScriptItem::Kind::kStatement) {
      failed |= !client.Run(item.text, item.first_line);
      return true;
    }
    std::istringstream words(item.text);
    std::string word, rest;
    words >> word;
    std::getline(words >> std::ws, rest);
    word = qm::ocilite::Utf8Upper(word);
    if (word == "EXIT" || word == "QUIT") return false;
    if (word == "PROMPT") std::cout << rest << "\n";
    if (word == "DESC" || word == "DESCRIBE") {
      std::string name = rest;
      if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
        name = name.substr(1, name.size() - 2);
      } else {
        name = qm::ocilite::Utf8Upper(name);
      }
      for (char& c : name)
        if (c == '\'') c = ' ';
      failed |= !client.Run(
          "select column_name \"Name\", decode(nullable, 'N', 'NOT NULL') \"Null?\", data_type "
          "\"Type\", data_length \"Length\", data_precision \"Precision\", data_scale \"Scale\" "
          "from user_tab_columns where table_name = '" +
              name + "' order by column_id",
          item.first_line);
    }
    return true;
  };
  for (const std::string& c : commands) {
    std::istringstream in(c);
    RunScript(in, run);
  }
  if (commands.empty() || !script.empty()) {
    std::ifstream file;
    if (!script.empty()) {
      file.open(script);
      if (!file) {
        std::cerr << "SP2-0310: unable to open file \"" << script << "\"\n";
        return 1;
      }
    }
    RunScript(script.empty() ? std::cin : file, run);
  }
  failed |= !client.End();
  return failed ? 1 : 0;
}
