// Export of the translators' database (TraductionUpdate.mdb beside the executable) into the
// language files of LanguesUpdate/: one file <column name>.lng per language column of table
// "Traduction", one line per row in the order of Formulaire then Controle (letter case ignored,
// as the database engine sorts), in the fixed columns the loader reads, UTF-8, CR LF.
#pragma once

#include <string>

#include "platform/platform.h"

namespace quo {

// Rewrites the language files from the database when it exists and a database reader is
// available; silent in every case. The files are replaced together once the whole table was
// read and checked; a database that cannot be read or breaks a rule (table or column
// "Formulaire"/"Controle" missing, no column "1036", more than 10 language columns, a
// Formulaire or Controle value NULL or longer than 40 characters) replaces none of them.
// fillMissing: an empty or NULL cell takes the text of column "1036" of the same row.
// programDir: the program's folder, with a trailing "/".
void ExportTranslations(const Platform& platform, const std::string& programDir, bool fillMissing);

}  // namespace quo
