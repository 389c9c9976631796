#include "sim/Session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>

#include "sim/CadNumbers.h"
#include "sim/DrawingJson.h"

namespace orbelle::sim {

namespace {

constexpr std::size_t kHistoryLines = 200;

std::string statusText(std::int32_t status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(status));
  return text;
}

std::string flagsText(int flags) {
  std::string out;
  for (auto [bit, name] : {std::pair{kMethod, "method"}, {kGet, "get"}, {kPut, "put"}}) {
    if ((flags & bit) != 0)
      out += out.empty() ? name : std::string("|") + name;
  }
  return out;
}

RequestKind requestFor(PromptKind kind) {
  switch (kind) {
    case PromptKind::Objects:
      return RequestKind::Objects;
    case PromptKind::Point:
      return RequestKind::Point;
    case PromptKind::Number:
      return RequestKind::Number;
    default:
      return RequestKind::Text;
  }
}

std::string pointJson(Vec3 p) {
  return json::array({json::number(p.x), json::number(p.y), json::number(p.z)});
}

std::string handlesJson(const std::vector<Handle>& handles) {
  std::vector<std::string> items;
  for (Handle h : handles)
    items.push_back(json::quote(handleText(h)));
  return json::array(items);
}

}  // namespace

const char* requestName(RequestKind kind) {
  switch (kind) {
    case RequestKind::Objects:
      return "objects";
    case RequestKind::Point:
      return "point";
    case RequestKind::Entity:
      return "entity";
    case RequestKind::Number:
      return "number";
    case RequestKind::Text:
      return "text";
  }
  return "?";
}

Session::Session(Drawing drawing, std::vector<ScriptStep> script, LogSink& log,
                 HostPlatform& platform)
    : drawing_(std::move(drawing)),
      commandLine_(drawing_, *this),
      script_(std::move(script)),
      log_(log),
      platform_(platform) {}

Session::~Session() = default;

// --- the log ---------------------------------------------------------------------------------

json::ObjectWriter Session::line(std::string_view kind) const {
  // A monotonic time on every line, so that a reader can time what happened between two lines
  // (a benchmark of the client's round trips, for instance) without a clock of its own.
  const auto elapsed = std::chrono::steady_clock::now() - started_;
  json::ObjectWriter w;
  w.integer("seq", seq_ + 1)
      .text("kind", fromUtf8(kind))
      .integer("live", live_)
      .integer("us", std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count());
  return w;
}

void Session::emit(const json::ObjectWriter& writer) {
  ++seq_;
  log_.write(writer.str());
}

std::string Session::valueJson(const Value& value) const {
  return std::visit(
      [](const auto& v) -> std::string {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return "null";
        } else if constexpr (std::is_same_v<T, Missing>) {
          return R"({"missing":true})";
        } else if constexpr (std::is_same_v<T, bool>) {
          return v ? "true" : "false";
        } else if constexpr (std::is_same_v<T, std::int32_t> || std::is_same_v<T, std::int64_t>) {
          return json::integer(v);
        } else if constexpr (std::is_same_v<T, double>) {
          return json::number(v);
        } else if constexpr (std::is_same_v<T, std::wstring>) {
          return json::quote(v);
        } else if constexpr (std::is_same_v<T, std::vector<double>>) {
          std::vector<std::string> items;
          for (double d : v)
            items.push_back(json::number(d));
          return json::array(items);
        } else if constexpr (std::is_same_v<T, ObjectRef>) {
          if (!v)
            return "null";
          json::ObjectWriter w;
          w.text("object", fromUtf8(v->kind())).integer("id", v->id());
          if (const auto h = v->handle())
            w.text("handle", handleText(*h));
          return w.str();
        } else {
          return R"({"object":"foreign"})";
        }
      },
      value);
}

void Session::ready(const HostIdentity& identity) {
  std::vector<std::string> programIds;
  for (const std::wstring& id : identity.programIds)
    programIds.push_back(json::quote(id));
  emit(line("ready")
           .text("title", identity.title)
           .integer("hwnd", platform_.windowHandle())
           .text("dialect", fromUtf8(dialect_->name))
           .text("release", fromUtf8(identity.release))
           .text("dispatch", dialect_->typeLibrary ? L"type-library" : L"hand")
           .text("classId", identity.classId)
           .raw("programIds", json::array(programIds)));
  runScript();
}

void Session::programIdSkipped(const std::wstring& programId, const std::wstring& otherClass) {
  emit(line("registration")
           .text("event", L"skipped")
           .text("programId", programId)
           .text("classId", otherClass)
           .text("message", programId + L" names another class (" + otherClass +
                                L"): left as it is, not registered"));
}

// --- automation ------------------------------------------------------------------------------

int Session::objectCreated(AutomationObject&) {
  ++live_;
  return nextObjectId_++;
}

void Session::objectReleased(AutomationObject& object) {
  if (std::erase(resident_, object.id()) > 0)
    return;  // counted nowhere, logged nowhere
  --live_;
  emit(line("released").text("object", fromUtf8(object.kind())).integer("id", object.id()));
}

ObjectRef Session::createApplication() {
  ObjectRef application = makeApplication(*this, *dialect_);
  emit(line("create")
           .text("object", fromUtf8(application->kind()))
           .integer("id", application->id())
           .text("dialect", fromUtf8(dialect_->name)));
  return application;
}

ObjectRef Session::residentApplication() {
  ObjectRef application = makeApplication(*this, *dialect_);
  --live_;
  resident_.push_back(application->id());
  return application;
}

int Session::memberId(const AutomationObject& object, std::wstring_view name) {
  const int id = object.memberId(name);
  lookedUp(object, name, id == 0 ? kUnknownDispid : id);
  return id;
}

void Session::lookedUp(const AutomationObject& object, std::wstring_view name, int dispid) {
  // A lookup is a round trip of its own for a client across processes: logged, so that the
  // client's round trips can be counted.
  emit(line("lookup")
           .text("object", fromUtf8(object.kind()))
           .integer("id", object.id())
           .text("name", name)
           .integer("dispid", dispid));
}

void Session::refused(const AutomationObject& object, const std::wstring& member,
                      std::int32_t status) {
  emit(line("fail")
           .text("object", fromUtf8(object.kind()))
           .integer("id", object.id())
           .text("member", member)
           .text("status", fromUtf8(statusText(status)))
           .text("scode", fromUtf8(statusText(status)))
           .text("message", L"refused by the type library's dispatch before the member ran"));
}

WireValue Session::call(AutomationObject& object, const std::wstring& name, int flags,
                        std::vector<Argument>& arguments) {
  const ObjectRef keep = object.shared_from_this();  // the call may drop the caller's reference
  // Names are case-insensitive; the objects see each member under its own spelling.
  const int id = object.memberId(name);
  if (id == 0)
    throw AutomationError(kUnknownName, L"unknown member " + name, false);
  const std::wstring& member = object.members()[static_cast<std::size_t>(id) - 1];
  std::vector<std::string> in, encodings;
  for (const Argument& a : arguments) {
    in.push_back(a.isOut ? R"({"out":true})" : valueJson(a.value));
    encodings.push_back(json::quote(fromUtf8(a.encoding)));
  }
  auto called = line("call");
  called.text("object", fromUtf8(object.kind()))
      .integer("id", object.id())
      .text("member", member)
      .text("flags", fromUtf8(flagsText(flags)))
      .raw("args", json::array(in));
  if (std::any_of(arguments.begin(), arguments.end(),
                  [](const Argument& a) { return !a.encoding.empty(); }))
    called.raw("encodings", json::array(encodings));
  emit(called);
  try {
    const Value result = object.invoke(member, flags, arguments);
    const WireValue answer = encoder_.encode(result, object.dialect());
    auto w = line("return");
    w.text("object", fromUtf8(object.kind())).integer("id", object.id()).text("member", member);
    w.raw("result", valueJson(result)).text("encoding", fromUtf8(describe(answer)));
    std::vector<std::string> out, outEncodings;
    for (Argument& a : arguments) {
      if (!a.isOut)
        continue;
      out.push_back(a.output ? valueJson(*a.output) : "null");
      if (a.output)
        a.reply = encoder_.encode(*a.output, object.dialect());
      outEncodings.push_back(json::quote(fromUtf8(a.reply ? describe(*a.reply) : "")));
    }
    if (!out.empty())
      w.raw("out", json::array(out)).raw("outEncodings", json::array(outEncodings));
    emit(w);
    return answer;
  } catch (const AutomationError& e) {
    // The type library's dispatch (ITypeInfo::Invoke) turns every failing result into
    // DISP_E_EXCEPTION with the status as its scode.
    const bool exception = e.exception() || object.dialect().typeLibrary;
    emit(line("fail")
             .text("object", fromUtf8(object.kind()))
             .integer("id", object.id())
             .text("member", member)
             .text("status", fromUtf8(statusText(exception ? kDispatchException : e.status())))
             .text("scode", fromUtf8(statusText(e.status())))
             .text("message", e.description()));
    throw;
  } catch (const std::exception& e) {
    const AutomationError error(kFailed, L"internal error: " + fromUtf8(e.what()));
    emit(line("fail")
             .text("object", fromUtf8(object.kind()))
             .integer("id", object.id())
             .text("member", member)
             .text("status", fromUtf8(statusText(kDispatchException)))
             .text("scode", fromUtf8(statusText(kFailed)))
             .text("message", error.description()));
    throw error;
  }
}

void Session::sendCommand(const std::wstring& text) {
  emit(line("command").text("event", L"received").text("text", text));
  commandLine_.type(text);
  if (!scriptStopped_ && nextStep_ < script_.size() &&
      script_[nextStep_].kind == StepKind::WaitCommand && script_[nextStep_].text == text) {
    commandArrived_ = true;
  }
  afterInput();
}

void Session::showPrompt(const std::wstring& text) {
  echo(text);
}

Vec3 Session::getPoint(std::optional<Vec3> basePoint, const std::wstring& prompt) {
  auto request = ask(RequestKind::Point, L"GetPoint", prompt, basePoint);
  waitFor(request);
  return request->point;
}

double Session::getReal(const std::wstring& prompt) {
  auto request = ask(RequestKind::Number, L"GetReal", prompt, std::nullopt);
  waitFor(request);
  return request->number;
}

std::pair<std::optional<Handle>, Vec3> Session::getEntity(const std::wstring& prompt) {
  auto request = ask(RequestKind::Entity, L"GetEntity", prompt, std::nullopt);
  waitFor(request);
  return {request->entity, request->point};
}

std::vector<Handle> Session::selectOnScreen(const std::wstring& prompt) {
  auto request = ask(RequestKind::Objects, L"SelectOnScreen", prompt, std::nullopt);
  waitFor(request);
  dismissedSelection_.clear();
  const std::vector<Handle> chosen = drawing_.existing(request->objects);
  if (!chosen.empty())
    drawing_.previousSelection = chosen;
  return chosen;
}

bool Session::isQuiescent() const {
  if (commandLine_.running())
    return false;
  return std::none_of(requests_.begin(), requests_.end(), [](const auto& r) { return !r->done; });
}

void Session::drawingChanged() {
  platform_.redraw();
}

// --- requests --------------------------------------------------------------------------------

std::shared_ptr<Request> Session::ask(RequestKind kind, const wchar_t* member,
                                      const std::wstring& prompt, std::optional<Vec3> basePoint) {
  auto request = std::make_shared<Request>();
  request->kind = kind;
  request->source = member;
  request->prompt = prompt;
  request->basePoint = basePoint;
  requests_.push_back(request);
  typed_.clear();
  logWaiting(*request);
  platform_.redraw();
  runScript();
  return request;
}

void Session::waitFor(const std::shared_ptr<Request>& request) {
  platform_.waitUntil([&] { return request->done; });
  std::erase(requests_, request);
  platform_.redraw();
  if (!request->done)
    throw AutomationError(kFailed, L"the host is closing");
  if (request->cancelled)
    throw AutomationError(kAborted, L"Cancelled by the user (Escape)");
}

void Session::logWaiting(const Request& request) {
  auto w = line("waiting");
  w.text("for", fromUtf8(requestName(request.kind)))
      .text("prompt", request.prompt)
      .text("source", request.source);
  if (request.basePoint)
    w.raw("basePoint", pointJson(*request.basePoint));
  emit(w);
}

void Session::syncCommandRequest() {
  auto it = std::find_if(requests_.begin(), requests_.end(),
                         [](const auto& r) { return r->fromCommandLine; });
  const Prompt& prompt = commandLine_.prompt();
  if (!commandLine_.running()) {
    if (it != requests_.end()) {
      (*it)->done = true;
      requests_.erase(it);
    }
    return;
  }
  if (it != requests_.end() && (*it)->promptSerial == prompt.serial)
    return;
  auto request = std::make_shared<Request>();
  request->kind = requestFor(prompt.kind);
  request->fromCommandLine = true;
  request->source = commandLine_.commandName();
  request->prompt = prompt.text;
  request->basePoint = commandLine_.basePoint();
  request->promptSerial = prompt.serial;
  if (it != requests_.end()) {
    (*it)->done = true;
    *it = request;
  } else {
    requests_.push_back(request);
  }
  logWaiting(*request);
}

void Session::afterInput() {
  syncCommandRequest();
  platform_.redraw();
  runScript();
}

Request* Session::top() const {
  for (auto it = requests_.rbegin(); it != requests_.rend(); ++it) {
    if (!(*it)->done)
      return it->get();
  }
  return nullptr;
}

void Session::giveObjects(const std::vector<Handle>& handles, bool end) {
  Request* request = top();
  if (request == nullptr || request->kind != RequestKind::Objects)
    return;
  if (request->fromCommandLine) {
    commandLine_.pickObjects(handles, end);
    afterInput();
    return;
  }
  const std::vector<Handle> present = drawing_.existing(handles);
  std::size_t added = 0;
  for (Handle h : present) {
    if (std::find(request->objects.begin(), request->objects.end(), h) == request->objects.end()) {
      request->objects.push_back(h);
      ++added;
    }
  }
  if (!handles.empty() || !end)
    echo(foundMessage(present.size(), present.size() - added, request->objects.size()));
  request->done = end;
  platform_.redraw();
}

void Session::givePoint(Vec3 point) {
  Request* request = top();
  if (request == nullptr || request->kind != RequestKind::Point)
    return;
  if (request->fromCommandLine) {
    commandLine_.pickPoint(point);
    afterInput();
    return;
  }
  request->point = point;
  request->done = true;
}

void Session::giveNumber(double value) {
  Request* request = top();
  if (request == nullptr || request->kind != RequestKind::Number)
    return;
  if (request->fromCommandLine) {
    commandLine_.enterNumber(value);
    afterInput();
    return;
  }
  request->number = value;
  request->done = true;
}

void Session::giveEntity(std::optional<Handle> entity, Vec3 point) {
  Request* request = top();
  if (request == nullptr || request->kind != RequestKind::Entity)
    return;
  request->entity = entity;
  request->point = point;
  request->done = true;
}

void Session::cancelTop() {
  typed_.clear();
  Request* request = top();
  if (request == nullptr || request->fromCommandLine) {
    dismissedSelection_ = drawing_.activeSelection;
    commandLine_.cancel();
    afterInput();
    return;
  }
  echo(request->prompt + L"*Cancel*");
  request->cancelled = true;
  request->done = true;
}

// --- the person at the window ----------------------------------------------------------------

void Session::windowEvent(std::string_view event) {
  emit(line("window").text("event", fromUtf8(event)));
}

void Session::keyEscape(bool down) {
  emit(line("key").text("key", L"Escape").text("event", down ? L"down" : L"up"));
  if (down)
    cancelTop();
}

void Session::typeKey(wchar_t c) {
  Request* request = top();
  if (request == nullptr || request->fromCommandLine) {
    commandLine_.type(c);
    afterInput();
    return;
  }
  if (c == L'\b') {
    if (!typed_.empty())
      typed_.pop_back();
  } else if (c == L'\r' || c == L'\n' || (c == L' ' && request->kind != RequestKind::Text)) {
    const std::wstring token = std::exchange(typed_, {});
    echo(request->prompt + token);
    switch (request->kind) {
      case RequestKind::Point:
        if (const auto point = parseCadPoint(token))
          givePoint(*point);
        else
          echo(L"Invalid point.");
        break;
      case RequestKind::Number:
        if (const auto number = parseCadNumber(token))
          giveNumber(*number);
        else
          echo(L"Requires numeric value.");
        break;
      case RequestKind::Entity:
        if (token.empty())
          giveEntity(std::nullopt, {});
        break;
      case RequestKind::Objects:
        if (token.empty())
          giveObjects({}, true);
        break;
      case RequestKind::Text:
        break;
    }
  } else if (c >= 0x20) {
    typed_ += c;
  }
  platform_.redraw();
}

void Session::pointAt(Vec3 world, std::optional<Handle> hit) {
  Request* request = top();
  if (request == nullptr)
    return;
  switch (request->kind) {
    case RequestKind::Objects:
      if (hit)
        giveObjects({*hit}, false);
      break;
    case RequestKind::Point:
      givePoint(world);
      break;
    case RequestKind::Entity:
      giveEntity(hit, world);
      break;
    default:
      break;
  }
}

void Session::endPicking() {
  Request* request = top();
  if (request != nullptr && request->kind == RequestKind::Objects)
    giveObjects({}, true);
}

// --- the script ------------------------------------------------------------------------------

void Session::runScript() {
  if (runningScript_)
    return;
  runningScript_ = true;
  while (!scriptStopped_ && nextStep_ < script_.size()) {
    const ScriptStep& step = script_[nextStep_];
    if (!applyStep(step))
      break;
  }
  runningScript_ = false;
}

void Session::scriptError(const ScriptStep& step, const std::string& message) {
  scriptStopped_ = true;
  echo(L"Script line " + std::to_wstring(step.line) + L": " + fromUtf8(message));
  emit(line("script")
           .text("event", L"error")
           .integer("line", step.line)
           .text("step", step.source)
           .text("message", fromUtf8(message)));
}

bool Session::applyStep(const ScriptStep& step) {
  auto used = [&](std::string_view kind) {
    ++nextStep_;
    return line(kind).integer("line", step.line).text("step", step.source);
  };
  Request* request = top();
  const bool answers = step.kind == StepKind::Select || step.kind == StepKind::Point ||
                       step.kind == StepKind::Pick || step.kind == StepKind::Number ||
                       step.kind == StepKind::Escape;
  if (answers) {
    if (request == nullptr)
      return false;  // held until something is asked
    const RequestKind wanted = step.kind == StepKind::Select   ? RequestKind::Objects
                               : step.kind == StepKind::Point  ? RequestKind::Point
                               : step.kind == StepKind::Pick   ? RequestKind::Entity
                               : step.kind == StepKind::Number ? RequestKind::Number
                                                               : request->kind;
    if (wanted != request->kind) {
      scriptError(step, std::string("\"") + stepName(step.kind) + "\" does not answer the " +
                            requestName(request->kind) + " request \"" + toUtf8(request->prompt) +
                            "\"; the script stops here");
      return false;
    }
    auto w = used("answer");
    w.text("for", fromUtf8(requestName(request->kind)));
    if (step.kind == StepKind::Select)
      w.raw("handles", handlesJson(step.handles));
    emit(w);
    switch (step.kind) {
      case StepKind::Select:
        giveObjects(step.handles, true);
        break;
      case StepKind::Point:
        givePoint(*step.point);
        break;
      case StepKind::Number:
        giveNumber(step.number);
        break;
      case StepKind::Escape:
        cancelTop();
        break;
      case StepKind::Pick: {
        if (step.handles.empty()) {
          giveEntity(std::nullopt, step.point.value_or(Vec3{}));
          break;
        }
        const Entity* e = drawing_.find(step.handles[0]);
        if (e == nullptr) {
          --nextStep_;
          scriptError(step, "there is no entity " + toUtf8(handleText(step.handles[0])) +
                                " in the drawing to pick");
          return false;
        }
        giveEntity(e->handle, step.point.value_or(e->points.empty() ? Vec3{} : e->points[0]));
        break;
      }
      default:
        break;
    }
    return true;
  }
  switch (step.kind) {
    case StepKind::WaitCommand:
      if (!commandArrived_)
        return false;
      commandArrived_ = false;
      emit(used("script").text("event", L"command arrived"));
      return true;
    case StepKind::Type:
      emit(used("script").text("event", L"typed"));
      for (wchar_t c : step.text)
        typeKey(c);
      return true;
    case StepKind::Dialect:
      // Type-library dispatch answers in the declared types: canonical is all it speaks. The
      // host refuses such a script at start; this holds for a session made otherwise.
      if (dialect_->typeLibrary && step.text != L"canonical") {
        scriptError(step,
                    "type-library dispatch answers in the types its library declares: no "
                    "dialect but canonical");
        return false;
      }
      if (!dialect_->typeLibrary)
        dialect_ = &dialectNamed(toUtf8(step.text));
      emit(used("script").text("event", L"dialect"));
      return true;
    case StepKind::SaveJson:
    case StepKind::SavePng: {
      ++nextStep_;
      try {
        if (step.kind == StepKind::SaveJson)
          saveJson(step.text);
        else
          platform_.savePicture(step.text);
      } catch (const Error& e) {
        --nextStep_;
        scriptError(step, e.what());
        return false;
      }
      emit(line("saved")
               .text("format", step.kind == StepKind::SaveJson ? L"json" : L"png")
               .text("path", step.text)
               .integer("line", step.line));
      return true;
    }
    case StepKind::Revoke: {
      if (top() == nullptr)
        return false;  // held until a client has asked something
      auto w = used("script");
      platform_.revokeClassObject();
      emit(w.text("event", L"revoked"));
      return true;
    }
    case StepKind::Exit:
      emit(used("script").text("event", L"exit"));
      platform_.close();
      return false;
    default:
      return false;
  }
}

void Session::saveJson(const std::wstring& path) {
  std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  if (!file)
    throw Error("cannot write " + toUtf8(path) + " (does its folder exist?)");
  file << saveDrawing(drawing_);
  file.close();
  if (!file)
    throw Error("writing " + toUtf8(path) + " failed");
}

// --- what the window shows -------------------------------------------------------------------

void Session::echo(const std::wstring& text) {
  history_.push_back(text);
  if (history_.size() > kHistoryLines)
    history_.erase(history_.begin());
  emit(line("echo").text("text", text));
}

void Session::commandEvent(std::string_view event, const std::wstring& command,
                           const std::wstring& detail) {
  auto w = line("command");
  w.text("event", fromUtf8(event)).text("command", command);
  if (!detail.empty())
    w.text("detail", detail);
  emit(w);
}

std::wstring Session::currentLine() const {
  const Request* request = top();
  if (request != nullptr && !request->fromCommandLine)
    return request->prompt + typed_;
  return commandLine_.prompt().text + commandLine_.typed();
}

std::vector<Handle> Session::highlighted() const {
  std::vector<Handle> out = commandLine_.selection();
  for (const auto& r : requests_) {
    if (!r->done && r->kind == RequestKind::Objects)
      out.insert(out.end(), r->objects.begin(), r->objects.end());
  }
  if (drawing_.activeSelection != dismissedSelection_)
    out.insert(out.end(), drawing_.activeSelection.begin(), drawing_.activeSelection.end());
  return drawing_.existing(out);
}

std::optional<Drag> Session::drag() const {
  const Request* request = top();
  if (request != nullptr && !request->fromCommandLine) {
    if (request->kind == RequestKind::Point && request->basePoint)
      return Drag{*request->basePoint, {}};
    return std::nullopt;
  }
  return commandLine_.drag();
}

}  // namespace orbelle::sim
