// SQLite's reading of a URI file name, which has no call of its own: after
// "file:" the path runs to the first '?' or '#'; the query, up to a '#', is
// split at '&' and at the first '=' of each option, with %HH decoded
// afterwards (a decoded '&' or '=' is text); "%00" drops the rest of the part
// it is in; an option without a name is skipped. The strings after the path
// are taken in pairs, name and value, up to the first empty name, and the last
// "vfs" wins.
#include "uri_vfs_option.hpp"

#include <cctype>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view SCHEME = "file:";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  return std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
}

bool IsHex(const std::string& text, size_t i) {
  return i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])) != 0;
}

struct ParsedUri {
  // Where the query begins in the text: the '?' that ends the path, or the
  // text's length when there is no query.
  size_t path_end = 0;
  std::vector<std::pair<std::string, std::string>> options;
};

ParsedUri Parse(const std::string& uri) {
  enum { PATH, NAME, VALUE } state = PATH;
  ParsedUri parsed;
  parsed.path_end = uri.size();
  // The decoded text, each string ended by a NUL as SQLite writes it.
  std::string decoded;
  size_t i = SCHEME.size();
  while (i < uri.size() && uri[i] != '\0' && uri[i] != '#') {
    char c = uri[i++];
    if (c == '%' && IsHex(uri, i) && IsHex(uri, i + 1)) {
      int octet = HexValue(uri[i]) * 16 + HexValue(uri[i + 1]);
      i += 2;
      if (octet == 0) {
        while (i < uri.size() && uri[i] != '\0' && uri[i] != '#' && (state != PATH || uri[i] != '?') &&
               (state != NAME || (uri[i] != '=' && uri[i] != '&')) && (state != VALUE || uri[i] != '&')) {
          i++;
        }
        continue;
      }
      c = static_cast<char>(octet);
    } else if (state == NAME && (c == '&' || c == '=')) {
      if (decoded.back() == '\0') {
        while (i < uri.size() && uri[i] != '\0' && uri[i] != '#' && uri[i - 1] != '&') i++;
        continue;
      }
      if (c == '&') {
        decoded.push_back('\0');
      } else {
        state = VALUE;
      }
      c = '\0';
    } else if ((state == PATH && c == '?') || (state == VALUE && c == '&')) {
      if (state == PATH) parsed.path_end = i - 1;
      c = '\0';
      state = NAME;
    }
    decoded.push_back(c);
  }
  decoded.push_back('\0');
  std::vector<std::string> strings;
  for (size_t start = decoded.find('\0') + 1; start < decoded.size();) {
    size_t end = decoded.find('\0', start);
    strings.push_back(decoded.substr(start, end - start));
    start = end + 1;
  }
  for (size_t k = 0; k < strings.size() && !strings[k].empty(); k += 2) {
    parsed.options.emplace_back(strings[k], k + 1 < strings.size() ? strings[k + 1] : std::string());
  }
  return parsed;
}

// Every byte but letters and digits as %HH, which SQLite decodes to that byte.
std::string Encoded(const std::string& text) {
  static const char DIGITS[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) != 0) {
      out.push_back(static_cast<char>(c));
    } else {
      out += {'%', DIGITS[c >> 4], DIGITS[c & 15]};
    }
  }
  return out;
}

}  // namespace

std::string WithoutVfsOption(const std::string& uri) {
  if (uri.compare(0, SCHEME.size(), SCHEME) != 0) return uri;
  ParsedUri parsed = Parse(uri);
  bool names_vfs = false;
  std::string query;
  for (const auto& [name, value] : parsed.options) {
    if (name == "vfs") {
      names_vfs = true;
      continue;
    }
    query.push_back(query.empty() ? '?' : '&');
    query.append(Encoded(name)).append("=").append(Encoded(value));
  }
  if (!names_vfs) return uri;
  return uri.substr(0, parsed.path_end) + query;
}
