// The translation-database module: the reader of TraductionUpdate.mdb, loaded by the launcher
// only when that file exists, so that an ordinary launch never loads the database libraries.
#include "module/entries.h"
#include "platform/mdb/mdb_translation_db.h"

extern "C" QUO_MODULE_EXPORT quo::TranslationDb* quo_translation_db() {
  static quo::MdbTranslationDb db;
  return &db;
}
