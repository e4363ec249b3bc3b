/* A component for the Windows end-to-end tests, whose registration is seen: registering and
   unregistering it (regsvr32 /s, regsvr32 /u /s) add the line "registered" or "unregistered" to
   Composant.txt beside it. Built a second time as a program registered as a server (exeX, with
   QUO_TEST_PROGRAM): /REGSERVER and /UNREGSERVER add the same lines, and its unregistration then
   takes three seconds, as a slow server's would. */
#include <windows.h>

extern IMAGE_DOS_HEADER __ImageBase; /* this module: the DLL, or the program */

static HRESULT Mark(const char* line) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA((HMODULE)&__ImageBase, path, MAX_PATH);
  while (n > 0 && path[n - 1] != '\\' && path[n - 1] != '/') --n;
  if (n == 0 || n + sizeof "Composant.txt" > MAX_PATH) return E_FAIL;
  lstrcpyA(path + n, "Composant.txt");
  HANDLE f = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  DWORD written = 0;
  const BOOL ok = f != INVALID_HANDLE_VALUE && WriteFile(f, line, lstrlenA(line), &written, NULL);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  return ok ? S_OK : E_FAIL;
}

#if defined(QUO_TEST_PROGRAM)
int main(int argc, char** argv) {
  if (argc > 1 && lstrcmpiA(argv[1], "/REGSERVER") == 0) Mark("registered\r\n");
  if (argc > 1 && lstrcmpiA(argv[1], "/UNREGSERVER") == 0) Mark("unregistered\r\n"), Sleep(3000);
  return 0;
}
#else
__declspec(dllexport) HRESULT WINAPI DllRegisterServer(void) { return Mark("registered\r\n"); }
__declspec(dllexport) HRESULT WINAPI DllUnregisterServer(void) { return Mark("unregistered\r\n"); }
#endif
