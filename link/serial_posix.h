#pragma once
// The POSIX form of the two line settings, apart from the tty so that the
// fields can be checked where a pseudo-terminal cannot show them (the kernel's
// pty keeps 8 data bits and no parity whatever it is asked).

#include <termios.h>

#include "link/link.h"

// Changes only the fields that the line settings name; the rest of `t` stays.
void ToLineSettings(termios& t, LineSettings settings);
