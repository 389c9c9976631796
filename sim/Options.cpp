#include "sim/Options.h"

#include "sim/Encoding.h"
#include "sim/Json.h"

namespace orbelle::sim {

const char* const kUsage =
    "usage: nanosim.exe [--drawing FILE.json] [--script FILE] [--log FILE.jsonl] [--title TEXT]\n"
    "                   [--dialect NAME]\n"
    "       nanosim.exe /RegServer | /UnregServer\n"
    "  --drawing  the drawing to open (JSON); an empty drawing without it\n"
    "  --script   answers for the host's user, one step a line (see sim/README.md)\n"
    "  --log      where to write the log, one JSON object a line\n"
    "  --title    the main window's title (default \"nanoCAD 5\")\n"
    "  --dialect  how automation answers are encoded (default canonical; see sim/README.md)\n";

namespace {

std::wstring lower(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'A' && c <= L'Z')
      c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

}  // namespace

Options parseOptions(const std::vector<std::wstring>& arguments) {
  Options options;
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
    std::optional<std::wstring>* target = nullptr;
    if (argument == L"--drawing")
      target = &options.drawing;
    else if (argument == L"--script")
      target = &options.script;
    else if (argument == L"--log")
      target = &options.log;
    if (target == nullptr && argument != L"--title" && argument != L"--dialect")
      throw OptionsError("unknown option \"" + toUtf8(argument) + "\"");
    if (i + 1 >= arguments.size() || arguments[i + 1].empty() ||
        arguments[i + 1].rfind(L"--", 0) == 0)
      throw OptionsError("option " + toUtf8(argument) + " needs a value");
    const std::wstring& value = arguments[++i];
    if (argument == L"--dialect") {
      try {
        options.dialect = dialectNamed(toUtf8(value)).name;
      } catch (const Error& e) {
        throw OptionsError(e.what());
      }
    } else if (target == nullptr) {
      options.title = value;
    } else {
      if (*target)
        throw OptionsError("option " + toUtf8(argument) + " is given twice");
      *target = value;
    }
  }
  if (options.registerServer && options.unregisterServer)
    throw OptionsError("/RegServer and /UnregServer exclude each other");
  return options;
}

}  // namespace orbelle::sim
