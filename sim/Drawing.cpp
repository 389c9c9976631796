#include "sim/Drawing.h"

#include <algorithm>
#include <cstdio>

namespace orbelle::sim {

std::wstring handleText(Handle handle) {
  wchar_t text[24];
  std::swprintf(text, std::size(text), L"%llX", static_cast<unsigned long long>(handle));
  return text;
}

std::optional<Handle> parseHandle(std::wstring_view text) {
  if (text.empty() || text.size() > 16)
    return std::nullopt;
  Handle value = 0;
  for (wchar_t c : text) {
    value <<= 4;
    if (c >= L'0' && c <= L'9')
      value |= static_cast<Handle>(c - L'0');
    else if (c >= L'A' && c <= L'F')
      value |= static_cast<Handle>(c - L'A' + 10);
    else if (c >= L'a' && c <= L'f')
      value |= static_cast<Handle>(c - L'a' + 10);
    else
      return std::nullopt;
  }
  if (value == 0)
    return std::nullopt;
  return value;
}

namespace {

struct TypeName {
  EntityType type;
  const wchar_t* name;
};
constexpr TypeName kTypeNames[] = {
    {EntityType::Line, L"AcDbLine"},     {EntityType::Polyline, L"AcDbPolyline"},
    {EntityType::Circle, L"AcDbCircle"}, {EntityType::Text, L"AcDbText"},
    {EntityType::MText, L"AcDbMText"},   {EntityType::BlockReference, L"AcDbBlockReference"},
};

constexpr int kMaxNesting = 16;

}  // namespace

const wchar_t* objectName(EntityType type) {
  for (const auto& entry : kTypeNames) {
    if (entry.type == type)
      return entry.name;
  }
  return L"AcDbEntity";
}

std::optional<EntityType> entityTypeFromName(std::wstring_view name) {
  for (const auto& entry : kTypeNames) {
    if (name == entry.name)
      return entry.type;
  }
  return std::nullopt;
}

std::wstring upperCase(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) {
    if (c >= L'a' && c <= L'z')
      c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return out;
}

const wchar_t* viewName(ViewKind kind) {
  switch (kind) {
    case ViewKind::SouthWestIso:
      return L"SWISO";
    case ViewKind::SouthEastIso:
      return L"SEISO";
    case ViewKind::Plan:
      break;
  }
  return L"TOP";
}

std::optional<ViewKind> viewFromName(std::wstring_view name) {
  for (ViewKind kind : {ViewKind::Plan, ViewKind::SouthWestIso, ViewKind::SouthEastIso}) {
    if (name == viewName(kind))
      return kind;
  }
  return std::nullopt;
}

ViewPoint project(ViewKind kind, Vec3 p) {
  // Screen axes of the isometric views: looking from (-1,-1,1) for south-west, from (1,-1,1)
  // for south-east, with world Z pointing up on the screen.
  static const double kR2 = std::sqrt(2.0), kR6 = std::sqrt(6.0);
  switch (kind) {
    case ViewKind::SouthWestIso:
      return {(p.x - p.y) / kR2, (p.x + p.y + 2 * p.z) / kR6};
    case ViewKind::SouthEastIso:
      return {(p.x + p.y) / kR2, (-p.x + p.y + 2 * p.z) / kR6};
    case ViewKind::Plan:
      break;
  }
  return {p.x, p.y};
}

void Entity::transform(const Affine& map, std::optional<double> zTurn) {
  for (Vec3& p : points)
    p = map.apply(p);
  if (type == EntityType::Line || type == EntityType::Polyline)
    return;
  if (zTurn && normal == Vec3{0, 0, 1}) {
    // A turn about a Z axis of something lying flat: add the angle exactly.
    rotation = normalizedAngle(rotation + *zTurn);
    return;
  }
  // Otherwise the in-plane angle follows the mapped X direction of the entity's own axes.
  const Mat3 ocs = objectCoordinateSystem(normal);
  const Vec3 ax{ocs.m[0][0], ocs.m[1][0], ocs.m[2][0]};
  const Vec3 ay{ocs.m[0][1], ocs.m[1][1], ocs.m[2][1]};
  const Vec3 direction = map.applyVector(std::cos(rotation) * ax + std::sin(rotation) * ay);
  if (type == EntityType::Circle)
    radius *= length(map.applyVector(ax));
  normal = normalized(map.applyVector(normal));
  const Mat3 next = objectCoordinateSystem(normal);
  const Vec3 nx{next.m[0][0], next.m[1][0], next.m[2][0]};
  const Vec3 ny{next.m[0][1], next.m[1][1], next.m[2][1]};
  rotation = normalizedAngle(std::atan2(dot(direction, ny), dot(direction, nx)));
}

Handle Drawing::add(Entity entity) {
  if (entity.handle == 0 || find(entity.handle) != nullptr)
    entity.handle = nextHandle;
  nextHandle = std::max(nextHandle, entity.handle + 1);
  entities_.push_back(std::move(entity));
  lastObject = entities_.back().handle;
  return entities_.back().handle;
}

Entity* Drawing::find(Handle handle) {
  for (Entity& e : entities_) {
    if (e.handle == handle)
      return &e;
  }
  return nullptr;
}

const Entity* Drawing::find(Handle handle) const {
  return const_cast<Drawing*>(this)->find(handle);
}

const Block* Drawing::block(std::wstring_view name) const {
  const auto it = blocks_.find(upperCase(name));
  return it == blocks_.end() ? nullptr : &it->second;
}

std::optional<Handle> Drawing::copy(Handle handle) {
  const Entity* source = find(handle);
  if (source == nullptr)
    return std::nullopt;
  Entity duplicate = *source;
  duplicate.handle = 0;
  return add(std::move(duplicate));
}

void Drawing::rotate(const std::vector<Handle>& handles, Vec3 from, Vec3 to, double radians) {
  const Affine map = Affine::rotationAbout(from, to, radians);
  const Vec3 axis = to - from;
  std::optional<double> zTurn;
  if (axis.x == 0 && axis.y == 0 && axis.z != 0)
    zTurn = axis.z > 0 ? radians : -radians;
  for (Handle h : existing(handles))
    find(h)->transform(map, zTurn);
}

void Drawing::move(const std::vector<Handle>& handles, Vec3 offset) {
  const Affine map{Mat3{}, offset};
  for (Handle h : existing(handles))
    find(h)->transform(map, 0.0);
}

bool Drawing::defineBlock(const std::wstring& name, Vec3 basePoint,
                          const std::vector<Handle>& handles) {
  if (block(name) != nullptr)
    return false;
  Block definition{name, basePoint, {}};
  for (Handle h : existing(handles)) {
    const auto it = std::find_if(entities_.begin(), entities_.end(),
                                 [h](const Entity& e) { return e.handle == h; });
    definition.entities.push_back(std::move(*it));
    entities_.erase(it);
  }
  blocks_.emplace(upperCase(name), std::move(definition));
  return true;
}

void Drawing::addBlock(Block definition) {
  for (const Entity& e : definition.entities)
    nextHandle = std::max(nextHandle, e.handle + 1);
  blocks_.insert_or_assign(upperCase(definition.name), std::move(definition));
}

Handle Drawing::insert(const std::wstring& name, Vec3 point, double xScale, double yScale,
                       double rotation) {
  Entity reference;
  reference.type = EntityType::BlockReference;
  reference.points = {point};
  reference.blockName = block(name) != nullptr ? block(name)->name : name;
  reference.xScale = xScale;
  reference.yScale = yScale;
  reference.rotation = normalizedAngle(rotation);
  return add(std::move(reference));
}

Affine Drawing::referenceMap(const Entity& reference) const {
  const Block* definition = block(reference.blockName);
  const Vec3 base = definition != nullptr ? definition->basePoint : Vec3{};
  const Mat3 m = objectCoordinateSystem(reference.normal) * Mat3::rotationZ(reference.rotation) *
                 Mat3::scale(reference.xScale, reference.yScale, 1);
  const Vec3 insertion = reference.points.empty() ? Vec3{} : reference.points[0];
  return {m, insertion - m * base};
}

void Drawing::forEachPart(const Entity& entity, const PartVisitor& visit) const {
  parts(entity, Affine{}, 0, visit);
}

void Drawing::forEachWorldEntity(const Entity& entity,
                                 const std::function<void(const Entity&)>& visit) const {
  forEachPart(entity, [&](const Entity& part, const Affine* map) {
    if (map == nullptr) {
      visit(part);
      return;
    }
    Entity mapped = part;
    mapped.transform(*map);
    visit(mapped);
  });
}

void Drawing::parts(const Entity& entity, const Affine& map, int depth,
                    const PartVisitor& visit) const {
  if (entity.type != EntityType::BlockReference) {
    visit(entity, depth > 0 ? &map : nullptr);
    return;
  }
  const Block* definition = block(entity.blockName);
  if (definition == nullptr || depth >= kMaxNesting)
    return;
  const Affine inner = map * referenceMap(entity);
  for (const Entity& e : definition->entities)
    parts(e, inner, depth + 1, visit);
}

std::vector<Handle> Drawing::existing(const std::vector<Handle>& handles) const {
  std::vector<Handle> out;
  for (Handle h : handles) {
    if (find(h) != nullptr && std::find(out.begin(), out.end(), h) == out.end())
      out.push_back(h);
  }
  return out;
}

}  // namespace orbelle::sim
