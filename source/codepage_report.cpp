#include "source/codepage_report.h"

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/utf8.h"
#include "source/internal/code_page_names.h"
#include "source/internal/dbf_error.h"
#include "source/internal/dbf_reader.h"

namespace qm {
namespace {

enum class Script { kNone, kLatin, kCyrillic, kGreek };

Script ScriptOf(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c <= 0x24F && c != 0xD7 &&
                                                           c != 0xF7))
    return Script::kLatin;
  if (c >= 0x400 && c <= 0x4FF) return Script::kCyrillic;
  if (c >= 0x370 && c <= 0x3FF) return Script::kGreek;
  return Script::kNone;
}

bool IsSign(char32_t c) {
  return (c >= 0xA0 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x2C0 && c <= 0x2FF) ||
         (c >= 0x2000 && c <= 0x206F) || c == 0x2116 || c == 0x2122 || c == 0x20AC;
}

bool IsWordBreak(char32_t c) {
  return c == ' ' || c == ',' || c == '.' || c == ';' || c == ':' || c == '(' || c == ')' ||
         c == '"' || c == '/' || c == '!' || c == '?' || c == 0xAB || c == 0xBB;
}

// The text's code points in code page `codePage`: a byte sequence it does not hold is U+FFFD.
std::u32string Decode(std::string_view bytes, const char* codePage) {
  std::u32string out;
  const iconv_t cd = iconv_open("UTF-32LE", codePage);
  if (cd == reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1)))
    return std::u32string(1, 0xFFFD);
  for (std::size_t i = 0; i < bytes.size();) {
    std::size_t used = 0;
    char32_t cp = 0xFFFD;
    for (std::size_t n = 1; n <= 4 && i + n <= bytes.size(); ++n) {
      unsigned char buffer[4];
      char* src = const_cast<char*>(bytes.data() + i);
      std::size_t srcLeft = n;
      char* dst = reinterpret_cast<char*>(buffer);
      std::size_t dstLeft = sizeof buffer;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1) &&
          dstLeft == 0) {
        cp = static_cast<char32_t>(buffer[0] | buffer[1] << 8 | buffer[2] << 16 | buffer[3] << 24);
        used = n;
        break;
      }
    }
    out += cp;
    i += used ? used : 1;
  }
  iconv_close(cd);
  return out;
}

std::string Utf8(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) {
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(c));
      out += hex;
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

}  // namespace

std::string LooksWrong(std::u32string_view text) {
  bool box = false, control = false, lacking = false, mixed = false, signs = false,
       signWords = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size()) {
      const char32_t c = text[i];
      if (c >= 0x2500 && c <= 0x259F) box = true;
      if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) control = true;
      if (c == 0xFFFD) lacking = true;
      if (!IsWordBreak(c)) continue;
    }
    // The word text[start, i).
    Script script = Script::kNone;
    bool letters = false, sign = false, digits = false;
    std::size_t signCount = 0;
    for (std::size_t k = start; k < i; ++k) {
      const Script s = ScriptOf(text[k]);
      if (s != Script::kNone) {
        letters = true;
        if (script != Script::kNone && s != script) mixed = true;
        script = s;
      } else if (IsSign(text[k])) {
        sign = true;
        ++signCount;
      } else if (text[k] >= '0' && text[k] <= '9') {
        digits = true;
      }
    }
    if (letters && sign) signs = true;
    if (!letters && !digits && signCount >= 2) signWords = true;
    start = i + 1;
  }
  std::string reasons;
  auto add = [&](bool on, const char* reason) {
    if (on) reasons += (reasons.empty() ? "" : ", ") + std::string(reason);
  };
  add(box, "box-drawing characters");
  add(control, "control characters");
  add(lacking, "characters the code page lacks");
  add(mixed, "mixed scripts in one word");
  add(signs, "signs amid letters");
  add(signWords, "words of signs only");
  return reasons;
}

std::string CodePageReport(const std::string& path, const std::string& given,
                           std::size_t records) {
  // The reader takes no code page here: the raw bytes are what the report decodes.
  DbfReader reader(path, {given, false});
  const CodePageChoice& choice = reader.CodePage();
  std::string out = "file: " + path + "\n";
  const std::string driverCodePage = CodePageOfLanguageDriver(choice.languageDriver);
  out += "language driver: " + Hex(choice.languageDriver) +
         (driverCodePage.empty() ? " (names no code page)" : " (" + driverCodePage + ")") + "\n";
  out += ".cpg file: " +
         (choice.cpgPath ? *choice.cpgPath + " says \"" + choice.cpgText + "\"" : "none") + "\n";
  out += "code page in use: " + choice.codePage + ", because " + choice.reason + "\n";

  std::vector<std::string> candidates{choice.codePage};
  for (const char* c : kCandidateCodePages)
    if (c != choice.codePage) candidates.emplace_back(c);
  std::vector<int> wrong(candidates.size(), 0);
  int values = 0;

  std::string samples;
  const std::uint32_t n =
      static_cast<std::uint32_t>(std::min<std::size_t>(records, reader.RecordCount()));
  for (std::uint32_t r = 0; r < n; ++r) {
    const char* record = reader.Record(r);
    for (const DbfColumn& column : reader.Columns()) {
      if (column.type != 'C' && column.type != 'V') continue;
      std::string_view bytes = reader.Slot(column, record);
      while (!bytes.empty() && (bytes.back() == ' ' || bytes.back() == '\0')) bytes.remove_suffix(1);
      const bool plain = std::all_of(bytes.begin(), bytes.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0x20 && b < 0x80;
      });
      if (plain) continue;
      ++values;
      samples += "record " + std::to_string(reader.FilePosition(r)) + ", field " +
                 Utf8(Decode(column.name, choice.codePage.c_str())) + "\n";
      for (std::size_t k = 0; k < candidates.size(); ++k) {
        const std::u32string text = Decode(bytes, candidates[k].c_str());
        const std::string reasons = LooksWrong(text);
        if (!reasons.empty()) ++wrong[k];
        samples += "  " + Padded(candidates[k], 8) + " " + Utf8(text) +
                   (reasons.empty() ? "" : "    ! " + reasons) + "\n";
      }
    }
  }
  if (values == 0) {
    out += "\nthe first " + std::to_string(n) +
           " records hold no text beyond ASCII: any of the candidates reads them alike\n";
    return out;
  }
  out += "\ntext beyond ASCII in the first " + std::to_string(n) +
         " records, in each candidate (! marks text that looks wrong):\n" + samples;
  std::vector<std::size_t> order(candidates.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return wrong[a] < wrong[b]; });
  out += "\nvalues that look wrong, of " + std::to_string(values) + ":\n";
  for (std::size_t k : order)
    out += "  " + Padded(candidates[k], 8) + " " + std::to_string(wrong[k]) + "\n";
  const std::string& likely = candidates[order.front()];
  out += "likely: " + likely;
  if (likely != choice.codePage) out += " (read it with --codepage " + likely + ")";
  return out + "\n";
}

}  // namespace qm
