#pragma once
// plcburn's exit status: one number for each kind of end, chosen from the
// worker's final message. The table is in exit_status.cpp; the README lists it.

enum class ExitStatus : int {
  Success = 0,            // "Firmware update is SUCCESSFUL..."
  UnknownEnd = 1,         // the run ended with a message this table does not know
  Usage = 2,              // bad command line
  ImageRefused = 3,       // built-in image too large, too small or missing; nothing sent
  LinkNotOpened = 4,      // "CANNOT open ... Port!!!"; nothing sent
  PlcRefused = 5,         // stage 1 (and the checks of stage 2) refused: no answer, RUN mode,
                          // wrong type, variant or bootloader version; nothing erased
  BootloaderSilent = 6,   // stage 2: no answer to the version read, the erase or "UPDATE"
  TransferFailed = 7,     // "Firmware update is FAILED"
  FlashWriteError = 8,    // "Flash write error, ..."
};

// The kind of end that a final message (text and caption) stands for.
ExitStatus ExitStatusForMessage(const char* text, const char* caption);

// One line per status for --help: "  0  the update succeeded".
const char* ExitStatusHelp();
