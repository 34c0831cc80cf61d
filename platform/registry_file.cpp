#include "platform/registry_file.h"

#include <cstdio>

#include "platform/codepage.h"

namespace qm {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kDwordPrefix = "dword:";

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

// Reads a quoted text starting at s[0] == '"'; on success `s` is left after the closing quote.
std::optional<std::string> ReadQuoted(std::string_view& s) {
  std::string out;
  std::size_t i = 1;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '"') {
      s.remove_prefix(i + 1);
      return out;
    }
    if (c == '\\' && i + 1 < s.size()) {
      out.push_back(s[i + 1]);
      i += 2;
    } else {
      out.push_back(c);
      ++i;
    }
  }
  return std::nullopt;
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::optional<std::uint32_t> ParseDword(std::string_view hex) {
  if (hex.empty() || hex.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : hex) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
}

// True when `path` is `key` itself or lies below it.
bool IsAtOrBelow(std::string_view path, std::string_view key) {
  if (path.size() < key.size() || !Cp1251EqualNoCase(path.substr(0, key.size()), key)) return false;
  return path.size() == key.size() || path[key.size()] == '\\';
}

}  // namespace

RegistryFile RegistryFile::Parse(std::string_view text) {
  RegistryFile file;
  Key* current = nullptr;
  std::size_t pos = 0;
  auto nextLine = [&](std::string_view& line) {
    if (pos >= text.size()) return false;
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    line = TrimRight(text.substr(pos, end - pos));
    pos = end + 1;
    return true;
  };
  std::string_view line;
  while (nextLine(line)) {
    std::string_view s = TrimLeft(line);
    if (s.empty() || s.front() == ';' || s == kHeader) continue;
    if (s.front() == '[') {
      current = nullptr;
      const std::size_t close = s.rfind(']');
      if (close == std::string_view::npos || close < 2 || s[1] == '-') continue;
      current = &file.AddKey(s.substr(1, close - 1));
      continue;
    }
    if (current == nullptr) continue;
    std::string name;
    if (s.front() == '@') {
      s.remove_prefix(1);
    } else if (s.front() == '"') {
      const auto quoted = ReadQuoted(s);
      if (!quoted) continue;
      name = *quoted;
    } else {
      continue;
    }
    s = TrimLeft(s);
    if (s.empty() || s.front() != '=') continue;
    s = TrimLeft(s.substr(1));
    RegistryValue value;
    if (!s.empty() && s.front() == '"') {
      const auto quoted = ReadQuoted(s);
      if (!quoted) continue;
      value = RegistryValue::String(*quoted);
    } else if (s.substr(0, kDwordPrefix.size()) == kDwordPrefix) {
      const auto dword = ParseDword(s.substr(kDwordPrefix.size()));
      if (!dword) continue;
      value = RegistryValue::Dword(*dword);
    } else {
      // Data of another kind, possibly continued over lines ending in a backslash. A blank line
      // ends it even after a backslash, so that such data reads back as Format wrote it.
      std::string raw(s);
      while (!raw.empty() && raw.back() == '\\' && nextLine(line) && !TrimLeft(line).empty()) {
        raw.push_back('\n');
        raw += TrimLeft(line);
      }
      value = {RegistryValue::Type::Other, raw, 0};
    }
    bool replaced = false;
    for (Value& v : current->values) {
      if (Cp1251EqualNoCase(v.name, name)) {
        v.value = value;
        replaced = true;
      }
    }
    if (!replaced) current->values.push_back({name, value});
  }
  return file;
}

std::string RegistryFile::Format() const {
  std::string out(kHeader);
  out += "\r\n\r\n";
  for (const Key& key : keys_) {
    out += "[" + key.path + "]\r\n";
    for (const Value& v : key.values) {
      out += v.name.empty() ? std::string("@") : Quote(v.name);
      out += "=";
      switch (v.value.type) {
        case RegistryValue::Type::String:
          out += Quote(v.value.text);
          break;
        case RegistryValue::Type::Dword: {
          char hex[9];
          std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(v.value.dword));
          out += std::string(kDwordPrefix) + hex;
          break;
        }
        case RegistryValue::Type::Other:
          for (char c : v.value.text) {
            if (c == '\n')
              out += "\r\n  ";
            else
              out.push_back(c);
          }
          // Data ending in a backslash that continued nothing: a blank line keeps the next line
          // from being read back as its continuation.
          if (!v.value.text.empty() && v.value.text.back() == '\\') out += "\r\n";
          break;
      }
      out += "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

bool RegistryFile::KeyExists(std::string_view path) const {
  for (const Key& key : keys_)
    if (IsAtOrBelow(key.path, path)) return true;
  return false;
}

const RegistryFile::Key* RegistryFile::FindKey(std::string_view path) const {
  for (const Key& key : keys_)
    if (Cp1251EqualNoCase(key.path, path)) return &key;
  return nullptr;
}

RegistryFile::Key& RegistryFile::AddKey(std::string_view path) {
  for (Key& key : keys_)
    if (Cp1251EqualNoCase(key.path, path)) return key;
  keys_.push_back({std::string(path), {}});
  return keys_.back();
}

std::optional<RegistryValue> RegistryFile::Read(std::string_view path,
                                                std::string_view name) const {
  const Key* key = FindKey(path);
  if (key == nullptr) return std::nullopt;
  for (const Value& v : key->values)
    if (Cp1251EqualNoCase(v.name, name)) return v.value;
  return std::nullopt;
}

void RegistryFile::Write(std::string_view path, std::string_view name, const RegistryValue& value) {
  Key& key = AddKey(path);
  for (Value& v : key.values) {
    if (Cp1251EqualNoCase(v.name, name)) {
      v.value = value;
      return;
    }
  }
  key.values.push_back({std::string(name), value});
}

bool RegistryFile::Delete(std::string_view path, std::string_view name) {
  for (Key& key : keys_) {
    if (!Cp1251EqualNoCase(key.path, path)) continue;
    for (auto it = key.values.begin(); it != key.values.end(); ++it) {
      if (Cp1251EqualNoCase(it->name, name)) {
        key.values.erase(it);
        return true;
      }
    }
  }
  return false;
}

}  // namespace qm
