#include "update/reconnect.h"

#include <cstring>
#include <initializer_list>

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"
#include "update/messages.h"

namespace {

bool SelectedIn(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (SelectedModelIs(name)) return true;
  }
  return false;
}

void CloseSerial(LinkProvider& links) {
  if (hSerial != nullptr) links.Close(hSerial);
  hSerial = nullptr;
}

}  // namespace

void ReconnectAfterErase(Operator& ui, LinkProvider& links) {
  const char* name = SelectedModelName();
  if (IsUsbModel(name)) {
    // The bootloader enumerates as a new USB device: the old handle is dead.
    const unsigned settle = SelectedIn({"TK", "TK-G", "TK26"}) ? 2 : 5;
    CloseSerial(links);
    ui.ShowMessage(msg::kReplugPrompt, msg::kCaptionInformation, MessageIcon::Information);
    ui.WaitSeconds(settle);
    hSerial = links.OpenUsb("");
    return;
  }
  if (SelectedIn({"PM7-D-V2", "PM7-D-V4", "PN7-MOB"})) {
    // These boards only enter the bootloader from a cold start.
    CloseSerial(links);
    ui.ShowMessage(msg::kPowerCyclePrompt, msg::kCaptionInformation, MessageIcon::Information);
    ui.WaitSeconds(2);
    // The operator may have picked another port meanwhile; that is the one to open.
    hSerial = links.OpenCom(selectedComPort.Get().data());
    return;
  }
  ui.WaitSeconds(1);
}
