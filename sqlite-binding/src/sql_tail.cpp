#include "sql_tail.hpp"

bool TailHasNoStatement(const char* tail) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(tail);
  for (;;) {
    unsigned char c = *p;
    if (c == 0) return true;
    if (c == ' ' || c == ';' || (c >= 9 && c <= 13)) {
      p++;
    } else if (c == '-' && p[1] == '-') {
      p += 2;
      while (*p != '\n') {
        if (*p == 0) return true;
        p++;
      }
      p++;
    } else if (c == '/' && p[1] == '*') {
      p += 2;
      while (!(p[0] == '*' && p[1] == '/')) {
        if (*p == 0) return true;  // a comment left open at the end is accepted
        p++;
      }
      p += 2;
    } else {
      return false;
    }
  }
}
