#include "sim/DrawingJson.h"

#include <cmath>

#include "sim/Json.h"
#include "sim/Picture.h"

namespace orbelle::sim {

namespace {

using json::ObjectWriter;

std::string pointJson(Vec3 p) {
  return json::array({json::number(p.x), json::number(p.y), json::number(p.z)});
}

std::string handleJson(Handle h) {
  return json::quote(handleText(h));
}

std::string handlesJson(const std::vector<Handle>& handles) {
  std::vector<std::string> items;
  for (Handle h : handles)
    items.push_back(handleJson(h));
  return json::array(items);
}

std::string entityJson(const Drawing& drawing, const Entity& e, bool withWorld) {
  ObjectWriter w;
  w.raw("handle", handleJson(e.handle)).text("type", objectName(e.type));
  const Vec3 first = e.points.empty() ? Vec3{} : e.points[0];
  switch (e.type) {
    case EntityType::Line:
    case EntityType::Polyline: {
      std::vector<std::string> points;
      for (Vec3 p : e.points)
        points.push_back(pointJson(p));
      w.raw("points", json::array(points));
      if (e.type == EntityType::Polyline)
        w.boolean("closed", e.closed);
      break;
    }
    case EntityType::Circle:
      w.raw("center", pointJson(first))
          .number("radius", e.radius)
          .raw("normal", pointJson(e.normal));
      break;
    case EntityType::Text:
    case EntityType::MText:
      w.text("text", e.text).raw("insertionPoint", pointJson(first));
      if (e.type == EntityType::Text) {
        w.raw("alignmentPoint", pointJson(e.points.size() > 1 ? e.points[1] : first))
            .integer("alignment", e.alignment)
            .number("obliqueAngle", e.obliqueAngle)
            .number("widthFactor", e.widthFactor);
      }
      w.number("height", e.height)
          .number("rotation", e.rotation)
          .raw("normal", pointJson(e.normal));
      break;
    case EntityType::BlockReference: {
      w.text("block", e.blockName)
          .raw("insertionPoint", pointJson(first))
          .number("xScale", e.xScale)
          .number("yScale", e.yScale)
          .number("rotation", e.rotation)
          .raw("normal", pointJson(e.normal));
      if (withWorld) {
        std::vector<std::string> world;
        drawing.forEachWorldEntity(
            e, [&](const Entity& part) { world.push_back(entityJson(drawing, part, false)); });
        w.raw("world", json::array(world));
      }
      break;
    }
  }
  return w.str();
}

// Reading, with the line of every complaint.
[[noreturn]] void fail(const json::Value& at, const std::string& what) {
  throw DrawingError(at.line, what);
}

const json::Value& member(const json::Value& object, const char* key, const std::string& where) {
  const json::Value* value = object.find(key);
  if (value == nullptr)
    fail(object, where + " has no \"" + key + "\"");
  return *value;
}

double numberOf(const json::Value& value, const std::string& what) {
  if (!value.isNumber())
    fail(value, what + " must be a number");
  return std::get<double>(value.data);
}

double optionalNumber(const json::Value& object, const char* key, double fallback,
                      const std::string& where) {
  const json::Value* value = object.find(key);
  return value == nullptr ? fallback : numberOf(*value, where + " \"" + key + "\"");
}

std::string stringOf(const json::Value& value, const std::string& what) {
  if (!value.isString())
    fail(value, what + " must be a string");
  return std::get<std::string>(value.data);
}

Vec3 pointOf(const json::Value& value, const std::string& what) {
  if (!value.isArray() || (value.array().size() != 2 && value.array().size() != 3))
    fail(value, what + " must be a point: [x, y] or [x, y, z]");
  const auto& a = value.array();
  return {numberOf(a[0], what + " x"), numberOf(a[1], what + " y"),
          a.size() == 3 ? numberOf(a[2], what + " z") : 0.0};
}

Handle handleOf(const json::Value& value, const std::string& what) {
  const auto handle = parseHandle(fromUtf8(stringOf(value, what)));
  if (!handle)
    fail(value, what + " must be a handle in hexadecimal, such as \"2A\"");
  return *handle;
}

Entity entityOf(const json::Value& value, const std::string& where) {
  if (!value.isObject())
    fail(value, where + " must be an object");
  Entity e;
  const std::string typeName = stringOf(member(value, "type", where), where + " \"type\"");
  const auto type = entityTypeFromName(fromUtf8(typeName));
  if (!type) {
    fail(value, where + " has the unknown type \"" + typeName +
                    "\" (known: AcDbLine, AcDbPolyline, AcDbCircle, AcDbText, AcDbMText, "
                    "AcDbBlockReference)");
  }
  e.type = *type;
  if (const json::Value* h = value.find("handle"))
    e.handle = handleOf(*h, where + " \"handle\"");
  if (const json::Value* n = value.find("normal")) {
    e.normal = pointOf(*n, where + " \"normal\"");
    if (length(e.normal) == 0)
      fail(*n, where + " \"normal\" must not be zero");
    e.normal = normalized(e.normal);
  }
  e.rotation = optionalNumber(value, "rotation", 0, where);
  switch (e.type) {
    case EntityType::Line:
    case EntityType::Polyline: {
      const json::Value& points = member(value, "points", where);
      if (!points.isArray())
        fail(points, where + " \"points\" must be an array of points");
      for (const json::Value& p : points.array())
        e.points.push_back(pointOf(p, where + " point"));
      const std::size_t least = 2;
      if (e.points.size() < least || (e.type == EntityType::Line && e.points.size() != 2))
        fail(points, where + (e.type == EntityType::Line ? " needs exactly two points"
                                                         : " needs at least two points"));
      if (const json::Value* closed = value.find("closed"))
        e.closed = std::holds_alternative<bool>(closed->data) && std::get<bool>(closed->data);
      break;
    }
    case EntityType::Circle:
      e.points = {pointOf(member(value, "center", where), where + " \"center\"")};
      e.radius = numberOf(member(value, "radius", where), where + " \"radius\"");
      if (!(e.radius > 0))
        fail(value, where + " \"radius\" must be greater than 0");
      break;
    case EntityType::Text:
    case EntityType::MText: {
      e.text = fromUtf8(stringOf(member(value, "text", where), where + " \"text\""));
      const Vec3 insertion =
          pointOf(member(value, "insertionPoint", where), where + " \"insertionPoint\"");
      e.points = {insertion};
      e.height = optionalNumber(value, "height", 1, where);
      if (!(e.height > 0))
        fail(value, where + " \"height\" must be greater than 0");
      if (e.type == EntityType::Text) {
        const json::Value* alignment = value.find("alignmentPoint");
        e.points.push_back(alignment ? pointOf(*alignment, where + " \"alignmentPoint\"")
                                     : insertion);
        e.alignment = static_cast<std::int32_t>(optionalNumber(value, "alignment", 0, where));
        e.obliqueAngle = optionalNumber(value, "obliqueAngle", 0, where);
        e.widthFactor = optionalNumber(value, "widthFactor", 1, where);
      }
      break;
    }
    case EntityType::BlockReference:
      e.blockName = fromUtf8(stringOf(member(value, "block", where), where + " \"block\""));
      e.points = {pointOf(member(value, "insertionPoint", where), where + " \"insertionPoint\"")};
      e.xScale = optionalNumber(value, "xScale", 1, where);
      e.yScale = optionalNumber(value, "yScale", 1, where);
      break;
  }
  return e;
}

std::vector<Entity> entitiesOf(const json::Value& list, const std::string& where) {
  if (!list.isArray())
    fail(list, where + " must be an array");
  std::vector<Entity> out;
  int index = 0;
  for (const json::Value& item : list.array())
    out.push_back(entityOf(item, where + " item " + std::to_string(++index)));
  return out;
}

std::vector<Handle> handlesOf(const json::Value* list, const std::string& where) {
  std::vector<Handle> out;
  if (list == nullptr || list->isNull())
    return out;
  if (!list->isArray())
    fail(*list, where + " must be an array of handles");
  for (const json::Value& item : list->array())
    out.push_back(handleOf(item, where));
  return out;
}

}  // namespace

std::string saveDrawing(const Drawing& drawing) {
  std::vector<std::string> entities;
  for (const Entity& e : drawing.entities())
    entities.push_back("\n  " + entityJson(drawing, e, true));
  std::vector<std::string> blocks;
  for (const auto& [key, block] : drawing.blocks()) {
    std::vector<std::string> inside;
    for (const Entity& e : block.entities)
      inside.push_back(entityJson(drawing, e, false));
    blocks.push_back("\n  " + ObjectWriter()
                                  .text("name", block.name)
                                  .raw("basePoint", pointJson(block.basePoint))
                                  .raw("entities", json::array(inside))
                                  .str());
  }
  const View& v = drawing.view;
  ObjectWriter w;
  w.text("format", L"orbelle-standin-drawing")
      .integer("version", 1)
      .raw("entities", json::array(entities))
      .raw("blocks", json::array(blocks))
      .raw("previousSelection", handlesJson(drawing.previousSelection))
      .raw("activeSelection", handlesJson(drawing.activeSelection))
      .raw("lastObject", drawing.lastObject ? handleJson(*drawing.lastObject) : "null")
      .raw("view",
           ObjectWriter()
               .text("kind", viewName(v.kind))
               .raw("center", json::array({json::number(v.centerX), json::number(v.centerY)}))
               .number("width", v.width)
               .number("height", v.height)
               .str())
      .raw("nextHandle", handleJson(drawing.nextHandle));
  return w.str() + "\n";
}

Drawing loadDrawing(std::string_view text) {
  json::Value root;
  try {
    root = json::parse(text);
  } catch (const json::ParseError& e) {
    throw DrawingError(e.line(), e.what());
  }
  if (!root.isObject())
    fail(root, "the drawing must be a JSON object with \"entities\"");
  Drawing drawing;
  if (const json::Value* blocks = root.find("blocks")) {
    if (!blocks->isArray())
      fail(*blocks, "\"blocks\" must be an array");
    for (const json::Value& b : blocks->array()) {
      const std::string where = "block";
      Block block;
      block.name = fromUtf8(stringOf(member(b, "name", where), "block \"name\""));
      block.basePoint = pointOf(member(b, "basePoint", where), "block \"basePoint\"");
      block.entities = entitiesOf(member(b, "entities", where), "block \"entities\"");
      if (drawing.block(block.name) != nullptr)
        fail(b, "block \"" + toUtf8(block.name) + "\" is defined twice");
      drawing.addBlock(std::move(block));
    }
  }
  for (Entity& e : entitiesOf(member(root, "entities", "the drawing"), "entity")) {
    if (e.type == EntityType::BlockReference && drawing.block(e.blockName) == nullptr)
      throw DrawingError(
          root.line, "a block reference names the undefined block \"" + toUtf8(e.blockName) + "\"");
    if (e.handle != 0 && drawing.find(e.handle) != nullptr)
      throw DrawingError(root.line,
                         "the handle " + toUtf8(handleText(e.handle)) + " is used twice");
    drawing.add(std::move(e));
  }
  drawing.previousSelection = handlesOf(root.find("previousSelection"), "\"previousSelection\"");
  drawing.activeSelection = handlesOf(root.find("activeSelection"), "\"activeSelection\"");
  drawing.lastObject.reset();
  if (const json::Value* last = root.find("lastObject"); last != nullptr && !last->isNull())
    drawing.lastObject = handleOf(*last, "\"lastObject\"");
  else if (!drawing.entities().empty())
    drawing.lastObject = drawing.entities().back().handle;
  if (const json::Value* view = root.find("view")) {
    const auto kind =
        viewFromName(fromUtf8(stringOf(member(*view, "kind", "\"view\""), "view kind")));
    if (!kind)
      fail(*view, "\"view\" \"kind\" must be TOP, SWISO or SEISO");
    drawing.view.kind = *kind;
    if (const json::Value* center = view->find("center")) {
      const Vec3 c = pointOf(*center, "view \"center\"");
      drawing.view.centerX = c.x;
      drawing.view.centerY = c.y;
    }
    drawing.view.width = optionalNumber(*view, "width", drawing.view.width, "\"view\"");
    drawing.view.height = optionalNumber(*view, "height", drawing.view.height, "\"view\"");
  } else {
    drawing.view = zoomedToExtents(drawing, ViewKind::Plan);
  }
  return drawing;
}

}  // namespace orbelle::sim
