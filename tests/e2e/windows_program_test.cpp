// QuoUpdate.exe as a separate Windows process under Wine, in a program folder made from the
// build's, against the project's FTP server on the Linux side and real files on the C: drive.
// Nothing here names a process to end: the Windows process walk sees more than this test's own.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <sddl.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/dates.h"
#include "e2e/road_cases.h"
#include "core/base64.h"
#include "platform/ini/ini_profile.h"
#include "support/ftp_server.h"
#include "support/native_services.h"
#include "support/temp_dir.h"
#include "support/test_key.h"
#include "support/window_driver.h"
#include "window/win32/win32_form.h"
#include "writers/rar4_writer.h"

namespace quo::test {
namespace {

namespace fs = std::filesystem;

// The build and the fixtures, seen from Wine through its Z: drive.
const std::string kBuild = "Z:" QUO_PROGRAM_BUILD_DIR, kRarFixtures = "Z:" QUO_FIXTURES_DIR "/rar/";
NativeFiles files;  // the settings file read as the program reads it

fs::path Native(const std::string& path) {
  return fs::path(std::u8string(path.begin(), path.end()));
}
std::wstring Wide(const std::string& s) { return Native(s).wstring(); }
std::string Backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// The marks of the test component (Composant.txt in its folder), once they say it was
// unregistered then registered, or after 10 s: registrations run detached from the program.
const std::string kReregistered = "unregistered\r\nregistered\r\n";
std::string Marks(const std::string& dir) {
  for (int i = 0; i < 500 && ReadFile(dir + "Composant.txt") != kReregistered; ++i) Sleep(20);
  return ReadFile(dir + "Composant.txt");
}

// The launcher, its module and the language files of the build in a temporary folder.
struct ProgramFolder {
  ProgramFolder() {
    for (const char* f : {"QuoUpdate.exe", "quo_gui.dll"})
      fs::copy_file(Native(kBuild + f), Native(dir / f));
    fs::copy(Native(kBuild + "LanguesUpdate"), Native(dir / "LanguesUpdate"));
  }

  // Wine hands a program's standard handles to what it starts, even uninherited: the program's
  // children may hold its error output a while after it ended.
  ~ProgramFolder() {
    for (int i = 0; i < 250 && Exists(dir / "stderr.txt"); ++i)
      if (!DeleteFileW(Wide(dir / "stderr.txt").c_str())) Sleep(20);
  }

  // Starts QuoUpdate.exe with the command tail, unattended unless told (then without standard
  // handles: Wine's desktop process, which its window starts, would keep them).
  PROCESS_INFORMATION Start(const std::string& tail, bool unattended = true) const {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE err = !unattended ? nullptr
                                   : CreateFileW(Wide(dir / "stderr.txt").c_str(), GENERIC_WRITE,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW si{.cb = sizeof si, .dwFlags = STARTF_USESTDHANDLES, .hStdError = err};
    const std::wstring exe = Wide(Backslashed(dir / "QuoUpdate.exe"));
    std::wstring line = L"\"" + exe + L"\" " + Wide(tail);
    SetEnvironmentVariableW(L"QUOUPDATE_UNATTENDED", unattended ? L"1" : nullptr);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                        &pi))
      ADD_FAILURE() << "not started: error " << GetLastError();
    CloseHandle(err);
    return pi;
  }

  // Waits for the program started; whileRunning, given the process id every 20 ms, ends it
  // (TerminateProcess, status -1) when it answers true, as does a run of more than 2 minutes.
  ProgramResult Wait(const PROCESS_INFORMATION& pi,
                     const std::function<bool(DWORD)>& whileRunning = {}) const {
    if (pi.hProcess == nullptr) return {-1, "not started"};
    DWORD status = static_cast<DWORD>(-1);
    for (int waited = 0; WaitForSingleObject(pi.hProcess, 20) == WAIT_TIMEOUT; waited += 20) {
      if (waited > 120000 || (whileRunning && whileRunning(pi.dwProcessId))) {
        TerminateProcess(pi.hProcess, status);
        WaitForSingleObject(pi.hProcess, INFINITE);
      }
    }
    GetExitCodeProcess(pi.hProcess, &status);
    CloseHandle(pi.hThread), CloseHandle(pi.hProcess);
    return {static_cast<int>(status), ReadFile(dir / "stderr.txt")};
  }

  ProgramResult Run(const std::string& tail, bool unattended = true,
                    const std::function<bool(DWORD)>& whileRunning = {}) const {
    return Wait(Start(tail, unattended), whileRunning);
  }

  TempDir dir;
};

const FormDesign& kMain = MainWindowDesign();

// Started by hand (no QUOUPDATE_UNATTENDED), the program shows its main window, and its close box
// ends it with status 0. The translators' database is not read here: one log line says so and the
// language files are used as they are. A launch with no check due never loads quo_gui.dll
// (garbage below), which a run that goes on does (and fails, naming it). Unattended, a command
// line without its folder is refused (2) with its reason, no box shown.
TEST(ProgramStart, WindowLightLaunchAndTranslationDatabase) {
  ProgramFolder program;
  fs::copy_file(Native("Z:" QUO_TEST_DATA_DIR "/mdb/traduction.mdb"),
                Native(program.dir / "TraductionUpdate.mdb"));
  const PROCESS_INFORMATION pi = program.Start("", false);
  const HWND form = WaitForWindow(pi.dwProcessId, kFormClass);
  EXPECT_EQ(Text(form), "Quorvanta Update");
  EXPECT_EQ(Text(FindControl(form, kMain, "cmdMettreAJour")), "Sortir");
  PostMessageW(form, WM_CLOSE, 0, 0);
  ProgramResult r = program.Wait(pi);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(ReadFile(program.dir / "log.txt").find("TraductionUpdate.mdb"), std::string::npos);
  EXPECT_EQ(ReadFile(program.dir / "LanguesUpdate/1036.lng"),
            ReadFile(kBuild + "LanguesUpdate/1036.lng"));

  r = program.Run("2.1.0//1036");
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("chemin complet :"), std::string::npos) << r.err;

  WriteFile(program.dir / "quo_gui.dll", "not a module");
  r = program.Run("2.1.0/C:\\Quorvanta\\/1036");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  r = program.Run("2.1.0/C:\\Quorvanta\\/1036/1");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("quo_gui.dll"), std::string::npos) << r.err;
}

class UpdateRoad : public ::testing::Test {
 public:  // the shared roads (e2e/road_cases.h) take the fixture
  void SetUp() override {
    MakeDirs(served / "maj/upd");
    Serve("ListMaj.ini", "[versions]\r\n2.1.0=upd\r\n");
    server = std::make_unique<FtpTestServer>(FtpTestServer::Options{.root = served.path()});
    Settings(server->address());
  }

  // A file of the update channel (below "maj/" on the server).
  void Serve(const std::string& path, const std::string& content) {
    WriteFile(served / ("maj/" + path), content);
  }
  // The settings, with the publisher's key trusted when given.
  void Settings(const std::string& address, int frequency = 1, const std::string& key = "") {
    WriteFile(program.dir / "QuoUpdate.ini",
              "[Server]\r\nAdresse=" + address +
                  "\r\nUser=quo\r\nMotPasse=secret\r\nChemin=maj\r\n"
                  "CleSignature=" +
                  key + "\r\n[temps]\r\nfrequence=" + std::to_string(frequency) + "\r\n");
  }
  std::string Setting(const std::string& section, const std::string& key) {
    return IniProfile(files).Get(program.dir / "QuoUpdate.ini", section, key, 100);
  }
  // Launched by the product: version/product folder/language, then the fields given.
  ProgramResult Launch(const std::string& more = "",
                       const std::function<bool(DWORD)>& whileRunning = {}) {
    return program.Run("2.1.0/" + Backslashed(product.path()) + "/1036" + more, true, whileRunning);
  }
  std::string Product(const std::string& name) { return ReadFile(product / name); }
  ProgramResult LaunchFor(const std::string& folder) {
    return program.Run("2.1.0/" + Backslashed(folder) + "/1036", true);
  }
  // The test's own paths ("C:/...") name the folder as well as the command line's backslashes.
  static std::string Root(const std::string& folder) { return folder; }
  void SetSetting(const std::string& section, const std::string& key, const std::string& value) {
    IniProfile(files).Set(program.dir / "QuoUpdate.ini", section, key, value);
  }
  bool DownloadsKept() { return Exists(program.dir / "Download/Actions.ini"); }
  // The publisher's signatures of the action file and the version list, by a key the settings
  // trust.
  void SignAndTrust() {
    Serve("upd/Actions.ini.sig", key.Sign(ReadFile(served / "maj/upd/Actions.ini")));
    Serve("ListMaj.ini.sig", key.Sign(ReadFile(served / "maj/ListMaj.ini")));
    Settings(server->address(), 1, Base64Encode(key.pub));
  }

  const TestKey key;
  ProgramFolder program;
  TempDir product, served;
  std::unique_ptr<FtpTestServer> server;
};

// Plain files with backups, a destination subfolder, a RAR 4 package with a Unicode name, a RAR 5
// package made by the RAR program, and a component unregistered, replaced and registered again
// by regsvr32. The fifth field names the server for this run; the settings keep theirs.
TEST_F(UpdateRoad, LaunchedWithACheckDueInstallsTheUpdate) {
  if (!fs::is_directory(Native(kRarFixtures)))
    GTEST_SKIP() << "fixtures folder " << kRarFixtures << " absent";
  const std::string component = ReadFile("Z:" QUO_TEST_COMPONENT);
  Serve("upd/Actions.ini",
        "[ordre]\r\nnb=5\r\nversionActuelle=2.1.1\r\n1=Quorvanta.exe\r\n2=Notes.txt\r\n"
        "3=Données-été.dat\r\n4=test.bin\r\n5=Composant.dll\r\n"
        "[Quorvanta.exe]\r\ncopie=1\r\nbackup=1\r\n[Notes.txt]\r\ndestination=Docs\r\ncopie=1\r\n"
        "backup=1\r\n[Données-été.dat]\r\ncompresse=1\r\ndestination=Plugins\\Greffons\r\n"
        "copie=1\r\n[test.bin]\r\ncompresse=1\r\ncopie=1\r\n"
        "[Composant.dll]\r\ncopie=1\r\nbackup=1\r\nenregistrement=1\r\ntype=dll\r\n");
  Serve("upd/Quorvanta.exe", "exe 2.1.1");
  Serve("upd/Notes.txt", "notes 2.1.1");
  Serve("upd/Données-été.rar",
        writers::BuildRar4({writers::Rar4File("Données-été.dat", "données 2.1.1")}).bytes);
  Serve("upd/test.rar", ReadFile(kRarFixtures + "rar5_compressed.rar"));
  Serve("upd/Composant.dll", component);
  WriteFile(product / "Quorvanta.exe", "exe 2.1.0");
  WriteFile(product / "Composant.dll", component);
  MakeDirs(product / "Docs"), MakeDirs(product / "Plugins");
  WriteFile(product / "Docs/Notes.txt", "notes 2.1.0");
  Settings("127.0.0.1:1");

  const ProgramResult r = Launch("/0/" + server->address());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Mise à jour correctement terminée."), std::string::npos) << r.err;
  const std::pair<std::string, std::string> installed[] = {
      {"Quorvanta.exe", "exe 2.1.1"}, {"OLDQuorvanta.exeBack", "exe 2.1.0"},
      {"Docs/Notes.txt", "notes 2.1.1"}, {"Docs/OLDNotes.txtBack", "notes 2.1.0"},
      {"Plugins/Greffons/Données-été.dat", "données 2.1.1"},
      {"Composant.dll", component}, {"OLDComposant.dllBack", component}};
  for (const auto& [name, content] : installed) EXPECT_TRUE(Product(name) == content) << name;
  EXPECT_EQ(Sha256Hex(Product("test.bin")),
            "588870a2dade35c2650fbb7898c9a9c7f21fce7c281198604e8d0c9737f2c375");
  EXPECT_EQ(Marks(product.path()), kReregistered);
  EXPECT_FALSE(DownloadsKept());
  EXPECT_EQ(Setting("Server", "Adresse"), "127.0.0.1:1");
  EXPECT_EQ(Setting("temps", "DerniereVersion"), "2.1.1");
  EXPECT_TRUE(ParseDate(Setting("temps", "dernier"))) << ReadFile(program.dir / "QuoUpdate.ini");
}

TEST_F(UpdateRoad, ThirdOfFiveSectionsFailsAndIsRolledBack) {
  quo::test::ThirdOfFiveSectionsFailsAndIsRolledBack(*this);
}

// QuoUpdate.exe ended (TerminateProcess) in the middle of a section, while the replaced server
// takes its time to unregister: the next start, with no check due, puts the original product back
// from the journal before anything else, registers the server again, and says so in the log.
TEST_F(UpdateRoad, AKilledInstallationIsUndoneAtTheNextStart) {
  const std::string slow = ReadFile("Z:" QUO_TEST_SERVER_PROGRAM);
  ServeThreeSectionsSlowSecond(*this, "prog.exe", slow);
  const ProgramResult killed = Launch("", [&](DWORD) { return Exists(product / "Composant.txt"); });
  ASSERT_EQ(killed.status, -1) << killed.err;
  EXPECT_EQ(Product("a.txt"), "new a.txt");  // the first section was in place
  ASSERT_TRUE(Exists(program.dir / "QuoUpdate.journal"));

  Settings(server->address(), 0);  // no check due
  const ProgramResult next = Launch();
  EXPECT_EQ(next.status, 0) << next.err;
  for (const std::string name : {"a.txt", "prog.exe", "c.txt"})
    EXPECT_TRUE(Product(name) == (name == "prog.exe" ? slow : "old " + name)) << name;
  EXPECT_FALSE(Exists(program.dir / "QuoUpdate.journal") || Exists(product / "OLDa.txtBack"));
  EXPECT_NE(ReadFile(program.dir / "log.txt").find("Installation interrompue annulée"),
            std::string::npos);
  EXPECT_EQ(Marks(product.path()), kReregistered);
  // The server program the first run started ends its slow unregistration on its own.
  for (int i = 0; i < 250 && !DeleteFileW(Wide(product / "prog.exe").c_str()); ++i) Sleep(20);
}

TEST_F(UpdateRoad, ASignedUpdateInstallsAndAnyChangeIsRefused) {
  SignedUpdateInstallsAndAnyChangeIsRefused(*this);
}

// Forged journals under Wine, and one whose access list lets everyone write it. Wine gives every
// file the user who runs it as owner whatever is asked: there is no row for another owner.
TEST_F(UpdateRoad, AForgedJournalSteersNothing) {
  Settings(server->address(), 0);  // no check due
  const auto openToAll = [](const std::string& journal, const std::string&) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;;FA;;;WD)", SDDL_REVISION_1, &sd, nullptr));
    EXPECT_TRUE(SetFileSecurityW(Wide(journal).c_str(), DACL_SECURITY_INFORMATION, sd));
    LocalFree(sd);
  };
  ForgedJournalsSteerNothing(*this, {{"open to everyone", kRestore, openToAll}});
}

// A person at the main window, in the three ways of running: started by hand (a version typed
// with a leading zero, "Rechercher...", "Mettre à jour"), launched by the product in English,
// forced (the search runs by itself, the installation waits for the person). Each time the
// go-ahead box names its buttons in the run's language and is answered, the update installs with
// its backups, the window says so, and its close box ends the program with status 0.
TEST_F(UpdateRoad, APersonUpdatesThroughTheWindowInEachWayOfRunning) {
  Serve("upd/Actions.ini", "[ordre]\r\nnb=1\r\nversionActuelle=2.1.1\r\n1=a.txt\r\n"
                           "[a.txt]\r\ncopie=1\r\nbackup=1\r\n");
  Serve("upd/a.txt", "new a.txt");
  const std::string folder = Backslashed(product.path());
  struct Road {
    std::string tail, typed;
    bool personStarts;  // the person clicks "Mettre à jour" once the search found the update
    const char *cancel, *done;
  } roads[] = {
      {"", "02.1.0", true, "Annuler", "Mise à jour correctement terminée."},
      {"2.1.0/" + folder + "/1033", "", false, "Cancel", "The update finished correctly."},
      {"2.1.0/" + folder + "/1036/1", "", true, "Annuler", "Mise à jour correctement terminée."},
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.tail);
    WriteFile(product / "a.txt", "old a.txt");
    fs::remove(Native(product / "OLDa.txtBack"));
    Settings(server->address());  // a check due again
    SetSetting("Server", "Destination", folder + "\\");
    const PROCESS_INFORMATION pi = program.Start(road.tail, false);
    const HWND form = WaitForWindow(pi.dwProcessId, kFormClass);
    auto control = [&](const char* name) { return FindControl(form, kMain, name); };
    auto shows = [](const std::string& part) {
      return [part](const std::string& text) { return text.find(part) != std::string::npos; };
    };
    if (!road.typed.empty()) {
      SetText(control("txtVersion"), road.typed);
      Click(control("cmdRechercher"));
    }
    if (road.personStarts) {
      EXPECT_TRUE(WaitForText(control("lblPhase"), shows("De nouvelles mises à jour")));
      EXPECT_TRUE(WaitForText(control("cmdMettreAJour"), shows("Mettre à jour")));
      Click(control("cmdMettreAJour"));
    }
    if (const HWND box = WaitForMessageBox(pi.dwProcessId)) {
      const BoxContent content = ReadBox(box);
      EXPECT_EQ(content.buttons,
                (std::map<int, std::string>{{IDOK, "OK"}, {IDCANCEL, road.cancel}}));
      Answer(box, IDOK);
    } else {
      ADD_FAILURE() << "no go-ahead box";
    }
    EXPECT_TRUE(WaitForText(control("lblPhase"), shows(road.done))) << Text(control("lblPhase"));
    EXPECT_EQ(Product("a.txt"), "new a.txt");
    EXPECT_EQ(Product("OLDa.txtBack"), "old a.txt");
    if (!road.typed.empty()) {
      EXPECT_EQ(Text(control("txtVersion")), "2.1.0");
    }
    PostMessageW(form, WM_CLOSE, 0, 0);
    const ProgramResult r = program.Wait(pi);
    EXPECT_EQ(r.status, 0) << r.err;
  }
}

// The window closed while a package downloads (the server stalls it): the program ends soon,
// nothing installed, status 0 as any close by a person.
TEST_F(UpdateRoad, ClosingTheWindowDuringADownloadEndsTheProgram) {
  Serve("upd/Actions.ini", "[ordre]\r\nnb=1\r\nversionActuelle=2.1.1\r\n1=big.bin\r\n"
                           "[big.bin]\r\ncopie=1\r\ntaille=4194304\r\n");
  Serve("upd/big.bin", std::string(4 << 20, 'x'));
  server.reset();
  server = std::make_unique<FtpTestServer>(
      FtpTestServer::Options{.root = served.path(), .faults = {"stall-after=65536"}});
  Settings(server->address());
  WriteFile(product / "big.bin", "old");
  const PROCESS_INFORMATION pi =
      program.Start("2.1.0/" + Backslashed(product.path()) + "/1036", false);
  const HWND form = WaitForWindow(pi.dwProcessId, kFormClass);
  EXPECT_TRUE(WaitForText(FindControl(form, kMain, "lblPhase"), [](const std::string& text) {
    return text.find("Téléchargement de") != std::string::npos;
  }));
  PostMessageW(form, WM_CLOSE, 0, 0);
  const auto closed = std::chrono::steady_clock::now();
  const ProgramResult r = program.Wait(pi, [&](DWORD) {
    return std::chrono::steady_clock::now() - closed > std::chrono::seconds(30);
  });
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Product("big.bin"), "old");
}

}  // namespace
}  // namespace quo::test
