#include "tools/demodata/art/demo_fighters.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/databuilder/sprite_builder.h"
#include "world/data2/prototypes.h"
#include "world/units/group.h"

namespace Builder {

namespace {

using namespace GameData;

// Model space: X forward, Y to the figure's right, Z up, in pixels, the feet
// at the origin.
struct TVec {
  f32 X = 0, Y = 0, Z = 0;
};
TVec operator+(TVec a, TVec b) { return {a.X + b.X, a.Y + b.Y, a.Z + b.Z}; }
TVec operator*(TVec a, f32 k) { return {a.X * k, a.Y * k, a.Z * k}; }

// A rounded limb from A to B (a ball where they meet). Upper parts lean and
// bob with the body; the legs stay on the ground.
struct TPart {
  TVec A, B;
  f32 R;
  u32 Rgb;
  bool Upper;
};

enum class TWeapon { Sword, Staff, Spear };

struct TLook {
  bool Beast = false, Bony = false, Shield = false;
  u32 Body = 0, Limbs = 0, Head = 0, Hands = 0, Hat = 0, Eyes = 0x1A1010;
  TWeapon Weapon = TWeapon::Sword;
  u32 Glow = 0xFFFFFF;
};

// 1 knight, 2 sorceress, 3 wolf, 4 skeleton, 5 spearman.
TLook LookOf(u32 prototype) {
  TLook l;
  constexpr u32 skin = 0xE8B890, bone = 0xE6E0C8;
  switch (prototype) {
    case 1: l.Body = 0x3D63B8, l.Limbs = 0x8C9098, l.Head = 0xA8B0BC, l.Hands = 0x8C9098, l.Shield = true; break;
    case 2:
      l.Body = 0x7A3FA8, l.Limbs = 0x5A2E80, l.Head = skin, l.Hands = skin, l.Hat = 0x40206A;
      l.Weapon = TWeapon::Staff, l.Glow = 0x60E0FF;
      break;
    case 3: l.Beast = true, l.Body = 0x8C8478, l.Head = 0x8C8478, l.Eyes = 0xF0C030; break;
    case 4:
      l.Bony = true, l.Body = l.Limbs = l.Head = l.Hands = bone, l.Eyes = 0x401010, l.Glow = 0xB070FF;
      break;
    default:
      l.Body = 0x5E7E34, l.Limbs = 0x6A5030, l.Head = skin, l.Hands = skin, l.Hat = 0x8A6438;
      l.Weapon = TWeapon::Spear, l.Glow = 0x90FF90;
      break;
  }
  return l;
}

// How a figure stands in one frame.
struct TPose {
  f32 Bob = 0, Lean = 0, Fall = 0;  // Fall: backward for people, onto the side for beasts
  f32 Step[2] = {}, Lift[2] = {};   // left and right foot (beasts: the diagonal pairs)
  TVec Hand[2] = {{2.5f, -6.5f, 18.5f}, {3.5f, 6, 17.5f}};
  TVec Aim = {0.35f, 0, 1};  // the weapon's direction from the right hand
  f32 Glow = 0;
  TVec GlowAt;
  f32 Lunge = 0, Jaw = 0, Howl = 0, Wag = 0;
  f32 Tint = 0;
  u32 TintRgb = 0;
  f32 Pool = 0;  // blood under the fallen
};

TVec Unit(TVec v) {
  const f32 n = std::sqrt(v.X * v.X + v.Y * v.Y + v.Z * v.Z);
  return v * (1 / n);
}

void DyingPose(TPose& p, i32 frame) {
  constexpr f32 fall[6] = {0, 0.22f, 0.45f, 0.95f, 1.38f, 1.57f};
  p.Fall = fall[frame];
  // The first frames double as the flinch of a hit: flushed red; the dead grey.
  if (frame == 1 || frame == 2) p.Tint = 0.45f, p.TintRgb = 0xE02010;
  if (frame == 3) p.Tint = 0.25f, p.TintRgb = 0xE02010;
  if (frame >= 4) p.Tint = 0.35f, p.TintRgb = 0x403838, p.Pool = frame == 4 ? 0.6f : 1;
}

TPose PersonPose(const TLook& look, i32 set, i32 frame) {
  TPose p;
  if (look.Weapon != TWeapon::Sword) p.Hand[1] = {2, 6.5f, 18}, p.Aim = Unit({0.12f, 0, 1});
  const f32 phase = 2 * std::numbers::pi_v<f32> * static_cast<f32>(frame) / 6;
  const f32 s = std::sin(phase), c = std::cos(phase);
  switch (set) {
    case FightStand: {
      constexpr f32 bob[4] = {0, 0.5f, 0.9f, 0.5f};
      p.Bob = bob[frame % 4];
      p.Hand[0].X += bob[frame % 4];
      break;
    }
    case FightWalk:
      p.Step[0] = 5 * s, p.Step[1] = -5 * s;
      p.Lift[0] = std::max(0.0f, c) * 2.5f, p.Lift[1] = std::max(0.0f, -c) * 2.5f;
      p.Bob = 0.8f * std::abs(s), p.Lean = 0.12f;
      p.Hand[1].X += 3 * s, p.Hand[0].X -= 3 * s;
      p.Aim = Unit(p.Aim + TVec{0.5f, 0, 0});
      break;
    case FightAttack: {
      constexpr f32 lean[6] = {-0.05f, -0.12f, 0.1f, 0.3f, 0.3f, 0.1f};
      constexpr f32 stepR[6] = {0, 0, 3, 6, 6, 3};
      p.Lean = lean[frame], p.Step[1] = stepR[frame], p.Step[0] = -stepR[frame] / 3;
      p.Hand[0] = {2.5f + stepR[frame] / 2, -6.5f, 19};
      if (look.Weapon == TWeapon::Spear) {
        constexpr f32 thrust[6] = {-1, -4, 3, 10, 11, 4};
        p.Hand[1] = {thrust[frame], 5, 22}, p.Aim = Unit({1, 0, 0.05f});
      } else {
        constexpr f32 swing[6] = {2.3f, 2.7f, 1.6f, 0.2f, -0.45f, 0.8f};
        const f32 a = swing[frame];
        p.Hand[1] = {9.5f * std::cos(a), 5, 27 + 9.5f * std::sin(a)};
        p.Aim = {std::cos(a - 0.25f), 0, std::sin(a - 0.25f)};
      }
      break;
    }
    case FightCast: {
      constexpr f32 raise[6] = {0.2f, 0.5f, 0.8f, 1, 1, 0.6f};
      constexpr f32 glow[6] = {1.5f, 2.5f, 3.5f, 5, 6, 3};
      const f32 h = raise[frame];
      p.Hand[0] = {3 + 5 * h, -5 + 2 * h, 17 + 16 * h}, p.Hand[1] = {3 + 5 * h, 5 - 2 * h, 17 + 16 * h};
      p.Aim = Unit({0.1f, 0, 1});
      p.Glow = glow[frame], p.GlowAt = {5 + 6 * h, 0, 22 + 18 * h};
      break;
    }
    default: {
      DyingPose(p, frame);
      const f32 k = std::min(1.0f, static_cast<f32>(frame) / 2);
      p.Hand[0] = {-1, -8, 20 + 7 * k}, p.Hand[1] = {-1, 8, 20 + 7 * k};
      p.Aim = Unit({-0.3f, 0.3f, 1});
      break;
    }
  }
  return p;
}

TPose BeastPose(i32 set, i32 frame) {
  TPose p;
  const f32 phase = 2 * std::numbers::pi_v<f32> * static_cast<f32>(frame) / 6;
  const f32 s = std::sin(phase), c = std::cos(phase);
  switch (set) {
    case FightStand: {
      constexpr f32 wag[4] = {0, 1.8f, 0, -1.8f};
      p.Wag = wag[frame % 4], p.Bob = frame % 2 ? 0.5f : 0;
      break;
    }
    case FightWalk:
      p.Step[0] = 4 * s, p.Step[1] = -4 * s;
      p.Lift[0] = std::max(0.0f, c) * 2, p.Lift[1] = std::max(0.0f, -c) * 2;
      p.Wag = 1.5f * s, p.Bob = 0.6f * std::abs(s);
      break;
    case FightAttack: {
      constexpr f32 lunge[6] = {0, -2, 3, 8, 7, 2};
      constexpr f32 jaw[6] = {0, 0.3f, 1, 1, 0.6f, 0};
      p.Lunge = lunge[frame], p.Jaw = jaw[frame], p.Wag = 2;
      break;
    }
    case FightCast: {
      constexpr f32 howl[6] = {0.2f, 0.6f, 1, 1, 1, 0.5f};
      constexpr f32 glow[6] = {0, 2, 3.5f, 5, 6, 3};
      p.Howl = howl[frame], p.Glow = glow[frame], p.GlowAt = {14, 0, 33};
      break;
    }
    default: DyingPose(p, frame); break;
  }
  return p;
}

u32 Shade(u32 rgb, f32 k) {
  const auto ch = [&](i32 shift) {
    return static_cast<u32>(std::clamp(static_cast<f32>(rgb >> shift & 0xFF) * k, 0.0f, 255.0f)) << shift;
  };
  return ch(16) | ch(8) | ch(0);
}

u32 Mix(u32 a, u32 b, f32 t) {
  const auto ch = [&](i32 shift) {
    const f32 v = static_cast<f32>(a >> shift & 0xFF) * (1 - t) + static_cast<f32>(b >> shift & 0xFF) * t;
    return static_cast<u32>(v) << shift;
  };
  return ch(16) | ch(8) | ch(0);
}

// The spell gathering at the caster's hands: a bright ball with a white core.
void AddGlow(std::vector<TPart>& parts, const TLook& look, const TPose& p) {
  if (p.Glow <= 0) return;
  parts.push_back({p.GlowAt, p.GlowAt, p.Glow, look.Glow, true});
  const TVec core = p.GlowAt + TVec{0.3f, 0, 0};
  parts.push_back({core, core, p.Glow / 2, 0xFFFFF0, true});
}

void AddWeapon(std::vector<TPart>& parts, const TLook& look, TVec hand, TVec aim) {
  const u32 steel = look.Bony ? 0xA89070 : 0xDCE4EC;
  switch (look.Weapon) {
    case TWeapon::Sword:
      parts.push_back({hand + aim * 2, hand + aim * 16, 1.1f, steel, true});
      parts.push_back({hand + aim * 2 + TVec{0, -2.5f, 0}, hand + aim * 2 + TVec{0, 2.5f, 0}, 0.9f, 0xC0A040, true});
      break;
    case TWeapon::Staff:
      parts.push_back({hand + aim * -8, hand + aim * 14, 1.1f, 0x8A5A2A, true});
      parts.push_back({hand + aim * 15.5f, hand + aim * 15.5f, 2.2f, look.Glow, true});
      break;
    case TWeapon::Spear:
      parts.push_back({hand + aim * -9, hand + aim * 17, 1.0f, 0x9A7040, true});
      parts.push_back({hand + aim * 17, hand + aim * 22, 1.3f, steel, true});
      break;
  }
}

std::vector<TPart> PersonParts(const TLook& look, const TPose& p) {
  std::vector<TPart> parts;
  const f32 limb = look.Bony ? 1.4f : 2.6f, arm = look.Bony ? 1.3f : 1.9f;
  for (i32 side = 0; side < 2; ++side) {
    const f32 y = side ? 3 : -3;
    parts.push_back({{0, y, 16}, {p.Step[side], y, 1.8f + p.Lift[side]}, limb, look.Limbs, false});
  }
  if (look.Weapon == TWeapon::Staff) parts.push_back({{0, 0, 9}, {0, 0, 17}, 6, look.Body, false});  // the robe
  if (look.Bony) {
    parts.push_back({{0, 0, 16}, {0, 0, 28}, 1.6f, look.Body, true});
    for (f32 z : {21.0f, 24.5f}) parts.push_back({{0.5f, -3.5f, z}, {0.5f, 3.5f, z}, 1.3f, look.Body, true});
    parts.push_back({{0, -3, 16.5f}, {0, 3, 16.5f}, 1.5f, look.Body, true});
  } else {
    parts.push_back({{0, 0, 17}, {0, 0, 27}, 5.5f, look.Body, true});
  }
  const TVec head{0, 0, 33.5f};
  parts.push_back({head, head, 4.6f, look.Head, true});
  const f32 eye = look.Bony ? 1.3f : 0.9f;
  for (f32 y : {-1.7f, 1.7f}) parts.push_back({{3.8f, y, 34.2f}, {3.8f, y, 34.2f}, eye, look.Eyes, true});
  if (look.Weapon == TWeapon::Staff) {
    parts.push_back({{-0.5f, 0, 37}, {-1.5f, 0, 44}, 3.2f, look.Hat, true});
    parts.push_back({{-2, 0, 46}, {-2, 0, 46}, 1.5f, look.Hat, true});
  } else if (look.Weapon == TWeapon::Spear) {
    parts.push_back({{-0.5f, 0, 35.5f}, {-0.5f, 0, 35.5f}, 4.2f, look.Hat, true});
  } else if (look.Shield) {
    parts.push_back({{-2, 0, 38.3f}, {2, 0, 38.8f}, 1.3f, 0xC02020, true});  // the helmet's crest
  }
  for (i32 side = 0; side < 2; ++side) {
    const TVec shoulder{0, side ? 6.5f : -6.5f, 27};
    parts.push_back({shoulder, p.Hand[side], arm, look.Body, true});
    parts.push_back({p.Hand[side], p.Hand[side], 2, look.Hands, true});
  }
  AddWeapon(parts, look, p.Hand[1], p.Aim);
  if (look.Shield) {
    const TVec at = p.Hand[0] + TVec{1.8f, -1, 0};
    parts.push_back({at, at, 4.6f, 0xB83030, true});
    parts.push_back({at + TVec{0.8f, 0, 0}, at + TVec{0.8f, 0, 0}, 1.2f, 0xE0C050, true});
  }
  AddGlow(parts, look, p);
  return parts;
}

std::vector<TPart> BeastParts(const TLook& look, const TPose& p) {
  std::vector<TPart> parts;
  const f32 l = p.Lunge;
  for (i32 side = 0; side < 2; ++side) {
    const f32 y = side ? 3.5f : -3.5f;
    // Front left with hind right, front right with hind left.
    const f32 front = p.Step[side], hind = p.Step[1 - side];
    const f32 fl = p.Lift[side], hl = p.Lift[1 - side];
    parts.push_back({{6 + l * 0.7f, y, 10}, {6 + l + front, y, 1.8f + fl}, 1.9f, Shade(look.Body, 0.85f), false});
    parts.push_back({{-7, y, 10}, {-7 + hind, y, 1.8f + hl}, 1.9f, Shade(look.Body, 0.85f), false});
  }
  parts.push_back({{-8 + l * 0.6f, 0, 12}, {6 + l, 0, 13}, 5.5f, look.Body, true});
  parts.push_back({{-12 + l * 0.5f, 0, 14}, {-18 + l * 0.5f, p.Wag, 18}, 1.8f, look.Body, true});
  const TVec head{12 + l, 0, 17 + 6 * p.Howl - 1.5f * p.Jaw};
  parts.push_back({head, head, 4.3f, look.Head, true});
  const f32 up = -0.15f + 1.2f * p.Howl + 0.25f * p.Jaw;
  const TVec snout{std::cos(up), 0, std::sin(up)};
  parts.push_back({head + snout * 2, head + snout * 7, 2.1f, 0xB0A898, true});
  parts.push_back({head + snout * 7.6f, head + snout * 7.6f, 1.1f, 0x201810, true});
  if (p.Jaw > 0) {
    const f32 down = up - 0.9f * p.Jaw;
    const TVec jaw{std::cos(down), 0, std::sin(down)};
    parts.push_back({head + TVec{1.5f, 0, -1.8f}, head + TVec{0, 0, -1.8f} + jaw * 6.5f, 1.5f, 0x9A9284, true});
    parts.push_back({head + snout * 6, head + snout * 6, 0.9f, 0xF8F8F0, true});
  }
  for (f32 y : {-2.2f, 2.2f}) {
    parts.push_back({head + TVec{2.6f, y, 1.6f}, head + TVec{2.6f, y, 1.6f}, 0.85f, look.Eyes, true});
    parts.push_back({head + TVec{-0.8f, y * 1.1f, 3.2f}, head + TVec{-1.2f, y * 1.2f, 6.5f}, 1.3f, look.Body, true});
  }
  AddGlow(parts, look, p);
  return parts;
}

// Leaning, bobbing and falling, in model space.
TVec Posed(TVec v, bool upper, const TPose& p, bool beast) {
  if (upper) {
    v.Z += p.Bob;
    const f32 hip = 16, x = v.X, z = v.Z - hip;
    v.X = x * std::cos(p.Lean) + z * std::sin(p.Lean);
    v.Z = hip - x * std::sin(p.Lean) + z * std::cos(p.Lean);
  }
  const f32 c = std::cos(p.Fall), s = std::sin(p.Fall);
  if (beast) {
    const f32 y = v.Y, z = v.Z;
    v.Y = y * c + z * s - 7 * s;
    v.Z = -y * s + z * c + 3 * s;
  } else {
    // Backward, the body's middle staying over the hot spot.
    const f32 x = v.X, z = v.Z;
    v.X = x * c - z * s + 17 * s;
    v.Z = x * s + z * c + 3 * s;
  }
  return v;
}

struct TFlat {
  f32 Ax, Ay, Bx, By, R, Key;
  u32 Rgb;
};

constexpr u32 Opaque = 0xFF000000;
// Model pixels to picture pixels.
constexpr f32 Scale = 1.15f;

void Ellipse(std::vector<u32>& canvas, f32 rx, f32 ry, u32 argb) {
  const i32 w = static_cast<i32>(rx) + 1, h = static_cast<i32>(ry) + 1;
  for (i32 y = std::max(0, FighterHotY - h); y < std::min<i32>(FighterHeight, FighterHotY + h); ++y)
    for (i32 x = std::max(0, FighterHotX - w); x < std::min<i32>(FighterWidth, FighterHotX + w); ++x) {
      const f32 dx = (static_cast<f32>(x - FighterHotX) + 0.5f) / rx, dy = (static_cast<f32>(y - FighterHotY) + 0.5f) / ry;
      if (dx * dx + dy * dy <= 1) canvas[static_cast<std::size_t>(y * FighterWidth + x)] = argb;
    }
}

// One frame, premultiplied ARGB: ground shadow (and blood), then the parts
// from back to front, then a dark outline round the figure.
std::vector<u32> Render(const TLook& look, const TPose& pose, i32 direction) {
  const std::vector<TPart> parts = look.Beast ? BeastParts(look, pose) : PersonParts(look, pose);
  f32 fx = static_cast<f32>(DirectionStepX[direction & 7]), fy = static_cast<f32>(DirectionStepY[direction & 7]);
  const f32 n = std::sqrt(fx * fx + fy * fy);
  fx /= n, fy /= n;
  const f32 rx = -fy, ry = fx;
  std::vector<TFlat> flat;
  for (const TPart& part : parts) {
    TFlat f{};
    const TVec a = Posed(part.A, part.Upper, pose, look.Beast), b = Posed(part.B, part.Upper, pose, look.Beast);
    const auto project = [&](TVec v, f32& sx, f32& sy, f32& wy) {
      const f32 wx = v.X * fx + v.Y * rx;
      wy = v.X * fy + v.Y * ry;
      sx = FighterHotX + Scale * wx, sy = FighterHotY + Scale * (wy / 2 - v.Z);
    };
    f32 ya = 0, yb = 0;
    project(a, f.Ax, f.Ay, ya);
    project(b, f.Bx, f.By, yb);
    f.R = Scale * part.R, f.Rgb = pose.Tint > 0 ? Mix(part.Rgb, pose.TintRgb, pose.Tint) : part.Rgb;
    f.Key = ya + yb + (a.Z + b.Z) / 2;
    flat.push_back(f);
  }
  std::stable_sort(flat.begin(), flat.end(), [](const TFlat& a, const TFlat& b) { return a.Key < b.Key; });
  std::vector<u32> canvas(static_cast<std::size_t>(FighterWidth * FighterHeight), 0);
  Ellipse(canvas, Scale * (look.Beast ? 15 : 11), Scale * (look.Beast ? 5 : 4), 0x55000000);
  if (pose.Pool > 0) Ellipse(canvas, Scale * 13 * pose.Pool, Scale * 5 * pose.Pool, 0xC0600808);
  std::vector<u8> ink(static_cast<std::size_t>((FighterWidth + 2) * (FighterHeight + 2)), 0);
  for (const TFlat& f : flat) {
    const f32 ex = f.Bx - f.Ax, ey = f.By - f.Ay, len2 = ex * ex + ey * ey;
    const auto distance = [&](f32 px, f32 py) {
      const f32 t = len2 > 0 ? std::clamp(((px - f.Ax) * ex + (py - f.Ay) * ey) / len2, 0.0f, 1.0f) : 0;
      const f32 dx = px - (f.Ax + t * ex), dy = py - (f.Ay + t * ey);
      return std::sqrt(dx * dx + dy * dy);
    };
    const i32 x0 = std::max(0, static_cast<i32>(std::min(f.Ax, f.Bx) - f.R - 1));
    const i32 x1 = std::min<i32>(FighterWidth - 1, static_cast<i32>(std::max(f.Ax, f.Bx) + f.R + 1));
    const i32 y0 = std::max(0, static_cast<i32>(std::min(f.Ay, f.By) - f.R - 1));
    const i32 y1 = std::min<i32>(FighterHeight - 1, static_cast<i32>(std::max(f.Ay, f.By) + f.R + 1));
    for (i32 y = y0; y <= y1; ++y)
      for (i32 x = x0; x <= x1; ++x) {
        const f32 px = static_cast<f32>(x) + 0.5f, py = static_cast<f32>(y) + 0.5f;
        if (distance(px, py) > f.R) continue;
        // Lit from the upper left: brightest a little up and left of the axis.
        const f32 lit = distance(px + 0.4f * f.R, py + 0.4f * f.R) / (1.4f * f.R);
        const std::size_t i = static_cast<std::size_t>(y * FighterWidth + x);
        canvas[i] = Opaque | Shade(f.Rgb, 1.3f - 0.65f * std::min(1.0f, lit));
        ink[static_cast<std::size_t>((y + 1) * (FighterWidth + 2) + x + 1)] = 1;
      }
  }
  // The ink has a blank border of one pixel, so that every pixel has four neighbours.
  constexpr i32 pitch = FighterWidth + 2;
  std::vector<u32> out = canvas;
  for (i32 y = 0; y < FighterHeight; ++y)
    for (i32 x = 0; x < FighterWidth; ++x) {
      const u8* at = &ink[static_cast<std::size_t>((y + 1) * pitch + x + 1)];
      if (!at[0] && (at[-1] | at[1] | at[-pitch] | at[pitch]))
        out[static_cast<std::size_t>(y * FighterWidth + x)] = Opaque | 0x1A1612;
    }
  return out;
}

}  // namespace

u32 FightSpriteID(u32 prototype, i32 set, i32 direction) {
  return 10000 + prototype * 100 + 20 + static_cast<u32>((set - FightStand) * 8 + (direction & 7));
}

i32 FightSetFrames(i32 set) { return set == FightStand ? 4 : 6; }

void AddFightSprites(std::vector<std::unique_ptr<Gfx::TSprite>>& list, u32 prototype) {
  const TLook look = LookOf(prototype);
  for (i32 set = FightStand; set <= FightCast; ++set)
    for (i32 d = 0; d < 8; ++d) {
      const i32 frames = FightSetFrames(set);
      std::vector<std::vector<u32>> pictures;
      for (i32 f = 0; f < frames; ++f)
        pictures.push_back(Render(look, look.Beast ? BeastPose(set, f) : PersonPose(look, set, f), d));
      TSpriteShape shape;
      shape.ID = FightSpriteID(prototype, set, d);
      shape.Width = FighterWidth, shape.Height = FighterHeight;
      shape.Frames = frames;
      shape.HotX = FighterHotX, shape.HotY = FighterHotY;
      list.push_back(MakeAlphaSprite(
          shape,
          [&pictures](i32 frame, i32 x, i32 y) {
            return pictures[static_cast<std::size_t>(frame)][static_cast<std::size_t>(y * FighterWidth + x)];
          },
          0xFF, true));
    }
}

}  // namespace Builder
