#include "app/log.h"

#include "platform/files.h"
#include "app/app_context.h"

namespace quo {

void WriteLog(AppContext& app, const std::string& text) {
  app.platform.files->AppendLine(app.programDir + "log.txt", text);
}

}  // namespace quo
