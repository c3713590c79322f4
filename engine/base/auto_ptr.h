// An owning pointer that deletes its object.
#pragma once

#include <memory>

namespace Base {

template <class T>
using AutoPtr = std::unique_ptr<T>;

}  // namespace Base
