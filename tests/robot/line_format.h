// The line format of the robot's script and transcript files, shared by the
// robot (reads scripts, writes transcripts) and the host harness (writes
// scripts, reads transcripts), so that both sides quote texts the same way.
//
// A line is fields separated by blanks. A field is a bare word or a text in
// double quotes with C escapes (\" \\ \r \n \t \xHH). Texts are UTF-8; bytes
// from 0x80 up are written as they are.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace robotfmt {

// Returns text in double quotes with every quote, backslash and control
// character escaped, so that any text fits on one line.
inline std::string quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

namespace detail {
inline int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted field starting at line[pos] == '"'; leaves pos after the
// closing quote. False on a missing closing quote or an unknown escape.
inline bool readQuoted(const std::string& line, size_t& pos, std::string& out) {
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++pos >= line.size()) return false;
    switch (line[pos]) {
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'x': {
        int high = pos + 1 < line.size() ? hexDigit(line[pos + 1]) : -1;
        int low = pos + 2 < line.size() ? hexDigit(line[pos + 2]) : -1;
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        pos += 2;
        break;
      }
      default: return false;
    }
  }
  return false;
}
}  // namespace detail

// Splits one line (without its line end) into fields, quoted ones unquoted.
// A line whose first non-blank character is '#' is a comment: no fields.
// Returns false on a malformed quoted field; fields then holds what was read.
inline bool splitFields(const std::string& line, std::vector<std::string>& fields) {
  fields.clear();
  size_t pos = 0;
  auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (true) {
    while (pos < line.size() && isBlank(line[pos])) ++pos;
    if (pos >= line.size()) return true;
    if (fields.empty() && line[pos] == '#') return true;
    std::string field;
    if (line[pos] == '"') {
      if (!detail::readQuoted(line, pos, field)) return false;
      if (pos < line.size() && !isBlank(line[pos])) return false;
    } else {
      while (pos < line.size() && !isBlank(line[pos])) field += line[pos++];
    }
    fields.push_back(field);
  }
}

}  // namespace robotfmt
