#include "sim/Script.h"

#include "sim/CadNumbers.h"
#include "sim/Encoding.h"
#include "sim/Json.h"

namespace orbelle::sim {

namespace {

struct Named {
  StepKind kind;
  const char* name;
};
constexpr Named kSteps[] = {
    {StepKind::Select, "select"},      {StepKind::Point, "point"},
    {StepKind::Pick, "pick"},          {StepKind::Number, "number"},
    {StepKind::Escape, "escape"},      {StepKind::WaitCommand, "wait-command"},
    {StepKind::Type, "type"},          {StepKind::Dialect, "dialect"},
    {StepKind::SaveJson, "save-json"}, {StepKind::SavePng, "save-png"},
    {StepKind::Revoke, "revoke"},      {StepKind::Exit, "exit"},
};

std::string lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Splits a line into words; a word in double quotes keeps its blanks and escapes.
class Words {
 public:
  Words(std::string_view line, int number) : line_(line), number_(number) {}

  bool atEnd() {
    skipBlanks();
    return at_ >= line_.size() || line_[at_] == '#';
  }

  bool nextIsQuoted() {
    skipBlanks();
    return at_ < line_.size() && line_[at_] == '"';
  }

  std::string word() {
    skipBlanks();
    const std::size_t start = at_;
    while (at_ < line_.size() && line_[at_] != ' ' && line_[at_] != '\t' && line_[at_] != '#')
      ++at_;
    return std::string(line_.substr(start, at_ - start));
  }

  std::string rest() {
    skipBlanks();
    std::size_t end = line_.find('#', at_);
    if (end == std::string_view::npos)
      end = line_.size();
    std::string text(line_.substr(at_, end - at_));
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
      text.pop_back();
    at_ = line_.size();
    return text;
  }

  std::string quoted() {
    skipBlanks();
    const std::size_t start = at_;
    ++at_;
    bool escaped = false;
    for (; at_ < line_.size(); ++at_) {
      if (escaped) {
        escaped = false;
      } else if (line_[at_] == '\\') {
        escaped = true;
      } else if (line_[at_] == '"') {
        ++at_;
        try {
          return std::get<std::string>(json::parse(line_.substr(start, at_ - start)).data);
        } catch (const json::ParseError& e) {
          throw ScriptError(number_, std::string("bad text in double quotes: ") + e.what());
        }
      }
    }
    throw ScriptError(number_, "a text in double quotes is not closed");
  }

 private:
  void skipBlanks() {
    while (at_ < line_.size() && (line_[at_] == ' ' || line_[at_] == '\t' || line_[at_] == '\r'))
      ++at_;
  }

  std::string_view line_;
  int number_;
  std::size_t at_ = 0;
};

Vec3 pointOrFail(const std::string& word, int line) {
  const auto point = parseCadPoint(fromUtf8(word));
  if (!point) {
    throw ScriptError(line, "\"" + word + "\" is not a point (write X,Y or X,Y,Z, e.g. 100,50)");
  }
  return *point;
}

Handle handleOrFail(const std::string& word, int line) {
  const auto handle = parseHandle(fromUtf8(word));
  if (!handle)
    throw ScriptError(line, "\"" + word + "\" is not an entity handle (hexadecimal, e.g. 2A)");
  return *handle;
}

ScriptStep parseLine(std::string_view text, int number) {
  Words words(text, number);
  const std::string name = lower(words.word());
  ScriptStep step{StepKind::Exit, number, {}, {}, 0, {}, fromUtf8(text)};
  bool known = false;
  for (const Named& entry : kSteps) {
    if (name == entry.name) {
      step.kind = entry.kind;
      known = true;
    }
  }
  if (!known) {
    throw ScriptError(number, "unknown step \"" + name +
                                  "\"; a step is one of select, point, pick, number, escape, "
                                  "wait-command, type, dialect, save-json, save-png, revoke, exit");
  }
  switch (step.kind) {
    case StepKind::Select:
      while (!words.atEnd())
        step.handles.push_back(handleOrFail(words.word(), number));
      break;
    case StepKind::Point:
      if (words.atEnd())
        throw ScriptError(number, "point needs X,Y or X,Y,Z");
      step.point = pointOrFail(words.word(), number);
      break;
    case StepKind::Pick: {
      if (words.atEnd())
        throw ScriptError(number, "pick needs a handle, or \"none\"");
      const std::string what = words.word();
      if (lower(what) != "none")
        step.handles.push_back(handleOrFail(what, number));
      if (!words.atEnd())
        step.point = pointOrFail(words.word(), number);
      break;
    }
    case StepKind::Number: {
      if (words.atEnd())
        throw ScriptError(number, "number needs a value");
      const std::string word = words.word();
      const auto value = parseCadNumber(fromUtf8(word));
      if (!value)
        throw ScriptError(number, "\"" + word + "\" is not a number (e.g. 30, -1.5, 1E-5)");
      step.number = *value;
      break;
    }
    case StepKind::WaitCommand:
    case StepKind::Type:
      if (!words.nextIsQuoted())
        throw ScriptError(number, std::string(stepName(step.kind)) +
                                      " needs a text in double quotes, e.g. \"SELECT\\r\"");
      step.text = fromUtf8(words.quoted());
      break;
    case StepKind::Dialect: {
      if (words.atEnd())
        throw ScriptError(number, "dialect needs a name: one of " + dialectNames());
      const std::string wanted = words.word();
      try {
        step.text = fromUtf8(dialectNamed(wanted).name);
      } catch (const Error& e) {
        throw ScriptError(number, e.what());
      }
      break;
    }
    case StepKind::SaveJson:
    case StepKind::SavePng:
      step.text = fromUtf8(words.nextIsQuoted() ? words.quoted() : words.rest());
      if (step.text.empty())
        throw ScriptError(number, std::string(stepName(step.kind)) + " needs a file path");
      break;
    case StepKind::Escape:
    case StepKind::Revoke:
    case StepKind::Exit:
      break;
  }
  if (!words.atEnd())
    throw ScriptError(number, "unexpected \"" + words.rest() + "\" at the end of the step");
  return step;
}

}  // namespace

const char* stepName(StepKind kind) {
  for (const Named& entry : kSteps) {
    if (entry.kind == kind)
      return entry.name;
  }
  return "?";
}

std::vector<ScriptStep> parseScript(std::string_view text) {
  std::vector<ScriptStep> steps;
  int number = 0;
  std::size_t start = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF")
    start = 3;  // a byte order mark
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos)
      end = text.size();
    ++number;
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    Words probe(line, number);
    if (!probe.atEnd())
      steps.push_back(parseLine(line, number));
    start = end + 1;
  }
  return steps;
}

void refuseDialects(const std::vector<ScriptStep>& steps) {
  for (const ScriptStep& step : steps) {
    if (step.kind == StepKind::Dialect && step.text != L"canonical") {
      throw ScriptError(step.line, "dialect " + toUtf8(step.text) +
                                       ": type-library dispatch answers in the types its library "
                                       "declares, in no dialect but canonical");
    }
  }
}

}  // namespace orbelle::sim
