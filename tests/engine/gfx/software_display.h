// A display framework on the software display for one test: windowed with
// a back buffer of the given size, on the fabricated machine in the 5-6-5
// or the 5-5-5 layout. It is D3DFramework while it lives.
#pragma once

#include <memory>

#include "engine/d3dframe/d3dframe.h"
#include "engine/platform/display/display.h"

namespace TestSupport {

class TSoftwareDisplay {
 public:
  TSoftwareDisplay(int width, int height, bool screen555 = false, u32 flags = D3DFrame::fwDirect3D)
      : SavedFramework(D3DFramework) {
    Plat::DisplayMachine() = Plat::FabricatedMachine(screen555);
    Framework = std::make_unique<D3DFrame::TD3DFramework>(nullptr, "Test", flags, 800, 600, 16, nullptr);
    D3DFramework = Framework.get();
    const Plat::TRect client{0, 0, width, height};
    Framework->InitializeWindowed(-1, -1, &client);
  }
  ~TSoftwareDisplay() {
    D3DFramework = SavedFramework;
    Framework.reset();
    Plat::DisplayMachine() = Plat::FabricatedMachine();
  }
  TSoftwareDisplay(const TSoftwareDisplay&) = delete;
  TSoftwareDisplay& operator=(const TSoftwareDisplay&) = delete;

  D3DFrame::TD3DFramework& operator*() const { return *Framework; }
  D3DFrame::TD3DFramework* operator->() const { return Framework.get(); }

 private:
  D3DFrame::TD3DFramework* SavedFramework;
  std::unique_ptr<D3DFrame::TD3DFramework> Framework;
};

}  // namespace TestSupport
