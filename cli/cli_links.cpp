#include "cli/cli_links.h"

#include "link/os_links.h"

Link* CliLinks::Wrap(Link* link, const std::string& path) {
  if (transcript_ == nullptr) return link;
  transcript_->Event(link != nullptr ? "OPEN" : "OPEN-FAILED", path.c_str());
  return link != nullptr ? new RecordingLink(link, transcript_) : nullptr;
}

Link* CliLinks::OpenCom(const char* portName) {
  const std::string path = portPath_.empty() ? std::string(portName) : portPath_;
  return Wrap(OpenComLink(path.c_str()), path);
}

Link* CliLinks::OpenUsb(const char* suffix) {
  if (Link* link = OpenMyDevPipe(suffix)) return Wrap(link, "USB");
  if (portPath_.empty()) return Wrap(nullptr, "USB");
  return Wrap(OpenComLink(portPath_.c_str()), portPath_);
}

void CliLinks::Close(Link* link) {
  if (link == nullptr) return;
  if (transcript_ != nullptr) {
    auto* recording = static_cast<RecordingLink*>(link);
    transcript_->Event("CLOSE", "");
    CloseLink(recording->inner());
    delete recording;
    return;
  }
  CloseLink(link);
}
