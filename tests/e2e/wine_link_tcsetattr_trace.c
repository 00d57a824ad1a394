/* Preloaded into the Wine processes by wine_link_test.py: records every
 * termios record that is set on one terminal. A Linux pseudo-terminal always
 * reports 8 data bits and no parity whatever it was given, so the character
 * size and parity that the link asked for are seen here, on their way in. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>

int tcsetattr(int fd, int action, const struct termios* t) {
  static int (*real_tcsetattr)(int, int, const struct termios*);
  if (real_tcsetattr == NULL) {
    *(void**)&real_tcsetattr = dlsym(RTLD_NEXT, "tcsetattr");
  }
  const char* tty = getenv("PLCBURN_TRACE_TTY");
  const char* log = getenv("PLCBURN_TRACE_LOG");
  struct stat opened, traced;
  if (tty != NULL && log != NULL && fstat(fd, &opened) == 0 && stat(tty, &traced) == 0 &&
      S_ISCHR(opened.st_mode) && opened.st_rdev == traced.st_rdev) {
    FILE* f = fopen(log, "a");
    if (f != NULL) {
      fprintf(f, "%o %u %u\n", (unsigned)t->c_cflag, (unsigned)cfgetispeed(t),
              (unsigned)cfgetospeed(t));
      fclose(f);
    }
  }
  return real_tcsetattr(fd, action, t);
}
