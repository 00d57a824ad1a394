#include "link/os_links.h"

namespace {

class OsLinks final : public LinkProvider {
 public:
  Link* OpenCom(const char* portName) override { return OpenComLink(portName); }
  Link* OpenUsb(const char* suffix) override { return OpenMyDevPipe(suffix); }
  void Close(Link* link) override { CloseLink(link); }
};

}  // namespace

LinkProvider& OsLinkProvider() {
  static OsLinks links;
  return links;
}
