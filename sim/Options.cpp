#include "sim/Options.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

#include "sim/Encoding.h"
#include "sim/Json.h"

namespace orbelle::sim {

const char* const kUsage =
    "usage: nanosim.exe [--drawing FILE.json] [--script FILE] [--log FILE.jsonl] [--title TEXT]\n"
    "                   [--dialect NAME] [--release 5|24] [--dispatch hand|type-library]\n"
    "                   [--class-id {GUID} --version N.M]\n"
    "       nanosim.exe /RegServer | /UnregServer\n"
    "  --drawing   the drawing to open (JSON); an empty drawing without it\n"
    "  --script    answers for the host's user, one step a line (see sim/README.md)\n"
    "  --log       where to write the log, one JSON object a line\n"
    "  --title     the main window's title (default \"nanoCAD 5\")\n"
    "  --dialect   how automation answers are encoded (default canonical; see sim/README.md)\n"
    "  --release   5: the class object (default); 24: the Running Object Table and program IDs\n"
    "  --dispatch  hand (release 5's default) or type-library (release 24 has only this)\n"
    "  --class-id, --version  with --release 24: a release of its own, under that class ID,\n"
    "              registered as nanoCAD.Application.N.M\n";

namespace {

std::wstring lower(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'A' && c <= L'Z')
      c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

bool isHex(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} in upper case, as the registry writes class IDs; none
// when the text is no class ID.
std::optional<std::wstring> classIdText(const std::wstring& text) {
  static constexpr std::size_t kDashes[] = {9, 14, 19, 24};
  if (text.size() != 38 || text.front() != L'{' || text.back() != L'}')
    return std::nullopt;
  std::wstring out = text;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool dash = std::find(std::begin(kDashes), std::end(kDashes), i) != std::end(kDashes);
    if (dash ? text[i] != L'-' : !isHex(text[i]))
      return std::nullopt;
    if (text[i] >= L'a' && text[i] <= L'f')
      out[i] = static_cast<wchar_t>(text[i] - L'a' + L'A');
  }
  return out;
}

// N.M: digits, a point, digits (a program ID's version, "26.0").
bool isVersion(const std::wstring& text) {
  const std::size_t point = text.find(L'.');
  auto digits = [](std::wstring_view part) {
    return !part.empty() && part.size() <= 4 &&
           std::all_of(part.begin(), part.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
  };
  return point != std::wstring::npos && digits(std::wstring_view(text).substr(0, point)) &&
         digits(std::wstring_view(text).substr(point + 1));
}

// The rules between options, once all are read.
void checkCombination(const Options& options, bool dispatchGiven) {
  if (options.registerServer && options.unregisterServer)
    throw OptionsError("/RegServer and /UnregServer exclude each other");
  const bool release24 = options.release == "24";
  if (!release24 && (options.classId || options.version))
    throw OptionsError(
        "--class-id and --version name a release of its own with release 24's "
        "interfaces: give them with --release 24");
  if (options.classId.has_value() != options.version.has_value())
    throw OptionsError(
        "--class-id and --version go together: a release of its own has both a "
        "class ID and a version");
  if (release24 && dispatchGiven && options.dispatch == Dispatch::Hand)
    throw OptionsError(
        "release 24 answers through its type library only: --dispatch hand is "
        "for release 5");
  if (release24 && options.embedding)
    throw OptionsError(
        "-Embedding is how COM starts release 5; release 24 registers no server "
        "that COM could start");
  if (options.dispatch == Dispatch::TypeLibrary && options.dialect != "canonical")
    throw OptionsError("--dialect " + options.dialect +
                       ": type-library dispatch answers in the types the library declares, in "
                       "no dialect but canonical");
}

}  // namespace

Options parseOptions(const std::vector<std::wstring>& arguments) {
  Options options;
  bool dispatchGiven = false;
  std::map<std::wstring, bool> given;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    const std::wstring switchName = lower(argument);
    if (switchName == L"/regserver" || switchName == L"-regserver") {
      options.registerServer = true;
      continue;
    }
    if (switchName == L"/unregserver" || switchName == L"-unregserver") {
      options.unregisterServer = true;
      continue;
    }
    if (switchName == L"-embedding" || switchName == L"/embedding") {
      options.embedding = true;
      continue;
    }
    if (switchName == L"--help" || switchName == L"-h" || switchName == L"/?") {
      options.help = true;
      continue;
    }
    static const wchar_t* const kValued[] = {L"--drawing",  L"--script",   L"--log",
                                             L"--title",    L"--dialect",  L"--release",
                                             L"--dispatch", L"--class-id", L"--version"};
    if (std::find(std::begin(kValued), std::end(kValued), argument) == std::end(kValued))
      throw OptionsError("unknown option \"" + toUtf8(argument) + "\"");
    if (i + 1 >= arguments.size() || arguments[i + 1].empty() ||
        arguments[i + 1].rfind(L"--", 0) == 0)
      throw OptionsError("option " + toUtf8(argument) + " needs a value");
    const std::wstring& value = arguments[++i];
    // The title and the dialect keep their last value, as they always have.
    if (argument != L"--title" && argument != L"--dialect" && std::exchange(given[argument], true))
      throw OptionsError("option " + toUtf8(argument) + " is given twice");
    const std::string utf8 = toUtf8(value);
    if (argument == L"--drawing") {
      options.drawing = value;
    } else if (argument == L"--script") {
      options.script = value;
    } else if (argument == L"--log") {
      options.log = value;
    } else if (argument == L"--title") {
      options.title = value;
    } else if (argument == L"--dialect") {
      try {
        options.dialect = dialectNamed(utf8).name;
      } catch (const Error& e) {
        throw OptionsError(e.what());
      }
    } else if (argument == L"--release") {
      if (value != L"5" && value != L"24")
        throw OptionsError("unknown release \"" + utf8 +
                           "\"; the releases are 5 and 24 (a release of its own: --release 24 "
                           "--class-id {GUID} --version N.M)");
      options.release = utf8;
    } else if (argument == L"--dispatch") {
      if (value != L"hand" && value != L"type-library")
        throw OptionsError("unknown dispatch \"" + utf8 + "\"; it is hand or type-library");
      options.dispatch = value == L"hand" ? Dispatch::Hand : Dispatch::TypeLibrary;
      dispatchGiven = true;
    } else if (argument == L"--class-id") {
      options.classId = classIdText(value);
      if (!options.classId)
        throw OptionsError("--class-id \"" + utf8 +
                           "\" is no class ID; write it {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}");
    } else {
      if (!isVersion(value))
        throw OptionsError("--version \"" + utf8 + "\" is no version; write it N.M, as 26.0");
      options.version = utf8;
    }
  }
  if (options.release == "24" && !dispatchGiven)
    options.dispatch = Dispatch::TypeLibrary;
  checkCombination(options, dispatchGiven);
  return options;
}

std::string programVersion(const Options& options) {
  return options.version.value_or(options.release + ".0");
}

std::string releaseName(const Options& options) {
  return options.version.value_or(options.release);
}

}  // namespace orbelle::sim
