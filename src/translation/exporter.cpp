#include "translation/exporter.h"

#include "platform/files.h"
#include "startup/app_context.h"

namespace quo {

void ExporterTraductions(AppContext& app, bool /*fillMissing*/) {
  app.platform.files->MakeDirectory(app.programDir + "LanguesUpdate");
  // The database reader comes with the translation-database service.
}

}  // namespace quo
