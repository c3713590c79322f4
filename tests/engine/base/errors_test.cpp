#include "engine/base/errors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(DXErrorNames, FirstMatchingRowNamesTheCode) {
  struct {
    u32 Code;
    const char* Name;
  } cases[] = {
      {0x00000000, "OK"},
      {0x8007000E, "DDERR_OUTOFMEMORY"},    // E_OUTOFMEMORY, also from DirectSound
      {0x80004005, "DDERR_GENERIC"},        // E_FAIL
      {0x80070057, "DDERR_INVALIDPARAMS"},  // E_INVALIDARG
      {0x80004001, "DDERR_UNSUPPORTED"},    // E_NOTIMPL
      {0x80070005, "DIERR_HANDLEEXISTS"},   // E_ACCESSDENIED, also DSERR_ACCESSDENIED
      {0x80040110, "DIERR_NOAGGREGATION"},  // CLASS_E_NOAGGREGATION
      {0x80004002, "DIERR_NOINTERFACE"},    // E_NOINTERFACE
      {0x00000001, "DI_BUFFEROVERFLOW"},
      {0x88760005, "DDERR_ALREADYINITIALIZED"},
      {0x887602BC, "D3DERR_BADMAJORVERSION"},
      {0x8000000A, "E_PENDING"},
      {0x12345678, "???"},
  };
  for (const auto& c : cases) EXPECT_STREQ(GetDXErrorName(static_cast<HRESULT>(c.Code)), c.Name) << std::hex << c.Code;
}

TEST(DXErrorNames, TableShape) {
  EXPECT_STREQ(DXErrorNames[0].Name, "OK");
  EXPECT_STREQ(DXErrorNames[1].Name, "DDERR_ALREADYINITIALIZED");
  EXPECT_STREQ(DXErrorNames[118].Name, "D3DERR_BADMAJORVERSION");
  EXPECT_STREQ(DXErrorNames[196].Name, "DI_BUFFEROVERFLOW");
  EXPECT_STREQ(DXErrorNames[205].Name, "DIERR_ACQUIRED");
  EXPECT_STREQ(DXErrorNames[235].Name, "E_HANDLE");
  EXPECT_STREQ(DXErrorNames[237].Name, "DSERR_ACCESSDENIED");
  EXPECT_STREQ(DXErrorNames[253].Name, "DSERR_UNSUPPORTED");
  for (const auto& row : DXErrorNames) EXPECT_LT(std::strlen(row.Name), 40u);
}

TEST(Exceptions, DirectXMessagesAndFamilies) {
  D3DFrame::EDirectDrawError dd("CreateSurface failed (%s).", static_cast<HRESULT>(0x8007000E));
  EXPECT_STREQ(dd.what(), "CreateSurface failed (DDERR_OUTOFMEMORY).");
  EXPECT_EQ(dd.Code, static_cast<HRESULT>(0x8007000E));
  D3DFrame::ECreate3DDeviceError plain(std::string("No device."));
  EXPECT_STREQ(plain.what(), "No device.");
  EXPECT_EQ(plain.Code, 0);

  // Start-up's sound fall-back catches the DirectX family; network errors are not in it.
  bool caught = false;
  try {
    throw DSFrame::EDirectSoundError("DirectSoundCreate failed (%s).", static_cast<HRESULT>(0x80004005));
  } catch (const EDirectXError& e) {
    caught = true;
    EXPECT_STREQ(e.what(), "DirectSoundCreate failed (DDERR_GENERIC).");
  }
  EXPECT_TRUE(caught);
  EXPECT_FALSE((std::is_base_of_v<EDirectXError, DPFrame::EDirectPlayError>));
  EXPECT_TRUE((std::is_base_of_v<Base::EStreamError, Data::EInvalidData>));
  EXPECT_STREQ(Data::EInvalidData().what(), "Invalid data.");
}

}  // namespace
