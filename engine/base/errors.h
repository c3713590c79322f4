// The system's exception classes. Every failure is an exception carrying a
// message text; DirectX failures also carry the result code and name it.
#pragma once

#include <stdexcept>
#include <string>

#include "engine/base/types.h"

using HRESULT = i32;

struct TDXErrorName {
  u32 Code;
  char Name[40];
};

extern const TDXErrorName DXErrorNames[254];

// Name of the first row holding code; "???" when none does.
const char* GetDXErrorName(HRESULT code);

class EDirectXError : public std::runtime_error {
 public:
  // format holds one "%s" that receives the code's name.
  EDirectXError(const char* format, HRESULT code);
  explicit EDirectXError(const std::string& message);
  HRESULT Code;
};

namespace D3DFrame {
class EDirect3DError : public EDirectXError {
 public:
  using EDirectXError::EDirectXError;
};
class ECreate3DDeviceError : public EDirect3DError {
 public:
  using EDirect3DError::EDirect3DError;
};
class EDirectDrawError : public EDirectXError {
 public:
  using EDirectXError::EDirectXError;
};
}  // namespace D3DFrame

namespace DSFrame {
class EDirectSoundError : public EDirectXError {
 public:
  using EDirectXError::EDirectXError;
};
}  // namespace DSFrame

namespace DPFrame {
class EDirectPlayError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
}  // namespace DPFrame

namespace Gfx {
class EGraphicsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
}  // namespace Gfx

class EAudioStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace Base {
// Failures of stream reading and writing.
class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class EReadError : public EStreamError {
 public:
  EReadError() : EStreamError("Stream read error.") {}
  explicit EReadError(const std::string& message) : EStreamError(message) {}
};
class EWriteError : public EStreamError {
 public:
  EWriteError() : EStreamError("Stream write error.") {}
  explicit EWriteError(const std::string& message) : EStreamError(message) {}
};
// A file that cannot be opened (or is not in its archive).
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
// A text that is not a valid number.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
}  // namespace Base

namespace Data {
class EInvalidData : public Base::EStreamError {
 public:
  EInvalidData() : Base::EStreamError("Invalid data.") {}
  // Loaders that name what was wrong ("Prototype not found.").
  explicit EInvalidData(const std::string& message) : Base::EStreamError(message) {}
};
}  // namespace Data

namespace Base {
// Inside a handler of a stream error: raises an error of the same class whose
// text is the old one followed by where (which file, which entry).
[[noreturn]] void RethrowStreamErrorWith(const std::string& where);
}  // namespace Base
