// A control that holds child controls: drawn first to last (later children
// lie on top), given input last to first.
#pragma once

#include "engine/data/object_list.h"
#include "engine/dxwin/control.h"

namespace DXWin {

class TDXGroup : public TDXControl {
 public:
  TDXGroup(TDXGroup* owner, TDXWindow* window, u32 flags) : TDXControl(owner, window, flags) {}
  ~TDXGroup() override;

  void Draw(Plat::TSurface* surface, const Base::TRect& rect) override;
  void HandleMessage(Plat::UINT& msg, Plat::WPARAM& wParam, Plat::LPARAM& lParam, bool& handled) override;
  void Update() override;
  void RemoveFromTabOrder() override;
  void AddToTabOrder() override;
  // A group of width or height 0 neither clips its children nor catches the pointer.
  TDXControl* ControlAt(int x, int y) override;

  void AddControl(TDXControl* control);
  // Takes the control out without deleting it.
  void RemoveControl(TDXControl* control);

  // Owned; null entries allowed.
  Data::TObjectList<TDXControl> Children{true};

 protected:
  // Deletes every child; a window does so while its own parts still stand.
  void DeleteChildren();
};

}  // namespace DXWin
