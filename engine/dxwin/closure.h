// Event closures: a code pointer with the object it is called on, so that the
// owner of a control reacts to its events with a method of its own.
#pragma once

namespace DXWin {

template <class... Args>
struct TClosure {
  using TCode = void (*)(void* object, Args... args);

  TCode Code = nullptr;
  void* Object = nullptr;

  // Set when the code pointer is.
  explicit operator bool() const { return Code != nullptr; }
  void operator()(Args... args) const { Code(Object, args...); }

  // The closure calling object->Method.
  template <auto Method, class T>
  static TClosure Of(T* object) {
    return {[](void* o, Args... args) { (static_cast<T*>(o)->*Method)(args...); }, object};
  }
};

}  // namespace DXWin
