// Export of the translators' database (TraductionUpdate.mdb beside the executable) into the
// language files of LanguesUpdate/: one file per language column.
#pragma once

namespace quo {

class AppContext;

// Rewrites the language files from the database when it exists; silent in every case.
// fillMissing: an empty cell takes the text of column "1036" of the same row.
void ExporterTraductions(AppContext& app, bool fillMissing);

}  // namespace quo
