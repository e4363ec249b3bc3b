#include "window/qt/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace quo {

namespace {

struct Language {
  int id;
  const char* locale;
};

// Regions with texts of their own, by whole identifier.
constexpr Language kRegions[] = {
    {1046, "pt_BR"}, {2070, "pt_PT"}, {2052, "zh_CN"}, {4100, "zh_CN"},
    {1028, "zh_TW"}, {3076, "zh_TW"}, {5124, "zh_TW"}, {2068, "nn"},
};
// The other identifiers by their low ten bits, the language (1036, 2060 and 3084 are French).
// English is left out: the toolkit's texts are English already.
constexpr Language kLanguages[] = {
    {0x01, "ar"}, {0x02, "bg"}, {0x03, "ca"}, {0x05, "cs"}, {0x06, "da"}, {0x07, "de"},
    {0x0A, "es"}, {0x0B, "fi"}, {0x0C, "fr"}, {0x0D, "he"}, {0x0E, "hu"}, {0x10, "it"},
    {0x11, "ja"}, {0x12, "ko"}, {0x13, "nl"}, {0x15, "pl"}, {0x16, "pt"}, {0x19, "ru"},
    {0x1B, "sk"}, {0x1D, "sv"}, {0x1F, "tr"}, {0x22, "uk"}, {0x26, "lv"}, {0x29, "fa"},
};

const char* LocaleName(int language) {
  for (const Language& l : kRegions)
    if (l.id == language) return l.locale;
  for (const Language& l : kLanguages)
    if (l.id == (language & 0x3FF)) return l.locale;
  return nullptr;
}

}  // namespace

std::unique_ptr<QTranslator> InstallQtTranslation(int language) {
  const char* locale = LocaleName(language);
  if (locale == nullptr) return nullptr;
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QLocale(QString::fromLatin1(locale)), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return nullptr;
  QCoreApplication::installTranslator(translator.get());
  return translator;
}

}  // namespace quo
