#include "app/log.h"

#include <cstdio>

#include "core/error.h"
#include "platform/files.h"
#include "app/app_context.h"

namespace quo {

void WriteLog(AppContext& app, const std::string& text) {
  try {
    app.platform.files->AppendLine(app.programDir + "log.txt", text);
  } catch (const Error& e) {
    if (app.logRefused) return;
    app.logRefused = true;
    std::fprintf(stderr, "QuoUpdate: %s %s\n", app.Translate("LogNonEcrit").c_str(), e.what());
  }
}

}  // namespace quo
