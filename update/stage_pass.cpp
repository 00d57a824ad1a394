#include "update/stage_pass.h"

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"
#include "protocol/block_transfer.h"
#include "protocol/bootloader_commands.h"
#include "protocol/constants.h"
#include "protocol/runtime_commands.h"
#include "update/messages.h"
#include "update/reconnect.h"
#include "update/version_gate.h"

namespace {

void Fail(UpdateRun& run, const char* text) {
  run.ui->StopElapsedTimer();
  run.ui->ShowMessage(text, msg::kCaptionError, MessageIcon::Error);
}

// The one refusal shown before the timer stops.
void RefuseByGate(UpdateRun& run, const char* text) {
  run.ui->ShowMessage(text, msg::kCaptionError, MessageIcon::Error);
  run.ui->StopElapsedTimer();
}

bool AnyCheckFailed(const UpdateRun& run) {
  for (bool failed : run.checkFailed) {
    if (failed) return true;
  }
  return false;
}

void RunFirmwareStage(UpdateRun& run) {
  run.result = static_cast<uint8_t>(CheckID_A(hSerial));
  if (run.result != 0) return Fail(run, CheckIdFailureMessage(run.result));

  if (InVersionReadSet(selectedPLCID)) {
    KQ_fu_version = static_cast<uint8_t>(read_fu_version_A());
    if (const char* refusal = VersionGateRefusal(KQ_fu_version)) return RefuseByGate(run, refusal);
  } else {
    const VariantVerdict verdict = CheckVariant(hSerial);
    if (verdict.applies && verdict.refusal != nullptr) {
      Fail(run, verdict.refusal);
      run.checkFailed[static_cast<int>(verdict.group)] = true;
    }
  }
  if (AnyCheckFailed(run)) return;

  run.result = static_cast<uint8_t>(SendErase_A(hSerial));
  if (run.result != 0) return Fail(run, EraseFailureMessage(run.result));

  run.endFlag = false;
  ReconnectAfterErase(*run.ui, *run.links);
}

void RunBootloaderStage(UpdateRun& run) {
  run.result = CheckID_B(hSerial);
  if (run.result != 0) return Fail(run, msg::kPlcTypeWrong);

  if (InVersionReadSet(selectedPLCID)) {
    run.result = read_fu_version_B();
    if (run.result != 0) return Fail(run, msg::kNoVersionReply);
    if (const char* refusal = VersionGateRefusal(KQ_fu_version)) return RefuseByGate(run, refusal);
  }

  run.result = SendErase_B(hSerial);
  if (run.result != 0) return Fail(run, msg::kNoEraseReply);
  run.result = SendUpdate(hSerial);
  if (run.result != 0) return Fail(run, msg::kNoUpdateReply);

  run.result = SendFW(hSerial);
  const FinalMessage final = TransferResultMessage(run.result, IsUsbModel(SelectedModelName()));
  run.ui->StopElapsedTimer();
  run.ui->ShowMessage(final.text, final.caption,
                      final.isError ? MessageIcon::Error : MessageIcon::Information);
}

}  // namespace

void RunStagePass(UpdateRun& run) {
  DummyComm(hSerial);
  run.result = static_cast<uint8_t>(ConfirmComm(hSerial));
  if (run.result == plc::kReplyKindFirmware) return RunFirmwareStage(run);
  if (run.result == plc::kReplyKindBootloader) return RunBootloaderStage(run);
  Fail(run, HandshakeFailureMessage(run.result));
}
