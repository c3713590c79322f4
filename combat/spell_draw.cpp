// Spell drawing: the map families turn the frame into drawing instructions
// that the viewing player may see; battle spells are drawn at once, larger
// and lifted. Data may hold zero frame times, speeds and frame counts: a
// quotient by zero takes frame 0 or draws nothing, never divides.
#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "combat/spell.h"
#include "engine/gfx/sprite.h"
#include "world/data2/global_data.h"
#include "world/scenario/player.h"
#include "world/scenario/random.h"
#include "world/scenario/scenario.h"

namespace GameData {

namespace {

using TEmit = std::function<void(const TSpellDrawInfo&)>;

bool IsOneOf(i32 n, std::initializer_list<i32> set) { return std::find(set.begin(), set.end(), n) != set.end(); }

u32 Quotient(u32 t, u32 time) { return time ? t / time : 0; }
u32 Modulo(u32 v, i32 n) { return n > 0 ? v % static_cast<u32>(n) : 0; }
i32 FieldOf(i32 pixel) { return pixel >= 0 ? pixel / FieldSize : -1; }
i32 Truncated(f64 v) { return static_cast<i32>(std::clamp(v, -1.0e9, 1.0e9)); }

// Heading of the vector (ex, ey), a quarter turn on from its direction.
f32 Heading(f32 ex, f32 ey) {
  const f32 e = std::sqrt(ex * ex + ey * ey);
  f32 theta = e > 0 ? std::acos(std::clamp(ex / e, -1.0f, 1.0f)) : 0.0f;
  if (ey < 0) theta = 2 * std::numbers::pi_v<f32> - theta;
  return theta + std::numbers::pi_v<f32> / 2;
}

// What one frame of a spell is drawn from.
struct TFrameView {
  const TSpellPrototype* Spell;
  u32 T;
  i32 SX, SY, TX, TY;
  u32 Lc, Lf, Li;
  Gfx::TSprite *Cast, *Flight, *Impact;

  f32 EX() const { return static_cast<f32>(TX) - static_cast<f32>(SX); }
  f32 EY() const { return static_cast<f32>(TY) - static_cast<f32>(SY); }
  f32 E() const { return std::sqrt(EX() * EX() + EY() * EY()); }
  f32 A() const { return Heading(EX(), EY()); }
  // Share of the flight after u steps; a flight of no steps has arrived.
  f64 Share(u32 u) const { return Lf ? static_cast<f64>(u) / Lf : 1.0; }
  i32 PathX(u32 u) const { return Truncated(SX + EX() * Share(u)); }
  i32 PathY(u32 u) const { return Truncated(SY + EY() * Share(u)); }
  f64 Travelled(u32 u) const { return E() * Share(u); }
  u32 ImpactIndex(u32 t) const { return Quotient(t, Spell->ImpactFrameTime); }
  bool ImpactShown(u32 index) const { return index < static_cast<u32>(TSpell::UsableFrames(Impact)); }
};

TSpellDrawInfo Info(u32 kind, u32 frame, i32 x, i32 y, f32 sx, f32 sy, f32 angle, Gfx::TSprite* sprite) {
  TSpellDrawInfo d;
  d.Kind = kind;
  d.Frame = frame;
  d.X = x;
  d.Y = y;
  d.ScaleX = sx;
  d.ScaleY = sy;
  d.Angle = angle;
  d.Sprite = sprite;
  return d;
}

TSpellDrawInfo Line(u32 frame, i32 x, i32 y, i32 x2, i32 y2, Gfx::TSprite* sprite) {
  TSpellDrawInfo d = Info(sdAlongLine, frame, x, y, 0, 0, 3, sprite);
  d.X2 = x2;
  d.Y2 = y2;
  return d;
}

// The cast frame of a projectile: 80 pixels of flight play the cast sprite.
// Without cast frames there is nothing to play; more than 80 of them
// would make the pixels per frame 0: the last one stands.
u32 CastFrameAt(const TFrameView& v, f64 d, bool limited) {
  const i32 n = TSpell::UsableFrames(v.Cast);
  const i32 s = n > 0 ? 80 / n : 0;
  const u32 frame = s > 0 ? static_cast<u32>(std::min(d / s, 4.0e9)) : static_cast<u32>(std::max(n - 1, 0));
  return limited ? std::min<u32>(frame, static_cast<u32>(std::max(n - 1, 0))) : frame;
}

// The flight of a projectile (map 17, 40 ...; battle 77, 78, 93 ...).
void ProjectileFlight(const TFrameView& v, const TEmit& emit, i32 lift, f32 scale, bool limited, bool growing) {
  const f64 d = v.Travelled(v.T);
  const i32 x = v.PathX(v.T), y = v.PathY(v.T) - lift;
  if (d >= 80) {
    if (v.Flight && TSpell::UsableFrames(v.Flight) > 0)
      emit(Info(sdRotated, Modulo(Quotient(v.T, v.Spell->FlightFrameTime), TSpell::UsableFrames(v.Flight)), x, y,
                scale, scale, v.A(), v.Flight));
  } else if (v.Cast && TSpell::UsableFrames(v.Cast) > 0) {
    const f32 s = growing ? static_cast<f32>(d / 160 + 0.5) * scale : scale;
    emit(Info(sdRotated, CastFrameAt(v, d, limited), x, y, s, s, v.A(), v.Cast));
  }
}

// One projectile of a salvo launched at step 8k.
void SalvoProjectile(const TFrameView& v, const TEmit& emit, i32 k, f32 scale, i32 lift) {
  const u32 start = 8u * static_cast<u32>(k);
  if (v.T < start || u64(v.T) >= u64(start) + v.Lf + v.Li) return;
  const u32 u = v.T - start;
  const f32 grow = static_cast<f32>(0.2 + 0.8 * v.Share(u)) * scale;
  const i32 x = v.PathX(u), y = v.PathY(u) - lift;
  const i32 nc = TSpell::UsableFrames(v.Cast);
  if (u64(u) < u64(nc) * v.Spell->CastFrameTime) {
    if (v.Cast) emit(Info(sdRotated, Modulo(Quotient(u, v.Spell->CastFrameTime), nc), x, y, grow, grow, v.A(), v.Cast));
  } else if (u < v.Lf) {
    const i32 nf = TSpell::UsableFrames(v.Flight);
    if (v.Flight && nf > 0)
      emit(Info(sdRotated, Modulo(Quotient(u, v.Spell->FlightFrameTime), nf), x, y, grow, grow, v.A(), v.Flight));
  } else {
    const i32 ni = TSpell::UsableFrames(v.Impact);
    if (v.Impact && ni > 0)
      emit(Info(sdRotated, Modulo(Quotient(u - v.Lf, v.Spell->ImpactFrameTime), ni), v.TX, v.TY - lift, scale, scale,
                v.A(), v.Impact));
  }
}

// The flight sprite coming back from the target to the caster (34, 98).
void ReturnFlight(const TFrameView& v, const TEmit& emit, i32 lift, f32 scale, bool battle) {
  const f32 back = Heading(static_cast<f32>(v.SX) - static_cast<f32>(v.TX), static_cast<f32>(v.SY) - static_cast<f32>(v.TY));
  const u32 t = v.T;
  if (t < v.Lc) {
    if (v.Cast)
      emit(battle ? Info(sdRotated, Quotient(t, v.Spell->CastFrameTime), v.TX, v.TY - lift, scale, scale, 0, v.Cast)
                  : Info(sdPlain, Quotient(t, v.Spell->CastFrameTime), v.TX, v.TY - lift, 1, 1, 0, v.Cast));
    return;
  }
  const i32 nf = TSpell::UsableFrames(v.Flight);
  if (!v.Flight || nf == 0) return;
  const u32 frame = Modulo(Quotient(t - v.Lc, v.Spell->FlightFrameTime), nf);
  if (u64(t) < u64(v.Lc) + v.Lf) {
    const f64 share = static_cast<f64>(t - v.Lc) / v.Lf;
    emit(Info(sdRotated, frame, Truncated(v.TX + (static_cast<f64>(v.SX) - v.TX) * share),
              Truncated(v.TY + (static_cast<f64>(v.SY) - v.TY) * share) - lift, scale, scale, back, v.Flight));
  } else if (v.Li > 0) {
    const f32 shrink = static_cast<f32>(1.0 - static_cast<f64>(t - v.Lc - v.Lf) / v.Li) * scale;
    emit(Info(sdRotated, frame, v.SX, v.SY - lift, shrink, shrink, back, v.Flight));
  }
}

void MapFamily(const TFrameView& v, i32 n, const TEmit& emit, const TScenario* scenario) {
  const u32 t = v.T;
  const u32 impact = v.ImpactIndex(t);
  const auto plainImpact = [&](i32 x, i32 y) {
    if (v.ImpactShown(impact)) emit(Info(sdPlain, impact, x, y, 1, 1, 0, v.Impact));
  };
  const auto scaledImpact = [&](f32 size) {
    if (!v.ImpactShown(impact) || v.Impact->Width <= 0 || v.Impact->Height <= 0) return;
    emit(Info(sdRotated, impact, v.TX, v.TY, size / v.Impact->Width, size / v.Impact->Height, 0, v.Impact));
  };
  if (n == 21) {
    plainImpact(v.TX, v.TY);
    plainImpact(v.SX, v.SY);
  } else if (n == 23) {
    if (t < v.Lc) {
      const u32 frame = Quotient(t, v.Spell->CastFrameTime);
      if (frame < static_cast<u32>(TSpell::UsableFrames(v.Cast))) emit(Info(sdPlain, frame, v.TX, v.TY, 1, 1, 0, v.Cast));
    } else {
      const u32 frame = Quotient(t - v.Lc, v.Spell->ImpactFrameTime);
      if (v.ImpactShown(frame)) emit(Info(sdPlain, frame, v.TX, v.TY, 1, 1, 0, v.Impact));
    }
  } else if (IsOneOf(n, {18, 19, 45, 8})) {
    scaledImpact(280);
  } else if (n == 7) {
    scaledImpact(240);
  } else if (n == 26) {
    if (v.ImpactShown(impact)) emit(Info(sdRotated, impact, v.TX, v.TY, 2, 2, 0, v.Impact));
  } else if (n == 57) {
    if (v.ImpactShown(impact)) emit(Line(impact, v.SX, v.SY - 20, v.TX, v.TY - 20, v.Impact));
  } else if (n == 33) {
    const i32 count = TSpell::UsableFrames(v.Impact);
    if (count == 0 || impact >= 2u * static_cast<u32>(count) || !scenario) return;
    const i32 r = v.Spell->Params[9];
    const i32 fx = FieldOf(v.TX), fy = FieldOf(v.TY);
    // Only fields of the map can be seen on it.
    for (i32 i = std::max(-r, -fy); i <= std::min<i32>(r, scenario->Height - 1 - fy); ++i)
      for (i32 j = std::max(-r, -fx); j <= std::min<i32>(r, scenario->Width - 1 - fx); ++j) {
        const i32 h = ((i * 1467) % 137 + (j * 3456) % 17 + 1000) % count;
        const i64 f = i64(h) + impact - count;
        if (std::sqrt(f64(i) * i + f64(j) * j) <= r + 0.5 && f >= 0 && f < count)
          emit(Info(sdPlain, static_cast<u32>(f), v.TX + FieldSize * j, v.TY + FieldSize * i, 1, 1, 0, v.Impact));
      }
  } else if (IsOneOf(n, {17, 40, 41, 42, 43, 52, 55, 60, 29})) {
    if (t < v.Lf) {
      ProjectileFlight(v, emit, 10, 1, n != 29, n == 29);
    } else {
      const u32 frame = Quotient(t - v.Lf, v.Spell->ImpactFrameTime);
      if (v.ImpactShown(frame)) emit(Info(sdPlain, frame, v.TX, n == 29 ? v.TY - 10 : v.TY, 1, 1, 0, v.Impact));
    }
  } else if (n == 31) {
    for (i32 k = 0; k < 20; ++k) SalvoProjectile(v, emit, k, 1, 15);
  } else if (n == 34) {
    ReturnFlight(v, emit, 10, 1, false);
  } else {
    plainImpact(v.TX, v.TY);
  }
}

void BattleFamily(const TFrameView& v, i32 n, const TEmit& emit) {
  constexpr f32 Big = 1.4f;
  constexpr i32 Lift = 25;
  const u32 t = v.T;
  const u32 impact = v.ImpactIndex(t);
  if (n == 121 || n == 83) {
    if (!v.ImpactShown(impact)) return;
    if (n == 121)
      emit(Line(impact, v.SX, v.SY - 30, v.TX, v.TY - 30, v.Impact));
    else
      emit(Line(impact, v.SX, v.SY - 25, v.TX + (v.TX - v.SX) / 3, v.TY + (v.TY - v.SY) / 3 - 10, v.Impact));
  } else if (n == 82) {
    const f32 heading = Heading(50, -300);
    if (t < v.Lf) {
      const i32 nf = TSpell::UsableFrames(v.Flight);
      if (!v.Flight || nf == 0) return;
      const f64 rest = static_cast<f64>(v.Lf - t) / v.Lf;
      emit(Info(sdRotated, Modulo(Quotient(t, v.Spell->FlightFrameTime), nf), Truncated(v.TX + 50 * rest),
                Truncated(v.TY - 300 * rest) - Lift, Big, Big, heading, v.Flight));
    } else {
      const u32 frame = Quotient(t - v.Lf, v.Spell->ImpactFrameTime);
      if (v.ImpactShown(frame)) emit(Info(sdRotated, frame, v.TX, v.TY - Lift, Big, Big, heading, v.Impact));
    }
  } else if (IsOneOf(n, {77, 78, 81, 104, 105, 106, 116, 119, 124, 93})) {
    if (t < v.Lf) {
      ProjectileFlight(v, emit, Lift, Big, n != 77 && n != 93, n == 93);
    } else {
      const u32 frame = Quotient(t - v.Lf, v.Spell->ImpactFrameTime);
      if (v.ImpactShown(frame))
        emit(Info(sdRotated, frame, v.TX, v.TY - Lift, Big, Big, n == 77 ? v.A() : 0, v.Impact));
    }
  } else if (n == 95) {
    for (i32 k = 0; k < 20; ++k) SalvoProjectile(v, emit, k, Big, 30);
  } else if (n == 98) {
    ReturnFlight(v, emit, Lift, Big, true);
  } else if (v.ImpactShown(impact)) {
    emit(Info(sdRotated, impact, v.TX, v.TY, Big, Big, 0, v.Impact));
  }
}

void DrawOne(const TSpellDrawInfo& d, Plat::TSurface* surface, i32 dx, i32 dy) {
  if (!d.Sprite) return;
  const i32 frame = d.Frame > 0x7FFFFFFFu ? -1 : static_cast<i32>(d.Frame);
  switch (d.Kind) {
    case sdPlain:
      d.Sprite->Draw(surface, frame, d.X + dx - d.Sprite->HotX, d.Y + dy - d.Sprite->HotY, nullptr);
      break;
    case sdRotated:
      d.Sprite->DrawRotated(surface, frame, d.X + dx, d.Y + dy, d.Angle, d.ScaleX, d.ScaleY);
      break;
    case sdAlongLine:
      d.Sprite->DrawAlongLine(frame, d.X + dx, d.Y + dy, d.X2 + dx, d.Y2 + dy, static_cast<i32>(d.Angle));
      break;
    default:
      break;
  }
}

}  // namespace

void TSpell::AddDrawInfo(u32 kind, u32 frame, i32 x, i32 y, i32 x2, i32 y2, f32 scaleX, f32 scaleY, f32 angle,
                         Gfx::TSprite* sprite) {
  const TPlayer* viewer = Scenario ? Scenario->ViewingPlayer : nullptr;
  if (!viewer) return;
  const i32 n = Number();
  const auto visible = [&](i32 px, i32 py) {
    const i32 fx = FieldOf(px), fy = FieldOf(py);
    return Scenario->IsFieldOnMap(fx, fy) && viewer->IsFieldVisible(fx, fy);
  };
  bool shown;
  if (IsOneOf(n, {7, 8, 18, 19, 45}))
    shown = IsSquareVisible(2);
  else if (n == 26)
    shown = IsSquareVisible(1);
  else if (n == 33)
    shown = viewer == Scenario->PlayerAt(Scenario->CurrentPlayerIndex) || visible(TargetPixelX, TargetPixelY);
  else if (kind == sdAlongLine)
    shown = visible(x, y) || visible(x2, y2);
  else
    shown = visible(x, y);
  if (!shown) return;
  auto* d = new TSpellDrawInfo{kind, frame, x, y, x2, y2, scaleX, scaleY, angle, sprite};
  DrawInfoList.Add(d);
}

void TSpell::BuildDrawInfos() {
  DrawInfoList.Clear();
  if (IsBattleSpell() || !Spell) return;
  const TFrameView view{Spell,        Frame,        SourceX,    SourceY,    TargetPixelX, TargetPixelY,
                        CastLength,   FlightLength, ImpactLength, CastSprite, FlightSprite, ImpactSprite};
  MapFamily(view, Number(), [this](const TSpellDrawInfo& d) {
    AddDrawInfo(d.Kind, d.Frame, d.X, d.Y, d.X2, d.Y2, d.ScaleX, d.ScaleY, d.Angle, d.Sprite);
  }, Scenario);
}

void TSpell::DrawInfos(Plat::TSurface* surface, i32 dx, i32 dy) {
  for (const TSpellDrawInfo* d : DrawInfoList) DrawOne(*d, surface, dx, dy);
}

void TSpell::Draw(Plat::TSurface* surface, i32 dx, i32 dy, i32) {
  if (!IsBattleSpell()) {
    DrawInfos(surface, dx, dy);
    return;
  }
  const TFrameView view{Spell,        Frame,        SourceX,    SourceY,    TargetPixelX, TargetPixelY,
                        CastLength,   FlightLength, ImpactLength, CastSprite, FlightSprite, ImpactSprite};
  BattleFamily(view, Number(), [&](const TSpellDrawInfo& d) { DrawOne(d, surface, dx, dy); });
}

}  // namespace GameData
