// dbfview: prints a dBASE table's fields and records as the import reads them, through the same
// source table. Values are shown in the terminal's encoding; control characters are escaped so
// that each record stays on one line.
//
//   dbfview [--codepage NAME] [--fields] [--limit N] FILE.dbf
//   dbfview [--codepage NAME] [--limit N] --codepage-report FILE.dbf

#include <iconv.h>
#include <langinfo.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "platform/codepage.h"
#include "platform/regional_formats.h"
#include "source/codepage_report.h"
#include "source/internal/escaped_text.h"
#include "source/source_path.h"
#include "source/source_table.h"

namespace {

constexpr char kUsage[] =
    "usage: dbfview [--codepage NAME] [--fields] [--limit N] FILE.dbf\n"
    "       dbfview [--codepage NAME] [--limit N] --codepage-report FILE.dbf\n"
    "  --codepage NAME  read the table's text in this code page (866, 1251, KOI8-R or any\n"
    "                   iconv name) instead of the one its .cpg file or language driver names\n"
    "  --codepage-report\n"
    "                   show the language driver, the .cpg file, the code page in use and why,\n"
    "                   and the first records' text (5, or --limit N) decoded in the likely\n"
    "                   code pages side by side, with the text that looks wrong marked\n"
    "  --fields         print the fields only\n"
    "  --limit N        print at most N records\n";

// Record lines are written in pieces of about this size.
constexpr std::size_t kOutputChunk = 64 * 1024;

// Code page 1251 to the terminal's encoding.
class TerminalText {
 public:
  TerminalText() {
    const char* codeset = nl_langinfo(CODESET);
    if (codeset && std::strcmp(codeset, "UTF-8") != 0) {
      const std::string target = std::string(codeset) + "//TRANSLIT";
      cd_ = iconv_open(target.c_str(), "CP1251");
    }
  }
  ~TerminalText() {
    if (cd_ != Bad()) iconv_close(cd_);
  }
  TerminalText(const TerminalText&) = delete;
  TerminalText& operator=(const TerminalText&) = delete;

  // Whether the terminal takes UTF-8, which the table of EscapedUtf8 writes directly.
  bool Utf8() const { return cd_ == Bad(); }

  std::string operator()(const std::string& cp1251) const {
    if (cd_ == Bad()) return qm::Cp1251ToUtf8(cp1251);
    std::string out(cp1251.size() * 4 + 4, '\0');
    char* src = const_cast<char*>(cp1251.data());
    std::size_t srcLeft = cp1251.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    while (srcLeft > 0 && iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) {
      if (dstLeft == 0) break;
      *dst++ = '?';  // a character the terminal cannot show
      --dstLeft;
      ++src;
      --srcLeft;
    }
    out.resize(out.size() - dstLeft);
    return out;
  }

 private:
  static iconv_t Bad() { return reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1)); }
  iconv_t cd_ = Bad();
};

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  qm::LoadRegionalFormats();
  const TerminalText terminal;

  std::string codePage;
  std::string file;
  bool fieldsOnly = false, report = false;
  long limit = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--codepage" && i + 1 < argc) {
      codePage = argv[++i];
    } else if (arg == "--codepage-report") {
      report = true;
    } else if (arg == "--fields") {
      fieldsOnly = true;
    } else if (arg == "--limit" && i + 1 < argc) {
      char* end = nullptr;
      limit = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || limit < 0) {
        std::fputs(kUsage, stderr);
        return 2;
      }
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (file.empty() && (arg.empty() || arg[0] != '-')) {
      file = arg;
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (file.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  if (report) {
    try {
      std::fputs(qm::CodePageReport(file, codePage, limit < 0 ? 5 : static_cast<std::size_t>(limit))
                     .c_str(),
                 stdout);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
      return 1;
    }
    return 0;
  }

  qm::SourceTable dbf;
  std::string output;         // record lines not yet written
  std::size_t wholeLines = 0;  // the part of output that ends with a whole line
  const auto flushOutput = [&] {
    std::fwrite(output.data(), 1, wholeLines, stdout);
    output.clear();
    wholeLines = 0;
  };
  try {
    const qm::SourcePath path = qm::SplitSourcePath(file);
    dbf.SetDatabaseName(path.folder);
    dbf.SetTableName(path.name);
    dbf.SetCodePage(codePage);
    dbf.Open();

    std::printf("%s: %s driver, %d records, %d fields\n", file.c_str(), dbf.TableDriver().c_str(),
                dbf.RecordCount(), dbf.FieldCount());
    for (int i = 0; i < dbf.FieldCount(); ++i) {
      const qm::SourceField& f = dbf.Field(i);
      std::printf("  %-12s %-13s size %-5d data size %d\n", terminal(f.FieldName()).c_str(),
                  std::string(qm::FieldTypeName(f.DataType())).c_str(), f.Size(), f.DataSize());
    }
    if (fieldsOnly) return 0;

    std::string line;
    for (int i = 0; i < dbf.FieldCount(); ++i) line += (i ? "\t" : "") + dbf.Field(i).FieldName();
    std::printf("%s\n", terminal(line).c_str());
    // The lines gather in one buffer, written out in large pieces; on a UTF-8 terminal each value
    // goes from code page 1251 to escaped UTF-8 through one table, without a string of its own.
    const qm::EscapedUtf8 utf8;
    long shown = 0;
    for (dbf.First(); !dbf.Eof() && shown != limit; dbf.Next(), ++shown) {
      if (terminal.Utf8()) {
        for (int i = 0; i < dbf.FieldCount(); ++i) {
          if (i) output += '\t';
          utf8.Append(dbf.Field(i).Text(), output);
        }
      } else {
        line.clear();
        for (int i = 0; i < dbf.FieldCount(); ++i) {
          if (i) line += '\t';
          qm::AppendEscaped(dbf.Field(i).Text(), line);
        }
        output += terminal(line);
      }
      output += '\n';
      wholeLines = output.size();
      if (output.size() >= kOutputChunk) flushOutput();
    }
    flushOutput();
    dbf.Close();
  } catch (const std::exception& e) {
    flushOutput();  // the lines before the record that failed, not that record's first values
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", terminal(e.what()).c_str());
    return 1;
  }
  return 0;
}
