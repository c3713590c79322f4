#include "engine/platform/window/sdl_platform.h"

#include <SDL.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <stdexcept>

#include "engine/platform/system/modules.h"
#include "engine/platform/display/present_rows.h"
#include "engine/platform/system/text.h"

namespace Plat {

namespace {

volatile std::sig_atomic_t terminateSignal = 0;

extern "C" void OnTerminateSignal(int) { terminateSignal = 1; }

struct TSdlWindow {
  SDL_Window* Window = nullptr;
  SDL_Renderer* Renderer = nullptr;
  SDL_Texture* Texture = nullptr;
  int TextureW = 0, TextureH = 0;
  bool Expand = false;  // texture in 32 bits, converted by ExpandRowsRGB565
  bool Fullscreen = false;
};

TSdlWindow* Sdl(TWindow& w) { return static_cast<TSdlWindow*>(w.Backend); }

// Full screen takes effect only on a shown window, so it is applied again
// whenever the window appears.
void ApplyFullscreen(TSdlWindow* s) {
  if (SDL_GetWindowFlags(s->Window) & SDL_WINDOW_HIDDEN) return;
  if (s->Fullscreen) {
    // Without a window manager the desktop mode does not resize the window
    // by itself, so it is given the desktop's size first.
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(SDL_GetWindowDisplayIndex(s->Window), &desktop) == 0) {
      SDL_SetWindowPosition(s->Window, 0, 0);
      SDL_SetWindowSize(s->Window, desktop.w, desktop.h);
    }
  }
  SDL_SetWindowFullscreen(s->Window, s->Fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

}  // namespace

struct TSdlPlatform::TImpl {
  Uint32 WakeEvent = 0;
  bool MouseDown[3] = {false, false, false};
  TPoint Mouse;  // client coordinates of the last mouse event
};

TSdlPlatform::TSdlPlatform() : Impl(std::make_unique<TImpl>()) {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
    throw std::runtime_error(std::string("SDL video could not start (") + SDL_GetError() + ").");
  Impl->WakeEvent = SDL_RegisterEvents(1);
  std::signal(SIGINT, OnTerminateSignal);
  std::signal(SIGTERM, OnTerminateSignal);
  SDL_StartTextInput();
}

TSdlPlatform::~TSdlPlatform() {
  while (!Windows.empty()) {
    BackendWindowDestroyed(*Windows.back());
    Windows.pop_back();
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

bool TSdlPlatform::BackendWindowCreated(TWindow& w) {
  auto* s = new TSdlWindow;
  TRect client = ClientScreenRect(w);
  s->Window = SDL_CreateWindow(Cp1252ToUtf8(w.Title).c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               std::max(client.Width(), 1), std::max(client.Height(), 1), SDL_WINDOW_HIDDEN);
  if (!s->Window) {
    SetLastErrorText(SDL_GetError());
    delete s;
    return false;
  }
  s->Renderer = SDL_CreateRenderer(s->Window, -1, 0);
  if (!s->Renderer) s->Renderer = SDL_CreateRenderer(s->Window, -1, SDL_RENDERER_SOFTWARE);
  w.Backend = s;
  return true;
}

void TSdlPlatform::BackendWindowChanged(TWindow& w) {
  TSdlWindow* s = Sdl(w);
  if (!s) return;
  SDL_SetWindowBordered(s->Window, (w.Style & WS_CAPTION) == WS_CAPTION ? SDL_TRUE : SDL_FALSE);
  if (!s->Fullscreen && w.Visible && !w.Minimized) {
    TRect client = ClientScreenRect(w);
    if (client.Width() > 0 && client.Height() > 0) {
      SDL_SetWindowSize(s->Window, client.Width(), client.Height());
      SDL_SetWindowPosition(s->Window, client.Left, client.Top);
    }
  }
  TMinMaxInfo limits{};
  SendMessage(reinterpret_cast<HWND>(&w), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  if (limits.MinTrackSize.X > 0 && limits.MinTrackSize.Y > 0)
    SDL_SetWindowMinimumSize(s->Window, limits.MinTrackSize.X, limits.MinTrackSize.Y);
  Uint32 flags = SDL_GetWindowFlags(s->Window);
  if (!w.Visible) {
    SDL_HideWindow(s->Window);
  } else {
    if (flags & SDL_WINDOW_HIDDEN) {
      SDL_ShowWindow(s->Window);
      ApplyFullscreen(s);
    }
    if (w.Minimized && !(flags & SDL_WINDOW_MINIMIZED)) SDL_MinimizeWindow(s->Window);
    if (!w.Minimized && (flags & SDL_WINDOW_MINIMIZED)) SDL_RestoreWindow(s->Window);
  }
}

void TSdlPlatform::BackendWindowDestroyed(TWindow& w) {
  TSdlWindow* s = Sdl(w);
  if (!s) return;
  if (s->Texture) SDL_DestroyTexture(s->Texture);
  if (s->Renderer) SDL_DestroyRenderer(s->Renderer);
  SDL_DestroyWindow(s->Window);
  delete s;
  w.Backend = nullptr;
}

void TSdlPlatform::SetVideoMode(HWND hWnd, bool fullscreen, int width, int height) {
  TWindow* w = Window(hWnd);
  if (!w || !Sdl(*w)) return;
  TSdlWindow* s = Sdl(*w);
  PictureWidth = width;
  PictureHeight = height;
  s->Fullscreen = fullscreen;
  ApplyFullscreen(s);
  if (!fullscreen) SDL_SetWindowSize(s->Window, width, height);
  if (s->Renderer) SDL_RenderSetLogicalSize(s->Renderer, width, height);
}

void TSdlPlatform::Present(HWND hWnd, const std::uint16_t* pixels, int pitchBytes, int width, int height) {
  TWindow* w = Window(hWnd);
  if (!w || !Sdl(*w) || !Sdl(*w)->Renderer) return;
  TSdlWindow* s = Sdl(*w);
  if (!s->Texture || s->TextureW != width || s->TextureH != height) {
    if (s->Texture) SDL_DestroyTexture(s->Texture);
    // A 32-bit window gets a texture of its own layout, filled by our
    // conversion, so that showing it is a plain copy.
    const Uint32 windowFormat = SDL_GetWindowPixelFormat(s->Window);
    s->Expand = windowFormat == SDL_PIXELFORMAT_RGB888 || windowFormat == SDL_PIXELFORMAT_ARGB8888;
    s->Texture = SDL_CreateTexture(s->Renderer, s->Expand ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565,
                                   SDL_TEXTUREACCESS_STREAMING, width, height);
    s->TextureW = width;
    s->TextureH = height;
    if (!s->Texture) return;
  }
  if (s->Expand) {
    void* texels = nullptr;
    int texelPitch = 0;
    if (SDL_LockTexture(s->Texture, nullptr, &texels, &texelPitch) != 0) return;  // this frame is not shown
    ExpandRowsRGB565(pixels, pitchBytes, static_cast<std::uint32_t*>(texels), texelPitch, width, height);
    SDL_UnlockTexture(s->Texture);
  } else {
    SDL_UpdateTexture(s->Texture, nullptr, pixels, pitchBytes);
  }
  SDL_SetRenderDrawColor(s->Renderer, 0, 0, 0, 255);
  SDL_RenderClear(s->Renderer);
  SDL_RenderCopy(s->Renderer, s->Texture, nullptr, nullptr);
  SDL_RenderPresent(s->Renderer);
}

void TSdlPlatform::Wake() {
  SDL_Event e{};
  e.type = Impl->WakeEvent;
  SDL_PushEvent(&e);
}

void TSdlPlatform::BackendCursorVisible(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

void TSdlPlatform::BackendCursorPos(TPoint screen) {
  if (Windows.empty()) return;
  TWindow& w = *Windows.front();
  TSdlWindow* s = Sdl(w);
  if (!s) return;
  TPoint client = ScreenToClient(reinterpret_cast<HWND>(&w), screen);
  // The pointer is kept in logical coordinates; the window may be scaled.
  int ww = 0, wh = 0;
  SDL_GetWindowSize(s->Window, &ww, &wh);
  int lw = 0, lh = 0;
  if (s->Renderer) SDL_RenderGetLogicalSize(s->Renderer, &lw, &lh);
  if (lw > 0 && lh > 0 && ww > 0 && wh > 0) {
    float scale = std::min(static_cast<float>(ww) / lw, static_cast<float>(wh) / lh);
    int ox = static_cast<int>((ww - lw * scale) / 2), oy = static_cast<int>((wh - lh * scale) / 2);
    SDL_WarpMouseInWindow(s->Window, ox + static_cast<int>(client.X * scale), oy + static_cast<int>(client.Y * scale));
  } else {
    SDL_WarpMouseInWindow(s->Window, client.X, client.Y);
  }
}

int TSdlPlatform::BackendMessageBox(const std::string& text, const std::string& caption, UINT flags) {
  SDL_Window* parent = nullptr;
  if (!Windows.empty() && Sdl(*Windows.front())) parent = Sdl(*Windows.front())->Window;
  Uint32 kind = (flags & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  if (SDL_ShowSimpleMessageBox(kind, Cp1252ToUtf8(caption).c_str(), Cp1252ToUtf8(text).c_str(), parent) != 0)
    return TPlatform::BackendMessageBox(text, caption, flags);
  return 1;
}

namespace {

LPARAM KeyLParam(const SDL_KeyboardEvent& k, bool up) {
  LPARAM l = 1 | (static_cast<LPARAM>(k.keysym.scancode & 0xFF) << 16);
  if (k.keysym.mod & KMOD_ALT) l |= KF_ALTDOWN_BIT;
  if (k.repeat || up) l |= KF_REPEAT_BIT;
  if (up) l |= static_cast<LPARAM>(1u << 31);
  return static_cast<LPARAM>(static_cast<std::uint32_t>(l));
}

// Mouse buttons by index: left, middle, right.
constexpr UINT downMsg[3] = {WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN};
constexpr UINT upMsg[3] = {WM_LBUTTONUP, WM_MBUTTONUP, WM_RBUTTONUP};
constexpr UINT dblMsg[3] = {WM_LBUTTONDBLCLK, WM_MBUTTONDBLCLK, WM_RBUTTONDBLCLK};

WPARAM MouseKeyFlags(const bool down[3]) {
  WPARAM f = 0;
  if (down[0]) f |= MK_LBUTTON;
  if (down[1]) f |= MK_MBUTTON;
  if (down[2]) f |= MK_RBUTTON;
  SDL_Keymod mod = SDL_GetModState();
  if (mod & KMOD_SHIFT) f |= MK_SHIFT;
  if (mod & KMOD_CTRL) f |= MK_CONTROL;
  return f;
}

}  // namespace

void TSdlPlatform::PumpEvents(bool wait) {
  if (terminateSignal) {
    terminateSignal = 0;
    RequestTerminate();
  }
  if (Windows.empty()) {
    if (wait) SDL_Delay(10);
    return;
  }
  HWND hWnd = reinterpret_cast<HWND>(Windows.front().get());
  TWindow& win = *Windows.front();
  SDL_Event e;
  bool got = wait ? SDL_WaitEventTimeout(&e, 100) != 0 : SDL_PollEvent(&e) != 0;
  while (got) {
    switch (e.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        bool up = e.type == SDL_KEYUP;
        WPARAM vk = VirtualKeyOfSdlKey(e.key.keysym.sym, (e.key.keysym.mod & KMOD_NUM) != 0);
        if (vk == 0) break;
        bool alt = (e.key.keysym.mod & KMOD_ALT) != 0 || vk == VK_MENU;
        UINT msg = up ? (alt ? WM_SYSKEYUP : WM_KEYUP) : (alt ? WM_SYSKEYDOWN : WM_KEYDOWN);
        Queue.Post({hWnd, msg, vk, KeyLParam(e.key, up)});
        break;
      }
      case SDL_TEXTINPUT: {
        for (char c : Utf8ToCp1252(e.text.text))
          Queue.Post({hWnd, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1});
        break;
      }
      case SDL_MOUSEMOTION: {
        Impl->Mouse = ClampToPicture({e.motion.x, e.motion.y});
        CursorPos = ClientToScreen(hWnd, Impl->Mouse);
        Queue.Post({hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hWnd), MakeLParam(HTCLIENT, WM_MOUSEMOVE)});
        Queue.Post({hWnd, WM_MOUSEMOVE, MouseKeyFlags(Impl->MouseDown), MakeLParam(Impl->Mouse.X, Impl->Mouse.Y)});
        break;
      }
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        int index = e.button.button == SDL_BUTTON_LEFT ? 0 : e.button.button == SDL_BUTTON_MIDDLE ? 1
                    : e.button.button == SDL_BUTTON_RIGHT ? 2 : -1;
        if (index < 0) break;
        bool down = e.type == SDL_MOUSEBUTTONDOWN;
        Impl->MouseDown[index] = down;
        Impl->Mouse = ClampToPicture({e.button.x, e.button.y});
        CursorPos = ClientToScreen(hWnd, Impl->Mouse);
        UINT msg = !down ? upMsg[index] : (e.button.clicks == 2 ? dblMsg[index] : downMsg[index]);
        Queue.Post({hWnd, msg, MouseKeyFlags(Impl->MouseDown), MakeLParam(Impl->Mouse.X, Impl->Mouse.Y)});
        break;
      }
      case SDL_MOUSEWHEEL: {
        int delta = e.wheel.y * WHEEL_DELTA;
        WPARAM w = MouseKeyFlags(Impl->MouseDown) | (static_cast<WPARAM>(static_cast<std::uint16_t>(delta)) << 16);
        Queue.Post({hWnd, WM_MOUSEWHEEL, w, MakeLParam(CursorPos.X, CursorPos.Y)});
        break;
      }
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_FOCUS_GAINED:
            ActiveWindow = hWnd;
            Queue.Post({hWnd, WM_ACTIVATEAPP, 1, 0});
            Queue.Post({hWnd, WM_ACTIVATE, WA_ACTIVE, 0});
            break;
          case SDL_WINDOWEVENT_FOCUS_LOST:
            // SDL releases held keys itself but not the mouse buttons: a
            // press that lost the focus ends where the pointer was.
            for (int i = 0; i < 3; ++i)
              if (Impl->MouseDown[i]) {
                Impl->MouseDown[i] = false;
                Queue.Post({hWnd, upMsg[i], MouseKeyFlags(Impl->MouseDown), MakeLParam(Impl->Mouse.X, Impl->Mouse.Y)});
              }
            ActiveWindow = nullptr;
            Queue.Post({hWnd, WM_ACTIVATE, WA_INACTIVE | (win.Minimized ? 0x10000u : 0u), 0});
            Queue.Post({hWnd, WM_ACTIVATEAPP, 0, 0});
            break;
          case SDL_WINDOWEVENT_MINIMIZED:
            win.Minimized = true;
            Queue.Post({hWnd, WM_SIZE, SIZE_MINIMIZED, 0});
            break;
          case SDL_WINDOWEVENT_RESTORED: {
            win.Minimized = false;
            TRect c = GetClientRect(hWnd);
            Queue.Post({hWnd, WM_SIZE, SIZE_RESTORED, MakeLParam(c.Width(), c.Height())});
            break;
          }
          case SDL_WINDOWEVENT_CLOSE:
            Queue.Post({hWnd, WM_CLOSE, 0, 0});
            break;
          default:
            break;
        }
        break;
      case SDL_QUIT:
        RequestTerminate();
        break;
      default:
        break;
    }
    got = SDL_PollEvent(&e) != 0;
  }
}

}  // namespace Plat
