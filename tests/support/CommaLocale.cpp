#include "tests/support/CommaLocale.h"

#include <clocale>
#include <cstring>
#include <locale>
#include <stdexcept>

namespace orbelle::fake {

namespace {

const char* const kCandidates[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8",        "fr_FR.utf8",
                                   "de_DE",       "fr_FR",      "German_Germany.1252"};

}  // namespace

CommaLocale::CommaLocale() {
  previousC_ = std::setlocale(LC_ALL, nullptr);
  for (const char* candidate : kCandidates) {
    if (std::setlocale(LC_ALL, candidate) == nullptr)
      continue;
    if (std::strcmp(std::localeconv()->decimal_point, ",") != 0)
      continue;
    try {
      std::locale::global(std::locale(candidate));
    } catch (const std::runtime_error&) {
      continue;
    }
    // std::locale::global also set the C locale to `candidate`.
    name_ = candidate;
    return;
  }
  std::setlocale(LC_ALL, previousC_.c_str());
}

CommaLocale::~CommaLocale() {
  if (!active())
    return;
  std::locale::global(std::locale::classic());
  std::setlocale(LC_ALL, previousC_.c_str());
}

const char* CommaLocale::missingMessage() {
  return "no locale with a decimal comma is installed (tried de_DE.UTF-8, fr_FR.UTF-8 and "
         "others); to run this test, generate one, e.g. on Debian: install the package "
         "'locales', enable de_DE.UTF-8 in /etc/locale.gen and run locale-gen";
}

}  // namespace orbelle::fake
