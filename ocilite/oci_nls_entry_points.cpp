// The national-language calls of the release 8.1 interface: converting text between the client's
// character set and 16-bit Unicode, and the locale items of OCINlsGetInfo. They take an
// environment handle (the client's settings) or a user session handle (the session's settings,
// which ALTER SESSION changes); the engine's server speaks the client's character set, so both
// convert alike.
// clang-format off
// Must come first: it makes the declarations of the interface exported ones.
#include "ocilite/internal/oci_exports.h"
// clang-format on

#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "ocilite/internal/code_page.h"
#include "ocilite/internal/oci_handles.h"
#include "ocilite/internal/utf8_text.h"

using namespace qm::ocilite;
using namespace qm::ocilite::oci;

namespace {

constexpr std::array<std::string_view, 7> kDayNames = {
    "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

// Oracle's numbers of the character sets the engine converts.
ub2 CharacterSetId(std::string_view name) {
  struct Id {
    std::string_view name;
    ub2 id;
  };
  static constexpr Id kIds[] = {
      {"US7ASCII", 1},       {"WE8ISO8859P1", 31},  {"CL8ISO8859P5", 32}, {"WE8ISO8859P15", 46},
      {"RU8PC866", 152},     {"EE8MSWIN1250", 170}, {"CL8MSWIN1251", 171}, {"WE8MSWIN1252", 178},
      {"CL8KOI8R", 196},     {"UTF8", 871},         {"AL32UTF8", 873},
  };
  for (const Id& k : kIds)
    if (k.name == name) return k.id;
  return 0;
}

// The text of a locale item (UTF-8), or nullopt for an item number the interface does not have.
std::optional<std::string> LocaleItem(const NlsSettings& nls, ub2 item) {
  const bool russia = nls.territory == "RUSSIA";
  if (item >= OCI_NLS_DAYNAME1 && item <= OCI_NLS_DAYNAME7)
    return std::string(kDayNames[item - OCI_NLS_DAYNAME1]);
  if (item >= OCI_NLS_ABDAYNAME1 && item <= OCI_NLS_ABDAYNAME7)
    return std::string(kDayNames[item - OCI_NLS_ABDAYNAME1].substr(0, 3));
  if (item >= OCI_NLS_MONTHNAME1 && item <= OCI_NLS_MONTHNAME12)
    return std::string(kMonthNames[item - OCI_NLS_MONTHNAME1]);
  if (item >= OCI_NLS_ABMONTHNAME1 && item <= OCI_NLS_ABMONTHNAME12)
    return std::string(kMonthNames[item - OCI_NLS_ABMONTHNAME1].substr(0, 3));
  switch (item) {
    case OCI_NLS_YES:
      return "Yes";
    case OCI_NLS_NO:
      return "No";
    case OCI_NLS_AM:
      return "AM";
    case OCI_NLS_PM:
      return "PM";
    case OCI_NLS_AD:
      return "AD";
    case OCI_NLS_BC:
      return "BC";
    case OCI_NLS_DECIMAL:
    case OCI_NLS_MONDECIMAL:
      return std::string(1, nls.decimal);
    case OCI_NLS_GROUP:
    case OCI_NLS_MONGROUP:
      return std::string(1, nls.group);
    case OCI_NLS_DEBIT:
      return "-";
    case OCI_NLS_CREDIT:
      return "";
    case OCI_NLS_DATEFORMAT:
      return nls.date_format;
    case OCI_NLS_INT_CURRENCY:
      return russia ? "RUR" : "USD";
    case OCI_NLS_LOC_CURRENCY:
    case OCI_NLS_DUAL_CURRENCY:
      return russia ? "\xd1\x80." : "$";
    case OCI_NLS_LANGUAGE:
      return nls.language;
    case OCI_NLS_ABLANGUAGE:
      return nls.language == "RUSSIAN" ? "RU" : "US";
    case OCI_NLS_TERRITORY:
      return nls.territory;
    case OCI_NLS_ABTERRITORY:
      return russia ? "RU" : "US";
    case OCI_NLS_CHARACTER_SET:
      return nls.code_page->OracleName();
    case OCI_NLS_LINGUISTIC_NAME:
      return "BINARY";
    case OCI_NLS_CALENDAR:
      return "GREGORIAN";
    case OCI_NLS_LISTSEP:
      return russia ? ";" : ",";
    case OCI_NLS_INT_CURRENCYSEP:
      return " ";
  }
  return std::nullopt;
}

// The client's text as UTF-16 code units.
std::u16string ToUtf16(std::string_view client, const CodePage& cp) {
  const std::string utf8 = cp.ToUtf8(client);
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t c = DecodeUtf8(utf8, i);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string FromUtf16(const ub2* units, std::size_t n, const CodePage& cp) {
  std::string utf8;
  for (std::size_t i = 0; i < n; ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    AppendUtf8(utf8, c);
  }
  return cp.FromUtf8(utf8);
}

}  // namespace

extern "C" {

sword OCICharSetToUnicode(void* hndl, ub2* dst, std::size_t dstlen, const OraText* src,
                          std::size_t srclen, std::size_t* rsize) {
  const NlsSettings* nls = NlsOf(hndl);
  if (!nls) return OCI_INVALID_HANDLE;
  const std::u16string units =
      ToUtf16(std::string_view(reinterpret_cast<const char*>(src), src ? srclen : 0),
              *nls->code_page);
  // A destination of length 0 asks for the length only.
  const std::size_t n = dstlen == 0 ? units.size() : std::min(units.size(), dstlen);
  if (dstlen > 0 && dst) {
    std::memcpy(dst, units.data(), n * sizeof(ub2));
    if (n < dstlen) dst[n] = 0;
  }
  if (rsize) *rsize = n;
  return OCI_SUCCESS;
}

sword OCIUnicodeToCharSet(void* hndl, OraText* dst, std::size_t dstlen, const ub2* src,
                          std::size_t srclen, std::size_t* rsize) {
  const NlsSettings* nls = NlsOf(hndl);
  if (!nls) return OCI_INVALID_HANDLE;
  const std::string bytes = FromUtf16(src, src ? srclen : 0, *nls->code_page);
  std::size_t n = bytes.size();
  if (dstlen > 0) {
    // Only whole characters fit.
    n = std::min(n, dstlen);
    if (nls->code_page->IsUtf8())
      while (n > 0 && n < bytes.size() && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80)
        --n;
    if (dst) {
      std::memcpy(dst, bytes.data(), n);
      if (n < dstlen) dst[n] = 0;
    }
  }
  if (rsize) *rsize = n;
  return OCI_SUCCESS;
}

sword OCINlsGetInfo(void* hndl, OCIError* errhp, OraText* buf, std::size_t buflen, ub2 item) {
  const NlsSettings* nls = NlsOf(hndl);
  if (!nls) return OCI_INVALID_HANDLE;
  return WithError(errhp, [&](ErrorHandle&) -> sword {
    if (item == OCI_NLS_CHARSET_MAXBYTESZ || item == OCI_NLS_CHARSET_FIXEDWIDTH ||
        item == OCI_NLS_CHARSET_ID || item == OCI_NLS_NCHARSET_ID) {
      // Numeric items come as a ub2 in the buffer.
      const bool utf8 = nls->code_page->IsUtf8();
      const ub2 value = item == OCI_NLS_CHARSET_MAXBYTESZ    ? (utf8 ? 4 : 1)
                        : item == OCI_NLS_CHARSET_FIXEDWIDTH ? (utf8 ? 0 : 1)
                                                             : CharacterSetId(
                                                                   nls->code_page->OracleName());
      if (!buf || buflen < sizeof value) throw OraError(24315);
      std::memcpy(buf, &value, sizeof value);
      return OCI_SUCCESS;
    }
    const std::optional<std::string> value = LocaleItem(*nls, item);
    if (!value) throw OraError(24315);
    const std::string text = nls->code_page->FromUtf8(*value);
    if (!buf || buflen < text.size() + 1) throw OraError(24315);
    std::memcpy(buf, text.data(), text.size());
    buf[text.size()] = 0;
    return OCI_SUCCESS;
  });
}

}  // extern "C"
