#include "engine/base/errors.h"

#include <cstdio>

const char* GetDXErrorName(HRESULT code) {
  for (const auto& row : DXErrorNames)
    if (row.Code == static_cast<u32>(code)) return row.Name;
  return "???";
}

namespace {

std::string FormatName(const char* format, HRESULT code) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, GetDXErrorName(code));
  return buffer;
}

}  // namespace

EDirectXError::EDirectXError(const char* format, HRESULT code)
    : std::runtime_error(FormatName(format, code)), Code(code) {}

EDirectXError::EDirectXError(const std::string& message) : std::runtime_error(message), Code(0) {}

namespace Base {

void RethrowStreamErrorWith(const std::string& where) {
  try {
    throw;
  } catch (const Data::EInvalidData& e) {
    throw Data::EInvalidData(e.what() + where);
  } catch (const EReadError& e) {
    throw EReadError(e.what() + where);
  } catch (const EWriteError& e) {
    throw EWriteError(e.what() + where);
  } catch (const EFOpenError& e) {
    throw EFOpenError(e.what() + where);
  } catch (const EFCreateError& e) {
    throw EFCreateError(e.what() + where);
  } catch (const EStreamError& e) {
    throw EStreamError(e.what() + where);
  }
}

}  // namespace Base
