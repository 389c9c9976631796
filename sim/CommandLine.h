// The command line: typed characters in, commands carried out on the drawing. It reads input as
// a CAD command line does: "^C" cancels the running command, Enter or a blank ends a reply, and
// each command asks its questions one prompt at a time.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/Drawing.h"

namespace orbelle::sim {

// What the command line is waiting for.
enum class PromptKind { Command, Objects, Point, Number, Text };

struct Prompt {
  PromptKind kind = PromptKind::Command;
  std::wstring text;
  int serial = 0;  // changes with every new prompt, repeats included
};

// A command waiting for a second point: where it is measured from, and the objects that the
// point moves (none when the point only ends a line from the base).
struct Drag {
  Vec3 base;
  std::vector<Handle> moving;
};

// What the command line echoes for a pick: "2 found, 3 total", "1 found (1 duplicate), 2 total".
std::wstring foundMessage(std::size_t found, std::size_t duplicates, std::size_t total);

// Where the command line reports what it does.
class CommandLineListener {
 public:
  virtual ~CommandLineListener() = default;
  // A finished line of the command line's history (a prompt with its reply, or a message).
  virtual void echo(const std::wstring& line) = 0;
  // "started", "finished", "cancelled" or "refused", with the command and a detail.
  virtual void commandEvent(std::string_view event, const std::wstring& command,
                            const std::wstring& detail) = 0;
  virtual void drawingChanged() = 0;
};

class CommandLine {
 public:
  CommandLine(Drawing& drawing, CommandLineListener& listener);

  void type(wchar_t c);
  void type(std::wstring_view text);
  // Escape, or "^C": ends the running command and drops what was typed.
  void cancel();

  // Replies made by pointing instead of typing.
  void pickObjects(const std::vector<Handle>& handles, bool endSelection);
  void pickPoint(Vec3 point);
  void enterNumber(double value);

  bool running() const { return command_ != Command::None; }
  const Prompt& prompt() const { return prompt_; }
  const std::wstring& typed() const { return typed_; }
  std::wstring commandName() const;
  // Objects gathered by the selection in progress, and the base point a second point is
  // measured from: for showing them.
  const std::vector<Handle>& gathering() const { return gathered_; }
  std::optional<Vec3> basePoint() const;
  // The running command's objects, for highlighting: those gathered while its selection is in
  // progress, then those it chose, until it ends.
  std::vector<Handle> selection() const;
  std::optional<Drag> drag() const;

 private:
  enum class Command { None, Select, Rotate, NewBlock, Insert, Move, View, Zoom };

  void submit(const std::wstring& token);
  void start(const std::wstring& name);
  void answerObjects(const std::wstring& token);
  void answerPoint(Vec3 point);
  void answerNumber(double value);
  void answerText(const std::wstring& token);
  void endSelection();
  void ask(PromptKind kind, std::wstring text);
  void finish(const std::wstring& detail = {});
  void refuse(const std::wstring& message);
  void echoReply(const std::wstring& reply);
  void zoomExtents();

  Drawing& drawing_;
  CommandLineListener& listener_;
  Prompt prompt_;
  std::wstring typed_;
  bool caret_ = false;  // a "^" waiting to see whether a "C" follows

  Command command_ = Command::None;
  int step_ = 0;
  std::vector<Handle> gathered_;
  std::vector<Handle> selected_;
  std::wstring name_;
  Vec3 point_;
  double xScale_ = 1, yScale_ = 1;
  std::optional<double> numberDefault_;
};

}  // namespace orbelle::sim
