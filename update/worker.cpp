#include "update/worker.h"

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"
#include "update/image_limit.h"
#include "update/messages.h"
#include "update/stage_pass.h"

ParamStruct paramStruct;

namespace {

// Stands in for a missing operator so that a half-wired front end cannot crash
// the worker; a real front end always passes one.
class SilentOperator final : public Operator {
 public:
  void ShowMessage(const char*, const char*, MessageIcon) override {}
  void EnableStartControl(bool) override {}
  void StopElapsedTimer() override {}
  void WaitSeconds(unsigned) override {}
};

// Neither link can be opened: the run ends with the link-failure message.
class NoLinks final : public LinkProvider {
 public:
  Link* OpenCom(const char*) override { return nullptr; }
  Link* OpenUsb(const char*) override { return nullptr; }
  void Close(Link*) override {}
};

bool LoadImage(BuiltInImage* image) {
  ImageBytes bytes;
  hGLOBAL = image;
  const bool loaded = image != nullptr && image->Load(&bytes) && bytes.data != nullptr;
  if (!loaded) bytes = ImageBytes{};
  fin = bytes.data;
  finEnd = bytes.data + bytes.length;
  fileLength = bytes.length;
  return loaded;
}

// The ends before any link is open: nothing was exchanged, so only the
// elapsed time needs resetting.
unsigned EndBeforeLink(Operator& ui, const char* text) {
  ui.StopElapsedTimer();
  ui.ShowMessage(text, msg::kCaptionError, MessageIcon::Error);
  ui.EnableStartControl(true);
  elapsedTime = 0;
  CloseFile();
  return 0;
}

unsigned CleanUp(Operator& ui, LinkProvider& links) {
  elapsedTime = 0;
  flashStatus = 0;
  progress = 0;
  errCounter = 0;
  totalErrCounter = 0;
  ui.EnableStartControl(true);
  if (hSerial != nullptr) links.Close(hSerial);
  hSerial = nullptr;
  CloseFile();
  return 0;
}

}  // namespace

unsigned StartBurn(void* param) {
  static SilentOperator silentOperator;
  static NoLinks noLinks;
  const ParamStruct* given = static_cast<const ParamStruct*>(param);
  const ParamStruct none;
  if (given == nullptr) given = &none;
  Operator& ui = given->ui != nullptr ? *given->ui : silentOperator;
  LinkProvider& links = given->links != nullptr ? *given->links : noLinks;

  const bool loaded = LoadImage(given->image);
  ui.EnableStartControl(false);
  if (!loaded) return EndBeforeLink(ui, msg::kImageMissing);

  // The length is taken once here: the erase count and the block count of
  // this run both follow from it.
  const char* model = SelectedModelName();
  if (const char* refusal = ImageSizeRefusal(model, fileLength)) {
    return EndBeforeLink(ui, refusal);
  }

  const bool usb = IsUsbModel(model);
  const auto portName = selectedComPort.Get();
  hSerial = usb ? links.OpenUsb("") : links.OpenCom(portName.data());
  if (hSerial == nullptr) {
    char text[msg::kLinkFailureSlot];
    ComposeLinkFailure(text, usb ? "USB" : portName.data());
    ui.StopElapsedTimer();
    ui.ShowMessage(text, msg::kCaptionError, MessageIcon::Error);
    elapsedTime = 0;
    ui.EnableStartControl(true);
    CloseFile();
    return 0;
  }

  UpdateRun run;
  run.ui = &ui;
  run.links = &links;
  do {
    run.endFlag = true;
    for (bool& failed : run.checkFailed) failed = false;
    RunStagePass(run);
  } while (!run.endFlag);
  return CleanUp(ui, links);
}

void CloseFile() {
  // Released once per run; a second call finds nothing left to release.
  if (hGLOBAL != nullptr) hGLOBAL->Release();
  hGLOBAL = nullptr;
}
