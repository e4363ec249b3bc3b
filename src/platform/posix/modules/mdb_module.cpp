// The translation-database module: the reader of TraductionUpdate.mdb, loaded by the start-up
// only when that file exists, so that an ordinary launch never loads the database libraries.
#include "platform/platform.h"

#if __has_include("platform/posix/mdb_translation_db.h")
#include "platform/posix/mdb_translation_db.h"

extern "C" __attribute__((visibility("default"))) quo::TranslationDb* quo_translation_db() {
  static quo::MdbTranslationDb db;
  return &db;
}
#else
// HOOK: until the database reader lands, there is no reader: the export leaves the language
// files as they are.
extern "C" __attribute__((visibility("default"))) quo::TranslationDb* quo_translation_db() {
  return nullptr;
}
#endif
