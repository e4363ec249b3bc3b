#include "update/verified_update.h"

#include <charconv>

#include "app/app_context.h"
#include "core/base64.h"
#include "core/paths.h"
#include "core/text.h"
#include "run/update_run.h"
#include "platform/crypto.h"
#include "platform/files.h"
#include "core/comparer_version.h"
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
  return IsVersionText(a) && IsVersionText(b) && !ComparerVersion(a, b) && !ComparerVersion(b, a);
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
  if (!text) return app.Traduire("SignatureAbsente") + " " + name + kSignatureSuffix;
  const auto signature = Base64Decode(Stripped(*text));
  if (message && signature && app.platform.crypto != nullptr) {
    for (const std::string& key : keys) {
      if (app.platform.crypto->Verify(key, *message, *signature)) return "";
    }
  }
  return app.Traduire("SignatureInvalide") + " " + name;
}

std::optional<PackageFacts> ReadPackageFacts(AppContext& app, const std::string& nomIni,
                                             const std::string& name, std::string& why) {
  PackageFacts p;
  p.name = name;
  p.compresse = NumericValue(app.ini.ReadIni(name, "compresse", nomIni)) == 1;
  p.file = p.compresse ? NomArchive(name) : name;
  const std::string taille = Trim(app.ini.ReadIni(name, "taille", nomIni));
  const std::string sha = Trim(app.ini.ReadIni(name, "sha256", nomIni));
  if (!taille.empty()) {
    const auto r = std::from_chars(taille.data(), taille.data() + taille.size(), p.taille);
    if (r.ec != std::errc() || r.ptr != taille.data() + taille.size() || p.taille < 0 ||
        p.taille > kMaxPackageBytes) {
      why = "[" + name + "] taille=" + taille;
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

std::string CheckSignedActions(UpdateRun& run, const std::string& nomIni) {
  AppContext& app = run.app;
  const std::string version = app.ini.ReadIni("ordre", "versionActuelle", nomIni);
  const std::string depart = app.ini.ReadIni("ordre", "versionsDepart", nomIni);
  if (!Trim(depart).empty()) {
    bool listed = false;
    for (const std::string& v : Split(depart, ',')) listed = listed || SameVersion(Trim(v), run.MyVersion);
    if (!listed) return app.Traduire("VersionDepartNonPrevue") + " " + run.MyVersion;
  }
  if (!ComparerVersion(run.MyVersion, version))
    return app.Traduire("MajPasPlusRecente") + " (" + run.MyVersion + " -> " + version + ")";
  const auto corrupted = [&](const std::string& why) {
    return std::string(kActions) + "  " + app.Traduire("Fichiercorrompue") + " (" + why + ")";
  };
  const std::string nbText = app.ini.ReadIni("ordre", "nb", nomIni);
  const int nb = WholeValue(nbText);
  if (nb > kMaxPackages) return corrupted("nb=" + nbText);  // fewer than one: the download says
  for (int i = 1; i <= nb; ++i) {
    const std::string name = app.ini.ReadIni("ordre", std::to_string(i), nomIni);
    if (!IsPlainFileName(name)) return corrupted(std::to_string(i) + "=" + name);
    std::string why;
    const auto facts = ReadPackageFacts(app, nomIni, name, why);
    if (!facts) return corrupted(why);
    if (!facts->Verifiable()) return app.Traduire("PaquetSansEmpreinte") + " " + name;
  }
  return "";
}

}  // namespace quo
