// Vocabulary of the network transport: player IDs, GUIDs, the session
// description, result codes, system message codes and flags. Codes and flags
// keep their classic numbers because the game compares against them.
#pragma once

#include "engine/platform/system/guid.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace Plat {

using HRESULT = std::int32_t;
using DPID = std::uint32_t;

struct DPNAME {
  std::uint32_t dwSize = 16;
  std::uint32_t dwFlags = 0;
  std::string ShortName;  // empty when none was given
  std::string LongName;
};

// A session as it is enumerated, hosted and replicated. The name and the
// password are absent, not empty, when a session has none.
struct DPSESSIONDESC2 {
  std::uint32_t dwSize = 80;
  std::uint32_t dwFlags = 0;
  TGuid guidInstance;
  TGuid guidApplication;
  std::uint32_t dwMaxPlayers = 0;
  std::uint32_t dwCurrentPlayers = 0;
  std::optional<std::string> lpszSessionName;
  std::optional<std::string> lpszPassword;
  std::uint32_t dwReserved1 = 0;
  std::uint32_t dwReserved2 = 0;
  std::uint32_t dwUser1 = 0;
  std::uint32_t dwUser2 = 0;
  std::uint32_t dwUser3 = 0;
  std::uint32_t dwUser4 = 0;
};

// One element of a compound address.
struct DPCOMPOUNDADDRESSELEMENT {
  TGuid guidDataType;
  std::uint32_t dwDataSize = 0;
  const void* lpData = nullptr;
};

constexpr DPID DPID_SYSMSG = 0;
constexpr DPID DPID_ALLPLAYERS = 0;

// Result codes.
constexpr HRESULT MakeDPResult(std::uint32_t code) { return static_cast<HRESULT>(0x88770000u + code); }
constexpr HRESULT DP_OK = 0;
constexpr HRESULT DPERR_ALREADYINITIALIZED = MakeDPResult(5);
constexpr HRESULT DPERR_ACCESSDENIED = MakeDPResult(10);
constexpr HRESULT DPERR_ACTIVEPLAYERS = MakeDPResult(20);
constexpr HRESULT DPERR_BUFFERTOOSMALL = MakeDPResult(30);
constexpr HRESULT DPERR_CANTADDPLAYER = MakeDPResult(40);
constexpr HRESULT DPERR_CANTCREATEGROUP = MakeDPResult(50);
constexpr HRESULT DPERR_CANTCREATEPLAYER = MakeDPResult(60);
constexpr HRESULT DPERR_CANTCREATESESSION = MakeDPResult(70);
constexpr HRESULT DPERR_CAPSNOTAVAILABLEYET = MakeDPResult(80);
constexpr HRESULT DPERR_EXCEPTION = MakeDPResult(90);
constexpr HRESULT DPERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DPERR_INVALIDFLAGS = MakeDPResult(120);
constexpr HRESULT DPERR_INVALIDOBJECT = MakeDPResult(130);
constexpr HRESULT DPERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DPERR_INVALIDPLAYER = MakeDPResult(150);
constexpr HRESULT DPERR_INVALIDGROUP = MakeDPResult(155);
constexpr HRESULT DPERR_NOCAPS = MakeDPResult(160);
constexpr HRESULT DPERR_NOCONNECTION = MakeDPResult(170);
constexpr HRESULT DPERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DPERR_NOMESSAGES = MakeDPResult(190);
constexpr HRESULT DPERR_NONAMESERVERFOUND = MakeDPResult(200);
constexpr HRESULT DPERR_NOPLAYERS = MakeDPResult(210);
constexpr HRESULT DPERR_NOSESSIONS = MakeDPResult(220);
constexpr HRESULT DPERR_PENDING = static_cast<HRESULT>(0x8000000Au);
constexpr HRESULT DPERR_SENDTOOBIG = MakeDPResult(230);
constexpr HRESULT DPERR_TIMEOUT = MakeDPResult(240);
constexpr HRESULT DPERR_UNAVAILABLE = MakeDPResult(250);
constexpr HRESULT DPERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DPERR_BUSY = MakeDPResult(270);
constexpr HRESULT DPERR_USERCANCEL = MakeDPResult(280);
constexpr HRESULT DPERR_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT DPERR_CANNOTCREATESERVER = MakeDPResult(290);
constexpr HRESULT DPERR_PLAYERLOST = MakeDPResult(300);
constexpr HRESULT DPERR_SESSIONLOST = MakeDPResult(310);
constexpr HRESULT DPERR_UNINITIALIZED = MakeDPResult(320);
constexpr HRESULT DPERR_NONEWPLAYERS = MakeDPResult(330);
constexpr HRESULT DPERR_INVALIDPASSWORD = MakeDPResult(340);
constexpr HRESULT DPERR_CONNECTING = MakeDPResult(350);
constexpr HRESULT DPERR_CONNECTIONLOST = MakeDPResult(360);
constexpr HRESULT DPERR_UNKNOWNMESSAGE = MakeDPResult(370);
constexpr HRESULT DPERR_CANCELFAILED = MakeDPResult(380);
constexpr HRESULT DPERR_INVALIDPRIORITY = MakeDPResult(390);
constexpr HRESULT DPERR_NOTHANDLED = MakeDPResult(400);
constexpr HRESULT DPERR_CANCELLED = MakeDPResult(410);
constexpr HRESULT DPERR_ABORTED = MakeDPResult(420);
constexpr HRESULT DPERR_BUFFERTOOLARGE = MakeDPResult(1000);
constexpr HRESULT DPERR_CANTCREATEPROCESS = MakeDPResult(1010);
constexpr HRESULT DPERR_APPNOTSTARTED = MakeDPResult(1020);
constexpr HRESULT DPERR_INVALIDINTERFACE = MakeDPResult(1030);
constexpr HRESULT DPERR_NOSERVICEPROVIDER = MakeDPResult(1040);
constexpr HRESULT DPERR_UNKNOWNAPPLICATION = MakeDPResult(1050);
constexpr HRESULT DPERR_NOTLOBBIED = MakeDPResult(1070);
constexpr HRESULT DPERR_SERVICEPROVIDERLOADED = MakeDPResult(1080);
constexpr HRESULT DPERR_ALREADYREGISTERED = MakeDPResult(1090);
constexpr HRESULT DPERR_NOTREGISTERED = MakeDPResult(1100);
constexpr HRESULT DPERR_AUTHENTICATIONFAILED = MakeDPResult(2000);
constexpr HRESULT DPERR_CANTLOADSSPI = MakeDPResult(2010);
constexpr HRESULT DPERR_ENCRYPTIONFAILED = MakeDPResult(2020);
constexpr HRESULT DPERR_SIGNFAILED = MakeDPResult(2030);
constexpr HRESULT DPERR_CANTLOADSECURITYPACKAGE = MakeDPResult(2040);
constexpr HRESULT DPERR_ENCRYPTIONNOTSUPPORTED = MakeDPResult(2050);
constexpr HRESULT DPERR_CANTLOADCAPI = MakeDPResult(2060);
constexpr HRESULT DPERR_NOTLOGGEDIN = MakeDPResult(2070);
constexpr HRESULT DPERR_LOGONDENIED = MakeDPResult(2080);

// System messages (sender DPID_SYSMSG); the first u32 of each is its code.
// Layouts, little-endian u32 words: 3 and 5 {code, player type, player ID};
// 0x102 {code, player type, player ID, data size}; 0x31 and 0x101 {code}.
constexpr std::uint32_t DPSYS_CREATEPLAYERORGROUP = 0x0003;
constexpr std::uint32_t DPSYS_DESTROYPLAYERORGROUP = 0x0005;
constexpr std::uint32_t DPSYS_SESSIONLOST = 0x0031;
constexpr std::uint32_t DPSYS_HOST = 0x0101;
constexpr std::uint32_t DPSYS_SETPLAYERORGROUPDATA = 0x0102;

constexpr std::uint32_t DPPLAYERTYPE_PLAYER = 1;

// Flags.
constexpr std::uint32_t DPSEND_GUARANTEED = 0x1;
constexpr std::uint32_t DPRECEIVE_ALL = 0x1;
constexpr std::uint32_t DPRECEIVE_TOPLAYER = 0x2;
constexpr std::uint32_t DPRECEIVE_FROMPLAYER = 0x4;
constexpr std::uint32_t DPRECEIVE_PEEK = 0x8;
constexpr std::uint32_t DPOPEN_JOIN = 0x1;
constexpr std::uint32_t DPOPEN_CREATE = 0x2;
constexpr std::uint32_t DPENUMSESSIONS_AVAILABLE = 0x1;
constexpr std::uint32_t DPESC_TIMEDOUT = 0x1;
constexpr std::uint32_t DPENUMPLAYERS_LOCAL = 0x8;
constexpr std::uint32_t DPENUMPLAYERS_REMOTE = 0x10;
constexpr std::uint32_t DPSET_LOCAL = 0x1;
constexpr std::uint32_t DPSET_GUARANTEED = 0x4;
constexpr std::uint32_t DPGET_LOCAL = 0x1;
constexpr std::uint32_t DPSESSION_NEWPLAYERSDISABLED = 0x1;
constexpr std::uint32_t DPSESSION_MIGRATEHOST = 0x4;
constexpr std::uint32_t DPSESSION_JOINDISABLED = 0x20;
constexpr std::uint32_t DPSESSION_KEEPALIVE = 0x40;
constexpr std::uint32_t DPSESSION_DIRECTPLAYPROTOCOL = 0x2000;

// Service providers and address elements of this platform. The values are
// our own; only their identity matters.
constexpr TGuid DPSPGUID_TCPIP{{0x4F, 0x52, 0x56, 0x4E, 0x54, 0x43, 0x50, 0x49, 0x50, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};
constexpr TGuid DPSPGUID_IPX{{0x4F, 0x52, 0x56, 0x4E, 0x49, 0x50, 0x58, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02}};
constexpr TGuid DPSPGUID_LOOPBACK{{0x4F, 0x52, 0x56, 0x4E, 0x4C, 0x4F, 0x4F, 0x50, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03}};
constexpr TGuid DPAID_ServiceProvider{{0x4F, 0x52, 0x56, 0x41, 0x53, 0x50, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};
// The host string, zero-terminated: "host" or "host:port". For a client it
// is where enumeration asks (empty: the configured target, by default a
// broadcast); for a host it is the local address to serve on.
constexpr TGuid DPAID_INet{{0x4F, 0x52, 0x56, 0x41, 0x49, 0x4E, 0x45, 0x54, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02}};

}  // namespace Plat
