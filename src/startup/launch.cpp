#include "startup/launch.h"

#include "core/error.h"
#include "core/ftp_address.h"
#include "core/text.h"
#include "platform/system.h"
#include "app/app_context.h"
#include "app/exit_status.h"
#include "app/log.h"
#include "platform/files.h"
#include "startup/schedule.h"
#include "translation/exporter.h"

namespace quo {

ServerSettings ReadServerSettings(AppContext& app) {
  ServerSettings s;
  s.password = app.ini.Read("Server", "MotPasse");
  s.user = app.ini.Read("Server", "User");
  s.address = app.ini.Read("Server", "Adresse");
  if (s.address.empty()) s.address = QUO_DEFAULT_SERVER;
  s.serverDir = app.ini.Read("Server", "Chemin");
  s.installDir = app.ini.Read("Server", "Destination");
  if (s.installDir.empty()) s.installDir = app.programDir;
  return s;
}

bool UnattendedStart(const AppContext& app) {
  return app.platform.system->GetEnv("QUOUPDATE_UNATTENDED").value_or("") == "1";
}

namespace {

void LoadLanguage(AppContext& app, int language) {
  app.translation.currentLanguage = language;
  app.translation.LoadCurrentLanguage();
  app.translation.currentLanguage = language;
}

// A run whose command line names no language shows French texts rather than empty ones (its
// windows keep their French design captions).
void LoadDefaultLanguage(AppContext& app) { LoadLanguage(app, 1036); }

// A command line or settings the run cannot use: logged, then shown, and the process ends.
LaunchPlan& Refuse(AppContext& app, LaunchPlan& plan, const char* key, const std::string& what) {
  const std::string why = what.empty() ? app.Translate(key) : app.Translate(key) + " " + what;
  WriteLog(app, why);
  plan.proceed = false;
  plan.status = kExitRefused;
  plan.error = why;
  return plan;
}

}  // namespace

LaunchPlan PlanLaunch(AppContext& app, const std::vector<std::string>& args,
                      const RecoverFn& recover) {
  LaunchPlan plan;
  try {
    plan.commandLine = ParseCommandLine(args);
    const auto& f = plan.commandLine.fields;
    // The messages of the start are in the language the command line asks for, from its start.
    const int asked = f.size() >= 3 ? static_cast<int>(WholeValue(f[2])) : 1036;
    LoadLanguage(app, asked);
    if (!app.platform.system->AcquireSingleInstance()) {
      plan.status = kExitBusy;
      plan.error = app.Translate("AutreInstance");
      return plan;
    }
    ExportTranslations(app.platform, app.programDir, false);
    LoadLanguage(app, asked);  // as the export left it
    Files& files = *app.platform.files;
    // Never while another instance may be installing; before anything decides on a new run.
    if (recover && (files.IsOrdinaryFile(app.JournalPath()) || files.IsLink(app.JournalPath()))) {
      const bool given = f.size() >= 2 && files.IsAbsolutePath(f[1]);
      plan.error = recover(app, given ? f[1] : ReadServerSettings(app).installDir);
      if (!plan.error.empty()) {
        plan.status = kExitFailed;
        return plan;
      }
    }
    // Settings that are there but cannot be read would pass for a run with checks turned off.
    if (const std::string& ini = app.ini.SettingsPath(); files.NameExists(ini) && !files.ReadAll(ini))
      return Refuse(app, plan, "ParametresIllisibles", ini);

    if (plan.commandLine.whole.empty()) {
      plan.mode = LaunchMode::Interactive;
      plan.settings = ReadServerSettings(app);
      plan.proceed = true;
      return plan;
    }

    WriteLog(app, plan.commandLine.whole);
    for (const std::string& field : f) WriteLog(app, field);
    plan.settings = ReadServerSettings(app);

    if (f.size() < 2 || f[0].empty() || f[1].empty()) {
      plan.mode = LaunchMode::BadCommandLine;
      // Its window would wait for a person: an unattended start refuses the missing field.
      if (UnattendedStart(app)) {
        if (f[0].empty()) return Refuse(app, plan, "MauvaiseVersion", "()");
        return Refuse(app, plan, "DossierNonAbsolu", "");
      }
      LoadDefaultLanguage(app);
      plan.proceed = true;
      return plan;
    }
    plan.languageGiven = f.size() >= 3;
    plan.language = plan.languageGiven ? asked : 0;
    // What the product gives must be usable before anything else happens: a version of three
    // numbers, a folder that does not depend on the current directory, and a server address
    // (an empty one stands for the build's default server).
    if (!IsVersionText(f[0])) return Refuse(app, plan, "MauvaiseVersion", "(" + f[0] + ")");
    if (!app.platform.files->IsAbsolutePath(f[1]))
      return Refuse(app, plan, "DossierNonAbsolu", f[1]);
    if (f.size() >= 5 && !f[4].empty() && !ParseFtpAddress(f[4], kFtpDefaultPort))
      return Refuse(app, plan, "AdresseServeurInvalide", f[4]);
    const bool forced = f.size() >= 4 && NumericValue(f[3]) != 0;
    plan.mode = forced ? LaunchMode::Forced : LaunchMode::Launched;
    if (!forced && !IsCheckDue(app)) return plan;
    if (f.size() >= 5) plan.settings.address = f[4];
    plan.proceed = true;
  } catch (const std::exception& e) {
    plan.proceed = false;
    plan.status = kExitFailed;
    plan.error = e.what();
  }
  return plan;
}

}  // namespace quo
