#include "update/verified_update.h"

#include <charconv>

#include "app/app_context.h"
#include "core/base64.h"
#include "core/paths.h"
#include "core/text.h"
#include "core/version_order.h"
#include "platform/crypto.h"
#include "platform/files.h"
#include "run/update_run.h"
#include "update/download_files.h"

#ifndef QUO_TRUSTED_KEYS
#define QUO_TRUSTED_KEYS ""
#endif

namespace quo {

namespace {

// Blanks and line ends around a one-line text.
std::string Stripped(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

void AddKeys(AppContext& app, const std::string& list, TrustedKeys& trusted) {
  for (const std::string& item : Split(list, ',')) {
    const std::string text = Stripped(item);
    if (text.empty()) continue;
    const auto raw = Base64Decode(text);
    if (raw && app.platform.crypto != nullptr && app.platform.crypto->IsPublicKey(*raw)) {
      trusted.keys.push_back(*raw);
    } else if (trusted.bad.empty()) {
      trusted.bad = text;
    }
  }
}

bool SameVersion(const std::string& a, const std::string& b) {
  return IsVersionText(a) && IsVersionText(b) && !IsNewerVersion(a, b) && !IsNewerVersion(b, a);
}

}  // namespace

TrustedKeys ReadTrustedKeys(AppContext& app) {
  TrustedKeys trusted;
  AddKeys(app, QUO_TRUSTED_KEYS, trusted);
  AddKeys(app, app.ini.Read("Server", "CleSignature"), trusted);
  return trusted;
}

std::string CheckSignature(AppContext& app, const std::vector<std::string>& keys,
                           const std::string& path, const std::string& name) {
  Files& files = *app.platform.files;
  const auto message = files.ReadAll(path);
  const auto text = files.ReadAll(path + kSignatureSuffix);
  if (!text) return app.Translate("SignatureAbsente") + " " + name + kSignatureSuffix;
  const auto signature = Base64Decode(Stripped(*text));
  if (message && signature && app.platform.crypto != nullptr) {
    for (const std::string& key : keys) {
      if (app.platform.crypto->Verify(key, *message, *signature)) return "";
    }
  }
  return app.Translate("SignatureInvalide") + " " + name;
}

std::optional<PackageFacts> ReadPackageFacts(AppContext& app, const std::string& actionsPath,
                                             const std::string& name, std::string& why) {
  PackageFacts p;
  p.name = name;
  p.compressed = NumericValue(app.ini.ReadIni(name, "compresse", actionsPath)) == 1;
  p.file = p.compressed ? ArchiveNameOf(name) : name;
  const std::string sizeText = Trim(app.ini.ReadIni(name, "taille", actionsPath));
  const std::string sha = Trim(app.ini.ReadIni(name, "sha256", actionsPath));
  if (!sizeText.empty()) {
    const auto r = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), p.size);
    if (r.ec != std::errc() || r.ptr != sizeText.data() + sizeText.size() || p.size < 0 ||
        p.size > kMaxPackageBytes) {
      why = "[" + name + "] taille=" + sizeText;
      return std::nullopt;
    }
  }
  if (!sha.empty()) {
    p.sha256 = sha.size() == 64 ? HexDecode(sha) : std::nullopt;
    if (!p.sha256) {
      why = "[" + name + "] sha256=" + sha;
      return std::nullopt;
    }
  }
  return p;
}

std::string CheckSignedActions(UpdateRun& run, const std::string& actionsPath) {
  AppContext& app = run.app;
  const std::string version = app.ini.ReadIni("ordre", "versionActuelle", actionsPath);
  const std::string startVersions = app.ini.ReadIni("ordre", "versionsDepart", actionsPath);
  if (!Trim(startVersions).empty()) {
    bool listed = false;
    for (const std::string& v : Split(startVersions, ','))
      listed = listed || SameVersion(Trim(v), run.installedVersion);
    if (!listed) return app.Translate("VersionDepartNonPrevue") + " " + run.installedVersion;
  }
  if (!IsNewerVersion(run.installedVersion, version))
    return app.Translate("MajPasPlusRecente") + " (" + run.installedVersion + " -> " + version +
           ")";
  const auto corrupted = [&](const std::string& why) {
    return std::string(kActions) + "  " + app.Translate("Fichiercorrompue") + " (" + why + ")";
  };
  const std::string packageCountText = app.ini.ReadIni("ordre", "nb", actionsPath);
  const int packageCount = WholeValue(packageCountText);
  if (packageCount > kMaxPackages)
    return corrupted("nb=" + packageCountText);  // fewer than one: the download says
  for (int i = 1; i <= packageCount; ++i) {
    const std::string name = app.ini.ReadIni("ordre", std::to_string(i), actionsPath);
    if (!IsPlainFileName(name)) return corrupted(std::to_string(i) + "=" + name);
    std::string why;
    const auto facts = ReadPackageFacts(app, actionsPath, name, why);
    if (!facts) return corrupted(why);
    if (!facts->Verifiable()) return app.Translate("PaquetSansEmpreinte") + " " + name;
  }
  return "";
}

}  // namespace quo
