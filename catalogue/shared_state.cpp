#include "catalogue/shared_state.h"

#include <cstring>

const uint8_t* fin = nullptr;
const uint8_t* finEnd = nullptr;
BuiltInImage* hGLOBAL = nullptr;

Relaxed<int32_t> flashStatus;
Relaxed<int32_t> progress;
Relaxed<int32_t> errCounter;
Relaxed<int32_t> totalErrCounter;
Relaxed<int32_t> elapsedTime;
Relaxed<uint32_t> fileLength;

char selectedPLC[kModelNameSlot] = {};
Relaxed<int32_t> selectedPLCIdx;
Relaxed<uint16_t> selectedPLCID;
PortNameBuffer selectedComPort;

int32_t isFileChosed = 0;
int32_t totalComPort = 0;
int32_t ComSelidx = 0;

Link* hSerial = nullptr;
uint8_t KQ_fu_version = 0;

void PortNameBuffer::Set(const char* name) {
  std::array<char, kPortNameSlot> copy{};
  if (name != nullptr) {
    for (int i = 0; i < kPortNameSlot - 1 && name[i] != '\0'; ++i) copy[i] = name[i];
  }
  std::lock_guard<std::mutex> lock(mutex_);
  text_ = copy;
}

std::array<char, kPortNameSlot> PortNameBuffer::Get() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return text_;
}

void ResetSharedState() {
  fin = nullptr;
  finEnd = nullptr;
  hGLOBAL = nullptr;
  flashStatus = 0;
  progress = 0;
  errCounter = 0;
  totalErrCounter = 0;
  elapsedTime = 0;
  fileLength = 0;
  std::memset(selectedPLC, 0, sizeof selectedPLC);
  selectedPLCIdx = 0;
  selectedPLCID = 0;
  selectedComPort.Set("");
  isFileChosed = 0;
  totalComPort = 0;
  ComSelidx = 0;
  hSerial = nullptr;
  KQ_fu_version = 0;
}
