// The translation-database module: the reader of TraductionUpdate.mdb, loaded by the launcher
// only when that file exists, so that an ordinary launch never loads the database libraries.
#include "platform/posix/mdb_translation_db.h"

extern "C" __attribute__((visibility("default"))) quo::TranslationDb* quo_translation_db() {
  static quo::MdbTranslationDb db;
  return &db;
}
