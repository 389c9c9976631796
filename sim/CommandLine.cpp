#include "sim/CommandLine.h"

#include <algorithm>
#include <numbers>
#include <utility>

#include "sim/CadNumbers.h"
#include "sim/Picture.h"

namespace orbelle::sim {

namespace {

constexpr wchar_t kSelectObjects[] = L"Select objects: ";
constexpr double kRadiansPerDegree = std::numbers::pi / 180;

bool isOneOf(const std::wstring& upper, std::initializer_list<const wchar_t*> words) {
  for (const wchar_t* word : words) {
    if (upper == word)
      return true;
  }
  return false;
}

bool validBlockName(const std::wstring& name) {
  if (name.empty() || name.size() > 255)
    return false;
  for (wchar_t c : name) {
    if (c < 0x20 || std::wstring_view(L"<>/\\\":;?*|,=`").find(c) != std::wstring_view::npos)
      return false;
  }
  return true;
}

}  // namespace

std::wstring foundMessage(std::size_t found, std::size_t duplicates, std::size_t total) {
  std::wstring text = std::to_wstring(found) + L" found";
  if (duplicates > 0)
    text +=
        L" (" + std::to_wstring(duplicates) + (duplicates == 1 ? L" duplicate)" : L" duplicates)");
  return text + L", " + std::to_wstring(total) + L" total";
}

CommandLine::CommandLine(Drawing& drawing, CommandLineListener& listener)
    : drawing_(drawing), listener_(listener) {
  prompt_ = {PromptKind::Command, L"Command: ", 1};
}

std::wstring CommandLine::commandName() const {
  switch (command_) {
    case Command::Select:
      return L"SELECT";
    case Command::Rotate:
      return L"ROTATE";
    case Command::NewBlock:
      return L"-NEWBLOCK";
    case Command::Insert:
      return L"-INSERT";
    case Command::Move:
      return L"MOVE";
    case Command::View:
      return L"-VIEW";
    case Command::Zoom:
      return L"ZOOM";
    case Command::None:
      break;
  }
  return {};
}

std::optional<Vec3> CommandLine::basePoint() const {
  if (command_ == Command::Move && step_ == 2)
    return point_;
  return std::nullopt;
}

std::vector<Handle> CommandLine::selection() const {
  if (!running())
    return {};
  return drawing_.existing(prompt_.kind == PromptKind::Objects ? gathered_ : selected_);
}

std::optional<Drag> CommandLine::drag() const {
  const auto base = basePoint();
  if (!base)
    return std::nullopt;
  return Drag{*base, drawing_.existing(selected_)};
}

void CommandLine::type(std::wstring_view text) {
  for (wchar_t c : text)
    type(c);
}

void CommandLine::type(wchar_t c) {
  if (caret_) {
    caret_ = false;
    if (c == L'C') {
      cancel();
      return;
    }
    typed_ += L'^';
  }
  if (c == L'^') {
    caret_ = true;
    return;
  }
  if (c == L'\r' || c == L'\n' || c == L' ') {
    const std::wstring token = std::exchange(typed_, {});
    submit(token);
    return;
  }
  if (c == L'\b') {
    if (!typed_.empty())
      typed_.pop_back();
    return;
  }
  if (c < 0x20)
    return;  // other control characters are not input
  typed_ += c;
}

void CommandLine::cancel() {
  typed_.clear();
  caret_ = false;
  if (command_ == Command::None) {
    listener_.echo(prompt_.text + L"*Cancel*");
    ask(PromptKind::Command, L"Command: ");
    return;
  }
  const std::wstring name = commandName();
  listener_.echo(prompt_.text + L"*Cancel*");
  command_ = Command::None;
  gathered_.clear();
  ask(PromptKind::Command, L"Command: ");
  listener_.commandEvent("cancelled", name, L"*Cancel*");
}

void CommandLine::ask(PromptKind kind, std::wstring text) {
  prompt_ = {kind, std::move(text), prompt_.serial + 1};
}

void CommandLine::echoReply(const std::wstring& reply) {
  listener_.echo(prompt_.text + reply);
}

void CommandLine::finish(const std::wstring& detail) {
  const std::wstring name = commandName();
  command_ = Command::None;
  gathered_.clear();
  ask(PromptKind::Command, L"Command: ");
  listener_.commandEvent("finished", name, detail);
}

void CommandLine::refuse(const std::wstring& message) {
  const std::wstring name = commandName();
  listener_.echo(message);
  command_ = Command::None;
  gathered_.clear();
  ask(PromptKind::Command, L"Command: ");
  listener_.commandEvent("refused", name, message);
}

void CommandLine::submit(const std::wstring& token) {
  switch (prompt_.kind) {
    case PromptKind::Command:
      if (token.empty())
        return;  // an empty line at the command prompt does nothing here
      echoReply(token);
      start(token);
      return;
    case PromptKind::Objects:
      echoReply(token);
      answerObjects(token);
      return;
    case PromptKind::Point: {
      echoReply(token);
      const auto point = parseCadPoint(token);
      if (!point) {
        listener_.echo(token.empty() ? L"Requires a point." : L"Invalid point.");
        ask(PromptKind::Point, prompt_.text);
        return;
      }
      answerPoint(*point);
      return;
    }
    case PromptKind::Number: {
      echoReply(token);
      std::optional<double> value = parseCadNumber(token);
      if (token.empty() && numberDefault_)
        value = numberDefault_;
      if (!value) {
        listener_.echo(L"Requires numeric value.");
        ask(PromptKind::Number, prompt_.text);
        return;
      }
      answerNumber(*value);
      return;
    }
    case PromptKind::Text:
      echoReply(token);
      answerText(token);
      return;
  }
}

void CommandLine::start(const std::wstring& name) {
  const std::wstring upper = upperCase(name);
  struct Known {
    const wchar_t* name;
    Command command;
  };
  static constexpr Known kCommands[] = {
      {L"SELECT", Command::Select},      {L"ROTATE", Command::Rotate},
      {L"-NEWBLOCK", Command::NewBlock}, {L"-INSERT", Command::Insert},
      {L"MOVE", Command::Move},          {L"-VIEW", Command::View},
      {L"ZOOM", Command::Zoom},
  };
  command_ = Command::None;
  for (const Known& known : kCommands) {
    if (upper == known.name)
      command_ = known.command;
  }
  if (command_ == Command::None) {
    const std::wstring message = L"Unknown command \"" + upper + L"\".";
    listener_.echo(message);
    ask(PromptKind::Command, L"Command: ");
    listener_.commandEvent("refused", name, message);
    return;
  }
  step_ = 0;
  gathered_.clear();
  selected_.clear();
  numberDefault_.reset();
  listener_.commandEvent("started", commandName(), {});
  switch (command_) {
    case Command::Select:
    case Command::Rotate:
    case Command::Move:
      ask(PromptKind::Objects, kSelectObjects);
      break;
    case Command::NewBlock:
    case Command::Insert:
      ask(PromptKind::Text, L"Enter block name: ");
      break;
    case Command::View:
      ask(PromptKind::Text, L"Enter an option [Orthographic/SWiso/SEiso]: ");
      break;
    case Command::Zoom:
      ask(PromptKind::Text, L"Enter an option [All/Extents]: ");
      break;
    case Command::None:
      break;
  }
}

void CommandLine::answerObjects(const std::wstring& token) {
  const std::wstring upper = upperCase(token);
  if (token.empty()) {
    endSelection();
    return;
  }
  std::vector<Handle> found;
  if (isOneOf(upper, {L"P", L"PREVIOUS"})) {
    found = drawing_.existing(drawing_.previousSelection);
  } else if (isOneOf(upper, {L"L", L"LAST"})) {
    if (drawing_.lastObject)
      found = drawing_.existing({*drawing_.lastObject});
  } else {
    listener_.echo(L"*Invalid selection* Expects a point or Last/Previous.");
    ask(PromptKind::Objects, kSelectObjects);
    return;
  }
  pickObjects(found, false);
}

void CommandLine::pickObjects(const std::vector<Handle>& handles, bool end) {
  if (prompt_.kind != PromptKind::Objects)
    return;
  const std::vector<Handle> present = drawing_.existing(handles);
  std::size_t added = 0;
  for (Handle h : present) {
    if (std::find(gathered_.begin(), gathered_.end(), h) == gathered_.end()) {
      gathered_.push_back(h);
      ++added;
    }
  }
  if (!handles.empty() || !end)  // an end with nothing in it is no pick
    listener_.echo(foundMessage(present.size(), present.size() - added, gathered_.size()));
  if (end)
    endSelection();
  else
    ask(PromptKind::Objects, kSelectObjects);
}

void CommandLine::endSelection() {
  selected_ = drawing_.existing(gathered_);
  gathered_.clear();
  if (!selected_.empty())
    drawing_.previousSelection = selected_;
  if (command_ == Command::Select) {
    finish(std::to_wstring(selected_.size()) + L" selected");
    return;
  }
  if (selected_.empty()) {
    refuse(L"Nothing selected.");
    return;
  }
  switch (command_) {
    case Command::Rotate:
    case Command::Move:
      step_ = 1;
      ask(PromptKind::Point, L"Specify base point: ");
      break;
    case Command::NewBlock:
      if (!drawing_.defineBlock(name_, point_, selected_)) {
        refuse(L"Block \"" + name_ + L"\" already exists.");
        return;
      }
      listener_.drawingChanged();
      finish(L"block " + name_ + L" defined with " + std::to_wstring(selected_.size()) +
             L" objects");
      break;
    default:
      break;
  }
}

void CommandLine::pickPoint(Vec3 point) {
  if (prompt_.kind != PromptKind::Point)
    return;
  echoReply(L"(picked)");
  answerPoint(point);
}

void CommandLine::answerPoint(Vec3 point) {
  switch (command_) {
    case Command::Rotate:
      point_ = point;
      step_ = 2;
      ask(PromptKind::Number, L"Specify rotation angle: ");
      return;
    case Command::Move:
      if (step_ == 1) {
        point_ = point;
        step_ = 2;
        ask(PromptKind::Point, L"Specify second point: ");
        return;
      }
      drawing_.move(selected_, point - point_);
      listener_.drawingChanged();
      finish();
      return;
    case Command::NewBlock:
      point_ = point;
      step_ = 2;
      ask(PromptKind::Objects, kSelectObjects);
      return;
    case Command::Insert:
      point_ = point;
      step_ = 2;
      numberDefault_ = 1;
      ask(PromptKind::Number, L"Enter X scale factor <1>: ");
      return;
    default:
      return;
  }
}

void CommandLine::enterNumber(double value) {
  if (prompt_.kind != PromptKind::Number)
    return;
  echoReply(std::to_wstring(value));
  answerNumber(value);
}

void CommandLine::answerNumber(double value) {
  if (command_ == Command::Rotate) {
    drawing_.rotate(selected_, point_, point_ + Vec3{0, 0, 1}, value * kRadiansPerDegree);
    listener_.drawingChanged();
    finish();
    return;
  }
  if (command_ != Command::Insert)
    return;
  if (step_ == 2 || step_ == 3) {
    if (value == 0) {
      listener_.echo(L"Value must be nonzero.");
      ask(PromptKind::Number, prompt_.text);
      return;
    }
    if (step_ == 2) {
      xScale_ = value;
      step_ = 3;
      numberDefault_ = value;
      ask(PromptKind::Number, L"Enter Y scale factor <use X scale factor>: ");
    } else {
      yScale_ = value;
      step_ = 4;
      numberDefault_ = 0;
      ask(PromptKind::Number, L"Specify rotation angle <0>: ");
    }
    return;
  }
  numberDefault_.reset();
  drawing_.insert(name_, point_, xScale_, yScale_, value * kRadiansPerDegree);
  listener_.drawingChanged();
  finish(L"inserted " + handleText(*drawing_.lastObject));
}

void CommandLine::answerText(const std::wstring& token) {
  const std::wstring upper = upperCase(token);
  switch (command_) {
    case Command::NewBlock:
      if (!validBlockName(token)) {
        listener_.echo(L"Invalid block name.");
        ask(PromptKind::Text, prompt_.text);
        return;
      }
      if (drawing_.block(token) != nullptr) {
        refuse(L"Block \"" + token + L"\" already exists.");
        return;
      }
      name_ = token;
      step_ = 1;
      ask(PromptKind::Point, L"Specify base point: ");
      return;
    case Command::Insert:
      if (token.empty()) {
        ask(PromptKind::Text, prompt_.text);
        return;
      }
      if (drawing_.block(token) == nullptr) {
        refuse(L"Block \"" + token + L"\" not found.");
        return;
      }
      name_ = drawing_.block(token)->name;
      step_ = 1;
      ask(PromptKind::Point, L"Specify insertion point: ");
      return;
    case Command::View:
      if (step_ == 0 && isOneOf(upper, {L"SWISO", L"SEISO"})) {
        drawing_.view = zoomedToExtents(
            drawing_, upper == L"SWISO" ? ViewKind::SouthWestIso : ViewKind::SouthEastIso);
        listener_.drawingChanged();
        finish(upper);
        return;
      }
      if (step_ == 0 && isOneOf(upper, {L"O", L"ORTHOGRAPHIC"})) {
        step_ = 1;
        ask(PromptKind::Text, L"Enter an option [Top] <Top>: ");
        return;
      }
      if (step_ == 1 && isOneOf(upper, {L"", L"T", L"TOP"})) {
        drawing_.view = zoomedToExtents(drawing_, ViewKind::Plan);
        listener_.drawingChanged();
        finish(L"TOP");
        return;
      }
      listener_.echo(L"Invalid option keyword.");
      ask(PromptKind::Text, prompt_.text);
      return;
    case Command::Zoom:
      if (isOneOf(upper, {L"E", L"EXTENTS", L"A", L"ALL"})) {
        zoomExtents();
        finish(L"extents");
        return;
      }
      listener_.echo(L"Invalid option keyword.");
      ask(PromptKind::Text, prompt_.text);
      return;
    default:
      return;
  }
}

void CommandLine::zoomExtents() {
  drawing_.view = zoomedToExtents(drawing_, drawing_.view.kind);
  listener_.drawingChanged();
}

}  // namespace orbelle::sim
