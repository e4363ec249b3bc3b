// The built program as a separate, unattended process in a program folder made from the build's,
// against the project's FTP server on loopback and real files. Every "kill" names only a process
// this test started under a unique name: the program's process walk is not restricted here.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/dates.h"
#include "e2e/road_cases.h"
#include "platform/ini/ini_profile.h"
#include "support/child_processes.h"
#include "support/ftp_server.h"
#include "support/native_services.h"
#include "support/temp_dir.h"
#include "writers/rar4_writer.h"

using namespace quo::writers;  // NOLINT: the archive writer's names read as the tests' own

namespace quo::test {
namespace {

namespace fs = std::filesystem;

const std::string kBuild = QUO_PROGRAM_BUILD_DIR;
const std::string kModules[] = {"libquo_gui.so", "libquo_avi.so", "libquo_mdb.so"};
NativeFiles files;  // the settings file read and written as the program does

// The launcher, its modules and the language files of the build in a temporary folder.
struct ProgramFolder {
  ProgramFolder() {
    fs::copy_file(kBuild + "QuoUpdate", dir / "QuoUpdate");
    for (const std::string& m : kModules) fs::copy_file(kBuild + m, dir / m);
    fs::copy(kBuild + "LanguesUpdate", dir / "LanguesUpdate", fs::copy_options::recursive);
  }

  // Runs QuoUpdate with the arguments, unattended and offscreen; killed (SIGKILL, status -1) as
  // soon as killWhen says so.
  ProgramResult Run(std::vector<std::string> argv, int timeoutMs = 120000,
                    const std::function<bool()>& killWhen = {}) const {
    const std::string errPath = dir / "stderr.txt", runtime = dir / "runtime";
    MakeDirs(runtime);
    argv.insert(argv.begin(), dir / "QuoUpdate");
    std::vector<char*> cargv;
    for (std::string& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
      ::setenv("QUOUPDATE_UNATTENDED", "1", 1);
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
      ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
      // LeakSanitizer's exit-time check of a whole Qt program now and then crashes its own
      // tracer on a busy machine; leaks are checked by the tests that run the code in process.
      ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
      ::execv(cargv[0], cargv.data());
      ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) != pid) {
      if (std::chrono::steady_clock::now() > deadline || (killWhen && killWhen())) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return {-1, ReadFile(errPath)};
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), ReadFile(errPath)};
  }

  TempDir dir;
};

// Launched by the product with no check due: the light start-up logs its three lines, creates
// no settings file and loads no module (all three are unloadable here) unless it needs one.
TEST(LightLaunch, LogsAndLoadsModulesOnlyWhenNeeded) {
  ProgramFolder program;
  const std::string log = program.dir / "log.txt", settings = program.dir / "QuoUpdate.ini";
  fs::remove_all(program.dir / "LanguesUpdate");
  for (const std::string& m : kModules) WriteFile(program.dir / m, "not a module");
  for (const auto& args : {std::vector<std::string>{"2.1.0", "/opt/q/"}, {"2.1.0", "/o", "1033"}}) {
    const ProgramResult r = program.Run(args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
  }
  EXPECT_EQ(ReadFile(log),
            "2.1.0 /opt/q/\r\n2.1.0\r\n/opt/q/\r\n2.1.0 /o 1033\r\n2.1.0\r\n/o\r\n1033\r\n");
  // A run that goes on needs the window module: a broken one is named, and the run fails.
  ProgramResult r = program.Run({});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("libquo_gui.so"), std::string::npos) << r.err;
  EXPECT_FALSE(Exists(settings));
  EXPECT_FALSE(Exists(program.dir / "LanguesUpdate/1033.lng"));

  // A second instance (the lock on the program file is held here) ends at once, even when forced,
  // saying only why on standard error.
  const std::string logged = ReadFile(log);
  const int lock = ::open((program.dir / "QuoUpdate").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
  r = program.Run({"2.1.0", "/opt/q/", "1036", "1"}, 5000);
  ::close(lock);
  EXPECT_EQ(r.status, 4) << r.err;
  EXPECT_EQ(r.err, "QuoUpdate: Une autre instance du programme est en cours ; celle-ci s'arrête.\n");
  EXPECT_EQ(ReadFile(log), logged);
  EXPECT_FALSE(Exists(settings));

  // The translators' database beside the program: the language files are written from it.
  fs::copy_file(kBuild + "libquo_mdb.so", program.dir / "libquo_mdb.so",
                fs::copy_options::overwrite_existing);
  fs::copy_file(QUO_TEST_DATA_DIR "/mdb/traduction.mdb", program.dir / "TraductionUpdate.mdb");
  EXPECT_EQ(program.Run({"2.1.0", "/opt/q/"}).status, 0);
  EXPECT_NE(ReadFile(program.dir / "LanguesUpdate/1036.lng"), "");
  EXPECT_NE(ReadFile(program.dir / "LanguesUpdate/1033.lng").find("No new update available"),
            std::string::npos);
}

class UpdateRoad : public ::testing::Test {
 public:  // the shared roads (e2e/road_cases.h) take the fixture
  void SetUp() override {
    MakeDirs(served / "maj/upd");
    Serve("ListMaj.ini", "[versions]\r\n2.1.0=upd\r\n");
    server = std::make_unique<FtpTestServer>(FtpTestServer::Options{.root = served.path()});
  }

  // A file of the update channel (below "maj/" on the server).
  void Serve(const std::string& path, const std::string& content) {
    WriteFile(served / ("maj/" + path), content);
  }
  void Settings(const std::string& address) {
    WriteFile(program.dir / "QuoUpdate.ini", "[Server]\r\nAdresse=" + address +
                                                 "\r\nUser=quo\r\nMotPasse=secret\r\nChemin=maj\r\n"
                                                 "[temps]\r\nfrequence=1\r\n");
  }
  std::string Setting(const std::string& section, const std::string& key) {
    return IniProfile(files).Get(program.dir / "QuoUpdate.ini", section, key, 100);
  }
  // Launched by the product (Linux form of the command line).
  ProgramResult Launch(std::vector<std::string> extra = {"1036"}) {
    extra.insert(extra.begin(), {"2.1.0", product.path()});
    return program.Run(extra);
  }
  std::string Product(const std::string& name) { return ReadFile(product / name); }
  ProgramResult LaunchFor(const std::string& folder) {
    return program.Run({"2.1.0", folder, "1036"});
  }
  static std::string Root(const std::string& folder) { return folder; }
  void SetSetting(const std::string& section, const std::string& key, const std::string& value) {
    IniProfile(files).Set(program.dir / "QuoUpdate.ini", section, key, value);
  }
  // Runs the keeper's signing tool; the test stops unless it succeeds.
  void QuoSign(std::vector<std::string> args) {
    args.insert(args.begin(), QUO_SIGN_PROGRAM);
    ASSERT_EQ(RunProgram(args), 0) << args[1];
  }
  // A key pair made by the keeper, its public key trusted by the settings, and the update folder
  // and version list signed with it.
  void SignAndTrust() {
    if (!Exists(served / "secret.key"))
      QuoSign({"keygen", served / "secret.key", served / "public.key"});
    QuoSign({"sign", served / "maj/upd", served / "secret.key"});
    QuoSign({"sign-list", served / "maj/ListMaj.ini", served / "secret.key"});
    Settings(server->address());
    IniProfile(files).Set(program.dir / "QuoUpdate.ini", "Server", "CleSignature",
                          ReadFile(served / "public.key"));
  }
  bool DownloadsKept() { return Exists(program.dir / "Download/Actions.ini"); }
  // An address where nothing listens: a test server's, once stopped.
  static std::string Closed() { return FtpTestServer({.root = TempDir().path()}).address(); }

  ProgramFolder program;
  TempDir product, served;
  std::unique_ptr<FtpTestServer> server;
};

// The fifth field names the server for this run; the settings keep theirs (a closed port).
TEST_F(UpdateRoad, LaunchedWithACheckDueInstallsTheUpdate) {
  SleepingChild running(product.path(), "qe2e");  // the product's process, to be ended
  Serve("upd/Actions.ini",
        "[ordre]\r\nnb=4\r\nversionActuelle=2.1.1\r\n1=Quorvanta.exe\r\n2=Notes.txt\r\n"
        "3=Greffon.dat\r\n4=Lib.dll\r\n[Lib.dll]\r\ncopie=1\r\nenregistrement=1\r\ntype=dll\r\n"
        "[Notes.txt]\r\ndestination=Docs\r\ncopie=1\r\nbackup=1\r\n"
        "[Greffon.dat]\r\ncompresse=1\r\ndestination=Plugins\\Greffons\r\ncopie=1\r\n"
        "[Quorvanta.exe]\r\ncopie=1\r\nbackup=1\r\nkill=" + running.name() + "\r\n");
  Serve("upd/Quorvanta.exe", "exe 2.1.1");
  Serve("upd/Notes.txt", "notes 2.1.1");
  Serve("upd/Lib.dll", "lib 2.1.1");
  WriteRar4(served / "maj/upd/Greffon.rar", {Rar4File("Greffon.dat", "greffon 2.1.1")});
  WriteFile(product / "Quorvanta.exe", "exe 2.1.0");
  MakeDirs(product / "Docs"), MakeDirs(product / "Plugins");
  WriteFile(product / "Docs/Notes.txt", "notes 2.1.0");
  const std::string down = Closed();
  Settings(down);

  const ProgramResult r = Launch({"1036", "0", server->address()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(running.EndedByKill()) << "the named process is ended before its file is replaced";
  EXPECT_EQ(Product("Quorvanta.exe"), "exe 2.1.1");
  EXPECT_EQ(Product("OLDQuorvanta.exeBack"), "exe 2.1.0");
  EXPECT_EQ(Product("Docs/Notes.txt"), "notes 2.1.1");
  EXPECT_EQ(Product("Docs/OLDNotes.txtBack"), "notes 2.1.0");
  EXPECT_EQ(Product("Plugins/Greffons/Greffon.dat"), "greffon 2.1.1");
  EXPECT_FALSE(DownloadsKept());
  EXPECT_EQ(Setting("Server", "Adresse"), down);
  EXPECT_EQ(Setting("temps", "DerniereVersion"), "2.1.1");
  EXPECT_TRUE(ParseDate(Setting("temps", "dernier"))) << ReadFile(program.dir / "QuoUpdate.ini");
  EXPECT_NE(r.err.find("Mise à jour correctement terminée."), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ne sont pas vérifiées : aucune clé"), std::string::npos) << r.err;
  // Nothing registers a dll here: it is installed, and named once on standard error.
  EXPECT_EQ(Product("Lib.dll"), "lib 2.1.1");
  const std::string unregistered = "sur ce système) : " + product / "Lib.dll";
  EXPECT_NE(r.err.find(unregistered), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find(unregistered), r.err.rfind(unregistered));
}

TEST_F(UpdateRoad, ThirdOfFiveSectionsFailsAndIsRolledBack) {
  Settings(server->address());
  quo::test::ThirdOfFiveSectionsFailsAndIsRolledBack(*this);
}

// The program killed (SIGKILL) while it installs, in the middle of a section (the replaced program
// still takes its time to unregister): the next start, with no check due, puts the original
// product back from the journal before anything else, and says so in the log.
TEST_F(UpdateRoad, AKilledInstallationIsUndoneAtTheNextStart) {
  const std::string slow = "#!/bin/sh\n[ \"$1\" = /UNREGSERVER ] && sleep 3\nexit 0\n";
  ServeThreeSectionsSlowSecond(*this, "prog", slow);
  fs::permissions(product / "prog", fs::perms::owner_all);
  Settings(server->address());
  const std::string journal = program.dir / "QuoUpdate.journal";
  const ProgramResult killed = program.Run({"2.1.0", product.path(), "1036"}, 120000, [&] {
    return Exists(journal) && ReadFile(journal).find("unregister\t2") != std::string::npos;
  });
  ASSERT_EQ(killed.status, -1) << killed.err;
  EXPECT_EQ(Product("a.txt"), "new a.txt");  // the first section was in place

  IniProfile(files).Set(program.dir / "QuoUpdate.ini", "temps", "frequence", "0");  // no check due
  // A backup that cannot be put back (a folder in its way): said, logged, kept for later.
  fs::remove(product / "a.txt"), MakeDirs(product / "a.txt");
  ProgramResult next = Launch({"1036"});
  EXPECT_EQ(next.status, 1);
  EXPECT_NE(next.err.find("Impossible de rétablir l'installation interrompue"), std::string::npos);
  EXPECT_TRUE(Exists(journal) && Exists(product / "OLDa.txtBack"));
  fs::remove(product / "a.txt");
  next = Launch({"1036"});
  EXPECT_EQ(next.status, 0) << next.err;
  for (const std::string name : {"a.txt", "prog", "c.txt"})
    EXPECT_EQ(Product(name), name == "prog" ? slow : "old " + name);
  EXPECT_FALSE(Exists(journal) || Exists(product / "OLDa.txtBack"));
  EXPECT_NE(ReadFile(program.dir / "log.txt").find("Installation interrompue annulée"),
            std::string::npos);
}

// Forged journals, and what a forger does to the file or beside it on Linux; a kill name in a
// refused journal ends nothing.
TEST_F(UpdateRoad, AForgedJournalSteersNothing) {
  Settings(server->address());
  SetSetting("temps", "frequence", "0");  // no check due
  SleepingChild outsider(served.path(), "qforged");
  using S = const std::string&;  // the journal's path; the folder beside the product
  ForgedJournalsSteerNothing(
      *this,
      {{"kill name", "plan|1|O/victim.txt||" + outsider.name() + "||0;start|1"},
       {"a link", kRestore, [](S j, S) { fs::rename(j, j + "2"), fs::create_symlink(j + "2", j); }},
       {"another owner", kRestore, [](S j, S) { ASSERT_EQ(::chown(j.c_str(), 12345, 0), 0); }},
       {"a second name", kRestore, [](S j, S) { fs::create_hard_link(j, j + ".second"); }},
       {"open to others", kRestore,
        [](S j, S) { fs::permissions(j, fs::perms::others_write, fs::perm_options::add); }},
       {"a link on the way",
        "plan|1|R/L/victim.txt|R/L/OLDvictim.txtBack|||0;start|1;backup|1;copy|1",
        [&](S, S out) { fs::create_directory_symlink(out, product / "L"); }},
       {"backup a link", "plan|1|R/b.txt|R/OLDb.txtBack|||0;start|1;backup|1;copy|1",
        [&](S, S out) { fs::create_symlink(out + "victim.txt", product / "OLDb.txtBack"); }}});
  EXPECT_TRUE(outsider.Running());
}

// Every unattended road that does not install ends with its status and says why on standard error,
// the product untouched: a server down (with the system's reason) or failing us (1; a FIFO where
// the log goes is said and stops nothing), a command line or settings the run cannot use (2,
// before any download, even a command line whose window would have opened: a settings file that
// is a folder, a settings address, an installation folder that does not exist).
TEST_F(UpdateRoad, UnattendedFailuresAreToldAndEndTheRun) {
  const std::string down = Closed();
  const struct {
    std::vector<std::string> extra, whole;  // after the version and product folder, or alone
    std::string fault, list;
    int status;
    std::string told;
  } cases[] = {
      {{"1036", "1"}, {}, "down", "", 1,
       "Impossible de se connecter au serveur | La communication avec le serveur a échoué : "
       "connect " + down + ": Connection refused"},
      {{"1036", "1"}, {}, "fifo", "2.1.0=absent", 1, "QuoUpdate: log.txt n'est pas écrit : Cannot open"},
      {{"1036", "1"}, {}, "settings", "", 2, "paramètres présent mais illisible, aucune vérification"},
      {{}, {"2.1.0", "/nonexistent/q/", "1036", "1"}, "", "", 2, "n'existe pas : /nonexistent/q/"},
      {{}, {"2.1.0/C:\\Prod/1036"}, "", "", 2, "chemin complet : C:\\Prod"},
      {{}, {"2.1.0//1036"}, "", "", 2, "chemin complet :\n"},
      {{}, {"1x.2.3", "/opt/q", "1036", "1"}, "", "", 2, "Version incorrecte"},
      {{"1036", "1"}, {}, "retr-refused", "", 1,
       "Impossible de lire la liste des mises à jour du serveur. | Fichier introuvable sur le "
       "serveur : RETR ListMaj.ini (550"},
      {{"1036", "1"}, {}, "", "2.1.0=absent", 1, "absent du serveur : absent | CWD absent (550"},
      {{"1036", "1"}, {}, "address", "", 2, "suivis de :port) : 127.0.0.1#21"},
      {{"1036", "0", "[127.0.0.1]:21"}, {}, "", "", 2, "suivis de :port) : [127.0.0.1]:21"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.told);
    server = std::make_unique<FtpTestServer>(FtpTestServer::Options{
        .root = served.path(), .faults = {c.fault == "retr-refused" ? c.fault : ""}});
    fs::remove_all(program.dir / "QuoUpdate.ini");
    Settings(c.fault == "down"      ? down
             : c.fault == "address" ? "127.0.0.1#21"
                                    : server->address());
    fs::remove_all(program.dir / "log.txt");
    if (c.fault == "fifo") {
      EXPECT_EQ(::mkfifo((program.dir / "log.txt").c_str(), 0600), 0);
    }
    if (c.fault == "settings") fs::remove(program.dir / "QuoUpdate.ini"), MakeDirs(program.dir / "QuoUpdate.ini");
    if (!c.list.empty()) Serve("ListMaj.ini", "[versions]\r\n" + c.list + "\r\n");
    const ProgramResult r = c.whole.empty() ? Launch(c.extra) : program.Run(c.whole);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.told), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_empty(product.path()));
  }
}

// Signed by the keeper with quo-sign.
TEST_F(UpdateRoad, ASignedUpdateInstallsAndAnyChangeIsRefused) {
  SignedUpdateInstallsAndAnyChangeIsRefused(*this);
}

// The program killed (SIGKILL) while it downloads a signed package from a slow server: the next
// run asks only for the rest (REST), checks the whole file and installs it.
TEST_F(UpdateRoad, AKilledSignedDownloadIsContinuedByTheNextRun) {
  const std::string big(400000, 'q');
  Serve("upd/Actions.ini",
        "[ordre]\r\nnb=1\r\nversionActuelle=2.1.1\r\n1=Quorvanta.exe\r\n"
        "[Quorvanta.exe]\r\ncopie=1\r\n");
  Serve("upd/Quorvanta.exe", big);
  server = std::make_unique<FtpTestServer>(
      FtpTestServer::Options{.root = served.path(), .faults = {"throttle=100000"}});
  SignAndTrust();
  const std::string part = program.dir / "Download/Quorvanta.exe.part";
  const ProgramResult killed = program.Run({"2.1.0", product.path(), "1036"}, 120000, [&] {
    return Exists(part) && fs::file_size(part) >= 65536;
  });
  ASSERT_EQ(killed.status, -1) << killed.err;
  server = std::make_unique<FtpTestServer>(FtpTestServer::Options{.root = served.path()});
  SignAndTrust();
  const ProgramResult r = Launch();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Product("Quorvanta.exe") == big);
  EXPECT_NE(server->log().find("REST "), std::string::npos);
}

}  // namespace
}  // namespace quo::test
