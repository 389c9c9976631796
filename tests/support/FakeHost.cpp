#include "tests/support/FakeHost.h"

#include <algorithm>
#include <stdexcept>

namespace orbelle::fake {

namespace {

// Every object handed out counts as one live reference until it is destroyed.
class Counted {
 public:
  explicit Counted(FakeHost& host) : host_(host) { host_.acquire(); }
  ~Counted() { host_.release(); }
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;

 protected:
  FakeHost& host_;
};

// How the host reports an ask the user cancelled: a failure of the ask, with its word on it.
HostError cancelled(const wchar_t* member) {
  return HostError(kStatusException, member, L"the user cancelled the request");
}

class ValueRef : public HostValue, Counted {
 public:
  ValueRef(FakeHost& host, FakeValue value) : Counted(host), value_(std::move(value)) {}

  const FakeValue& value() const { return value_; }

  bool isEmpty() const override { return value_.type == FakeValue::Type::Empty; }

  double element(int index) const override {
    if (value_.type != FakeValue::Type::Array || index < 0 ||
        static_cast<std::size_t>(index) >= value_.array.size())
      throw HostError(kStatusTypeMismatch, L"a point", L"not an array element");
    return value_.array[static_cast<std::size_t>(index)];
  }

  HostRef<HostObject> asObject() const override;

 private:
  FakeValue value_;
};

std::wstring describe(const HostValue* value) {
  if (value == nullptr)
    return L"<left out>";
  const auto* ours = dynamic_cast<const ValueRef*>(value);
  return ours == nullptr ? L"<foreign value>" : fake::describe(ours->value());
}

// A drawing object as reached through one interface: "Object", "Entity" or "Text".
class DrawingRef : public HostText, Counted {
 public:
  DrawingRef(FakeHost& host, std::wstring kind, std::wstring name)
      : Counted(host), kind_(std::move(kind)), name_(std::move(name)) {}

  HostRef<HostEntity> queryEntity() override {
    call(L"queryEntity");
    if (!entity().offersEntity)
      throw HostError(kStatusNoInterface, L"QueryInterface(IAcadEntity)");
    return std::make_unique<DrawingRef>(host_, L"Entity", name_);
  }
  HostRef<HostText> queryText() override {
    call(L"queryText");
    if (!entity().offersText)
      throw HostError(kStatusNoInterface, L"QueryInterface(IAcadText)");
    return std::make_unique<DrawingRef>(host_, L"Text", name_);
  }
  std::wstring objectName() override {
    call(L"objectName");
    return entity().className;
  }
  HostRef<HostObject> copy() override {
    call(L"copy");
    FakeEntity duplicate = entity();
    duplicate.name = L"copy of " + name_;
    while (host_.hasEntity(duplicate.name))
      duplicate.name += L"'";
    host_.addEntity(duplicate.name) = duplicate;
    return std::make_unique<DrawingRef>(host_, L"Object", duplicate.name);
  }
  void rotate3D(const HostValue& point1, const HostValue& point2, double radians) override {
    call(L"rotate3D", {describe(&point1), describe(&point2), number(radians)});
  }
  void update() override { call(L"update"); }
  std::int32_t alignment() override {
    call(L"alignment");
    return entity().alignment;
  }
  double height() override {
    call(L"height");
    return entity().height;
  }
  void setHeight(double value) override {
    call(L"setHeight", {number(value)});
    entity().height = value;
  }
  double rotation() override {
    call(L"rotation");
    return entity().rotation;
  }
  void setRotation(double radians) override {
    call(L"setRotation", {number(radians)});
    entity().rotation = radians;
  }
  void setScaleFactor(double value) override {
    call(L"setScaleFactor", {number(value)});
    entity().scaleFactor = value;
  }
  double obliqueAngle() override {
    call(L"obliqueAngle");
    return entity().obliqueAngle;
  }
  void setObliqueAngle(double radians) override {
    call(L"setObliqueAngle", {number(radians)});
    entity().obliqueAngle = radians;
  }
  HostRef<HostValue> insertionPoint() override {
    call(L"insertionPoint");
    return std::make_unique<ValueRef>(host_, entity().insertionPoint);
  }
  HostRef<HostValue> textAlignmentPoint() override {
    call(L"textAlignmentPoint");
    return std::make_unique<ValueRef>(host_, entity().alignmentPoint);
  }

 private:
  void call(std::wstring operation, std::vector<std::wstring> args = {}) {
    host_.enter(kind_ + L":" + name_, std::move(operation), std::move(args));
  }
  FakeEntity& entity() { return host_.entity(name_); }

  std::wstring kind_;
  std::wstring name_;
};

HostRef<HostObject> ValueRef::asObject() const {
  if (value_.type != FakeValue::Type::Object)
    throw HostError(kStatusTypeMismatch, L"the picked object",
                    L"not a dispatch object, or a null one");
  return std::make_unique<DrawingRef>(host_, L"Object", value_.text);
}

class SelectionRef : public HostSelection, Counted {
 public:
  using Counted::Counted;

  std::int32_t count() override {
    host_.enter(L"Selection", L"count");
    if (!host_.countAnswers.empty()) {
      const std::int32_t answer = host_.countAnswers.front();
      host_.countAnswers.pop_front();
      return answer;
    }
    return static_cast<std::int32_t>(host_.selection.size());
  }
  HostRef<HostEntity> item(std::int32_t index) override {
    host_.enter(L"Selection", L"item", {integer(index)});
    if (index < 0 || static_cast<std::size_t>(index) >= host_.selection.size())
      throw HostError(kStatusFail, L"Item", L"no such item");
    return std::make_unique<DrawingRef>(host_, L"Entity",
                                        host_.selection[static_cast<std::size_t>(index)]);
  }
  void clear() override {
    host_.enter(L"Selection", L"clear");
    host_.selection.clear();
  }
  void selectOnScreen() override {
    host_.enter(L"Selection", L"selectOnScreen");
    host_.selection = host_.userSelection;
  }
};

class InputRef : public HostInput, Counted {
 public:
  using Counted::Counted;

  void prompt(const std::wstring& message) override { host_.enter(L"Input", L"prompt", {message}); }
  HostRef<HostValue> getPoint(const HostValue* basePoint, const std::wstring& prompt) override {
    host_.enter(L"Input", L"getPoint", {describe(basePoint), prompt});
    return std::make_unique<ValueRef>(host_, take(host_.pointAnswers, L"GetPoint"));
  }
  double getReal(const std::wstring& prompt) override {
    host_.enter(L"Input", L"getReal", {prompt});
    return take(host_.realAnswers, L"GetReal");
  }
  PickedEntity getEntity(const std::wstring& prompt) override {
    host_.enter(L"Input", L"getEntity", {prompt});
    PickedEntity picked;
    picked.object = std::make_unique<ValueRef>(host_, take(host_.pickAnswers, L"GetEntity"));
    picked.point = std::make_unique<ValueRef>(host_, FakeValue::point(0, 0, 0));
    return picked;
  }

 private:
  // No answer left, or a cancelled one: the request fails as it does in the host.
  template <class T>
  static T take(std::deque<std::optional<T>>& answers, const wchar_t* member) {
    if (answers.empty())
      throw cancelled(member);
    std::optional<T> answer = std::move(answers.front());
    answers.pop_front();
    if (!answer)
      throw cancelled(member);
    return std::move(*answer);
  }
};

class StateRef : public HostState, Counted {
 public:
  using Counted::Counted;
  bool isQuiescent() override {
    host_.enter(L"State", L"isQuiescent");
    return host_.nextIdle();
  }
};

class StateLinkRef : public HostStateLink, Counted {
 public:
  using Counted::Counted;
  HostRef<HostState> getState() override {
    host_.enter(L"StateLink", L"getState");
    if (!host_.stateOffersInterface)
      throw HostError(kStatusNoInterface, L"QueryInterface(IAcadState)");
    return std::make_unique<StateRef>(host_);
  }
};

class DocumentRef : public HostDocument, Counted {
 public:
  using Counted::Counted;
  HostRef<HostSelection> selectionSet() override {
    host_.enter(L"Document", L"selectionSet");
    return std::make_unique<SelectionRef>(host_);
  }
  HostRef<HostInput> utility() override {
    host_.enter(L"Document", L"utility");
    return std::make_unique<InputRef>(host_);
  }
  void sendCommand(const std::wstring& text) override {
    host_.enter(L"Document", L"sendCommand", {text});
  }
  HostRef<HostStateLink> application() override {
    host_.enter(L"Document", L"application");
    return std::make_unique<StateLinkRef>(host_);
  }
};

class ApplicationRef : public HostApplication, Counted {
 public:
  using Counted::Counted;
  HostRef<HostDocument> activeDocument() override {
    host_.enter(L"Application", L"activeDocument");
    return std::make_unique<DocumentRef>(host_);
  }
  std::uint32_t mainWindowHandle() override {
    host_.enter(L"Application", L"mainWindowHandle");
    return host_.mainWindow;
  }
};

}  // namespace

std::wstring describe(const FakeValue& value) {
  switch (value.type) {
    case FakeValue::Type::Empty:
      return L"<empty>";
    case FakeValue::Type::Array: {
      std::wstring text = L"[";
      for (std::size_t i = 0; i < value.array.size(); ++i)
        text += (i == 0 ? L"" : L", ") + number(value.array[i]);
      return text + L"]";
    }
    case FakeValue::Type::Number:
      return number(value.number);
    case FakeValue::Type::Text:
      return L"\"" + value.text + L"\"";
    case FakeValue::Type::Object:
      return L"<object " + value.text + L">";
    case FakeValue::Type::NullObject:
      return L"<null object>";
  }
  return L"<?>";
}

FakeEntity& FakeHost::addEntity(std::wstring name, std::wstring className) {
  FakeEntity& added = drawing_.emplace_back();
  added.name = std::move(name);
  added.className = std::move(className);
  return added;
}

FakeEntity& FakeHost::addText(std::wstring name) {
  FakeEntity& text = addEntity(std::move(name), L"AcDbText");
  text.offersText = true;
  return text;
}

bool FakeHost::hasEntity(std::wstring_view name) const {
  for (const FakeEntity& candidate : drawing_) {
    if (candidate.name == name)
      return true;
  }
  return false;
}

FakeEntity& FakeHost::entity(std::wstring_view name) {
  for (FakeEntity& candidate : drawing_) {
    if (candidate.name == name)
      return candidate;
  }
  throw std::logic_error("the test's drawing has no object " + printable(name));
}

void FakeHost::failAt(std::wstring key, int occurrence, std::int32_t status) {
  failures_[std::move(key)][occurrence] = status;
}

HostRef<HostApplication> FakeHost::createApplication() {
  return std::make_unique<ApplicationRef>(*this);
}

void FakeHost::enter(std::wstring object, std::wstring operation, std::vector<std::wstring> args) {
  Call call{std::move(object), std::move(operation), std::move(args)};
  const std::wstring key = call.key();
  log_.record(std::move(call));
  if (onCall)
    onCall(key);
  const int occurrence = ++seen_[key];
  const auto planned = failures_.find(key);
  if (planned == failures_.end())
    return;
  const auto status = planned->second.find(occurrence);
  if (status != planned->second.end())
    throw HostError(status->second, key, L"injected failure");
}

bool FakeHost::nextIdle() {
  if (idleAnswers.empty())
    return true;
  const std::size_t poll = polls_++;
  return idleAnswers[poll < idleAnswers.size() ? poll : idleAnswers.size() - 1];
}

namespace {

class RunningRef : public RunningHost, Counted {
 public:
  RunningRef(FakeHost& host, FakeConnector& connector, std::wstring classId)
      : Counted(host), connector_(connector), classId_(std::move(classId)) {}

  bool answers(const Guid& iid) override {
    connector_.lookups.push_back(L"answers " + classId_ + L" " + toRegistryString(iid));
    const FakeRunning& running = connector_.running.at(classId_);
    if (running.failure != 0)
      throw HostError(running.failure, L"QueryInterface(InanoCADApplication)");
    return std::ranges::find(running.answers, iid) != running.answers.end();
  }
  HostRef<HostApplication> drive(const HostRelease& release) override {
    connector_.lookups.push_back(L"drive " + classId_ + L" " + std::wstring(release.name));
    return host_.createApplication();
  }

 private:
  FakeConnector& connector_;
  std::wstring classId_;
};

}  // namespace

void FakeConnector::runs(const std::wstring& programId, const Guid& classId,
                         std::vector<Guid> answers) {
  programIds.push_back(programId);
  classes[programId] = classId;
  running[toRegistryString(classId)] = {std::move(answers), 0};
}

std::vector<std::wstring> FakeConnector::registeredProgramIds(std::wstring_view prefix) {
  lookups.push_back(L"programIds " + std::wstring(prefix));
  if (listingFailure != 0)
    throw HostError(listingFailure, L"RegEnumKeyEx(Software\\Classes)");
  // As the registry answers: names that begin with the prefix, in any case.
  const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; };
  std::vector<std::wstring> found;
  for (const std::wstring& name : programIds) {
    if (name.size() >= prefix.size() &&
        std::ranges::equal(std::wstring_view(name).substr(0, prefix.size()), prefix, {}, lower,
                           lower))
      found.push_back(name);
  }
  return found;
}

std::optional<Guid> FakeConnector::classOfProgramId(const std::wstring& programId) {
  lookups.push_back(L"class " + programId);
  const auto found = classes.find(programId);
  return found == classes.end() ? std::nullopt : std::optional<Guid>(found->second);
}

HostRef<RunningHost> FakeConnector::runningObject(const Guid& classId) {
  const std::wstring name = toRegistryString(classId);
  lookups.push_back(L"running " + name);
  if (!running.contains(name))
    return nullptr;
  return std::make_unique<RunningRef>(host_, *this, name);
}

HostRef<HostApplication> FakeConnector::createApplication() {
  host_.enter(L"Connector", L"createApplication");
  if (fails)
    throw HostError(kStatusFail, L"CoCreateInstance(CoApplication)");
  if (createsNothing)
    return nullptr;
  return host_.createApplication();
}

}  // namespace orbelle::fake
