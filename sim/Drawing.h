// The drawing: entities in model space, block definitions, the previous selection set, the last
// object made, the active selection set and the view.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/Geometry.h"

namespace orbelle::sim {

// Entity handles, shown as upper-case hexadecimal as CAD files show them.
using Handle = std::uint64_t;
std::wstring handleText(Handle handle);
std::optional<Handle> parseHandle(std::wstring_view text);

enum class EntityType { Line, Polyline, Circle, Text, MText, BlockReference };

// The class name the automation model reports ("AcDbText", ...).
const wchar_t* objectName(EntityType type);
std::optional<EntityType> entityTypeFromName(std::wstring_view name);

struct Entity {
  EntityType type = EntityType::Line;
  Handle handle = 0;
  // Line: start, end. Polyline: vertices. Circle: centre. Text: insertion point, alignment
  // point. Multi-line text and block reference: insertion point.
  std::vector<Vec3> points;
  bool closed = false;   // polyline
  double radius = 0;     // circle
  Vec3 normal{0, 0, 1};  // circle, texts, block reference
  // Texts.
  std::wstring text;
  double height = 1;
  double rotation = 0;  // radians, in the entity's plane; also the block reference's
  double obliqueAngle = 0;
  double widthFactor = 1;
  std::int32_t alignment = 0;  // 0 left; anything else uses the alignment point
  // Block reference.
  std::wstring blockName;
  double xScale = 1, yScale = 1;

  bool isText() const { return type == EntityType::Text || type == EntityType::MText; }
  // Maps a rigid transform onto the entity: points move, its plane and angle turn with them.
  // `zTurn` is the angle when the map is a turn about a Z axis, kept exact for flat entities.
  void transform(const Affine& map, std::optional<double> zTurn = std::nullopt);
};

struct Block {
  std::wstring name;
  Vec3 basePoint;
  std::vector<Entity> entities;
};

enum class ViewKind { Plan, SouthWestIso, SouthEastIso };
const wchar_t* viewName(ViewKind kind);  // "TOP", "SWISO", "SEISO"
std::optional<ViewKind> viewFromName(std::wstring_view name);

// A view: the direction, and the rectangle of the view plane that the screen fits in.
struct View {
  ViewKind kind = ViewKind::Plan;
  double centerX = 0, centerY = 0;  // view-plane coordinates
  double width = 100, height = 100;
};

// World point -> view-plane coordinates (x right, y up) for a view direction.
struct ViewPoint {
  double x, y;
};
ViewPoint project(ViewKind kind, Vec3 p);

class Drawing {
 public:
  Drawing() = default;

  // Adds an entity with a fresh handle (unless it carries one that is free); it becomes the last
  // object. Returns its handle.
  Handle add(Entity entity);
  Entity* find(Handle handle);
  const Entity* find(Handle handle) const;
  const std::vector<Entity>& entities() const { return entities_; }
  const Block* block(std::wstring_view name) const;  // names compare case-insensitively
  const std::map<std::wstring, Block>& blocks() const { return blocks_; }

  // Copy of an entity in place: a new handle, and it becomes the last object.
  std::optional<Handle> copy(Handle handle);
  // Rotates entities about the axis from `from` to `to`; handles not in model space are skipped.
  void rotate(const std::vector<Handle>& handles, Vec3 from, Vec3 to, double radians);
  void move(const std::vector<Handle>& handles, Vec3 offset);
  // Takes the entities out of model space into a new block. False when the name is taken.
  bool defineBlock(const std::wstring& name, Vec3 basePoint, const std::vector<Handle>& handles);
  // Adds a block definition as it was saved.
  void addBlock(Block block);
  // A block reference: the new last object.
  Handle insert(const std::wstring& name, Vec3 point, double xScale, double yScale,
                double rotation);

  // The map of a block reference from its block's coordinates to the world.
  Affine referenceMap(const Entity& reference) const;
  // Calls `visit` with every entity of `entity` as stored, and the map from its coordinates to
  // the world: none for `entity` itself, a block reference's map (nested references followed,
  // to a sane depth) for its block's entities.
  using PartVisitor = std::function<void(const Entity& part, const Affine* map)>;
  void forEachPart(const Entity& entity, const PartVisitor& visit) const;
  // The same parts, each mapped to the world as an entity. A circle under a map that does not
  // keep its shape stays a circle here: draw from `forEachPart` to see the ellipse.
  void forEachWorldEntity(const Entity& entity,
                          const std::function<void(const Entity&)>& visit) const;

  // Handles of `handles` still in model space, in order, without repeats.
  std::vector<Handle> existing(const std::vector<Handle>& handles) const;

  std::vector<Handle> previousSelection;
  std::optional<Handle> lastObject;
  std::vector<Handle> activeSelection;  // the automation model's ActiveSelectionSet
  View view;
  Handle nextHandle = 0x2A;

 private:
  void parts(const Entity& entity, const Affine& map, int depth, const PartVisitor& visit) const;

  std::vector<Entity> entities_;
  std::map<std::wstring, Block> blocks_;  // by upper-case name
};

// Case-insensitive key for names (ASCII letters folded; CAD names are mostly ASCII).
std::wstring upperCase(std::wstring_view text);

}  // namespace orbelle::sim
