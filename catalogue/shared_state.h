#pragma once
// The program-wide variables through which the window and the update worker
// share everything. Each is used by its own name; there are no accessors,
// except for the one text buffer that both threads touch.

#include <array>
#include <cstdint>
#include <mutex>

#include "catalogue/catalogue.h"
#include "catalogue/relaxed.h"

class Link;          // link/link.h
class BuiltInImage;  // update/builtin_image.h

inline constexpr int kPortNameSlot = 10;  // 9 characters and the NUL

// selectedComPort: the port-list entry the worker opens. The window may change
// it while a run is in progress, and the worker reads it at open, re-open and in
// the link-failure text, so a copy is taken under a lock: a reader never sees
// half of one name and half of another.
class PortNameBuffer {
 public:
  // Keeps at most 9 characters; a longer name is cut, never written past the buffer.
  void Set(const char* name);
  std::array<char, kPortNameSlot> Get() const;

 private:
  mutable std::mutex mutex_;
  std::array<char, kPortNameSlot> text_{};
};

// Image cursor (worker only). finEnd marks the image's end so that FileRead can
// never run past it.
extern const uint8_t* fin;
extern const uint8_t* finEnd;
extern BuiltInImage* hGLOBAL;  // the loaded image, released by CloseFile

// Painted by the window, written by the worker.
extern Relaxed<int32_t> flashStatus;  // 0 Idle, 1 Erasing, 2 Programming
extern Relaxed<int32_t> progress;     // percent of the current phase
extern Relaxed<int32_t> errCounter;
extern Relaxed<int32_t> totalErrCounter;
extern Relaxed<int32_t> elapsedTime;  // counted up by the window's timer, reset by the worker
extern Relaxed<uint32_t> fileLength;  // set by the worker at its start

// The selection: written by the window, read by the worker.
extern char selectedPLC[kModelNameSlot];
extern Relaxed<int32_t> selectedPLCIdx;
extern Relaxed<uint16_t> selectedPLCID;
extern PortNameBuffer selectedComPort;

// Window only.
extern int32_t isFileChosed;
extern int32_t totalComPort;
extern int32_t ComSelidx;

// Worker only.
extern Link* hSerial;  // null: the link could not be opened
extern uint8_t KQ_fu_version;

// Back to the state of process start; for tests.
void ResetSharedState();
