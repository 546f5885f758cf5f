// make-startup-shortcut.exe NAME TARGET START_IN ARGUMENTS: puts NAME.lnk in
// the user's Start-up folder, starting TARGET with ARGUMENTS in START_IN,
// minimized, as the installer's log-on part does; with --remove NAME, takes
// it away. Exits with 1 when it cannot.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

namespace {

std::wstring Widen(const char* text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(size > 0 ? size : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
  wide.resize(wide.size() - 1);
  return wide;
}

std::wstring StartupShortcut(const char* name) {
  wchar_t folder[MAX_PATH] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, 0, folder))) return L"";
  return std::wstring(folder) + L"\\" + Widen(name) + L".lnk";
}

int Make(const std::wstring& file, const char* target, const char* startIn, const char* arguments) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    std::fprintf(stderr, "make-startup-shortcut: no shell link object\n");
    return 1;
  }
  link->SetPath(Widen(target).c_str());
  link->SetWorkingDirectory(Widen(startIn).c_str());
  link->SetArguments(Widen(arguments).c_str());
  link->SetShowCmd(SW_SHOWMINNOACTIVE);
  int status = 1;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    if (SUCCEEDED(persist->Save(file.c_str(), TRUE)))
      status = 0;
    else
      std::fprintf(stderr, "make-startup-shortcut: cannot save the shortcut\n");
    persist->Release();
  }
  link->Release();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const bool remove = argc == 3 && std::string(argv[1]) == "--remove";
  if (argc != 5 && !remove) {
    std::fprintf(stderr, "usage: make-startup-shortcut NAME TARGET START_IN ARGUMENTS | --remove NAME\n");
    return 2;
  }
  const std::wstring file = StartupShortcut(argv[remove ? 2 : 1]);
  if (file.empty()) {
    std::fprintf(stderr, "make-startup-shortcut: no Start-up folder\n");
    return 1;
  }
  if (remove) return DeleteFileW(file.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : 1;
  CoInitialize(nullptr);
  const int status = Make(file, argv[2], argv[3], argv[4]);
  CoUninitialize();
  return status;
}
