#include "a_log.h"

#include <cstdarg>
#include <cstdio>

#include "platform.h"

void WriteLog(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (length < 0) return;
  if (length >= static_cast<int>(sizeof text)) length = sizeof text - 1;

  // The log is a text file in the Windows sense: "\n" is stored as CR LF.
  // Binary mode and an explicit CR give the same bytes on every platform.
  char line[2 * sizeof text + 2];
  int n = 0;
  for (int i = 0; i < length; ++i) {
    if (text[i] == '\n') line[n++] = '\r';
    line[n++] = text[i];
  }
  line[n++] = '\r';
  line[n++] = '\n';

  plat::Stream* log = plat::StreamOpen("log.txt", "ab");
  if (log == nullptr) return;
  plat::StreamWrite(log, line, static_cast<size_t>(n));
  plat::StreamClose(log);
}
