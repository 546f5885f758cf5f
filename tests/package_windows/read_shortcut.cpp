// read-shortcut.exe FILE.lnk: prints a shortcut's target, working folder and
// arguments as the Windows shell reads them, one a line, as
// target=..., start_in=..., arguments=...; exits with 1 if it cannot be read.
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

void Print(const char* key, const wchar_t* value) {
  char text[MAX_PATH * 4];
  WideCharToMultiByte(CP_UTF8, 0, value, -1, text, sizeof text, nullptr, nullptr);
  std::printf("%s=%s\n", key, text);
}

int Read(const std::wstring& file) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    std::fprintf(stderr, "read-shortcut: no shell link object\n");
    return 1;
  }
  int status = 1;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
      wchar_t target[MAX_PATH] = L"", start_in[MAX_PATH] = L"", arguments[MAX_PATH] = L"";
      link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
      link->GetWorkingDirectory(start_in, MAX_PATH);
      link->GetArguments(arguments, MAX_PATH);
      Print("target", target);
      Print("start_in", start_in);
      Print("arguments", arguments);
      status = 0;
    } else {
      std::fprintf(stderr, "read-shortcut: cannot load the shortcut\n");
    }
    persist->Release();
  }
  link->Release();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: read-shortcut FILE.lnk\n");
    return 2;
  }
  CoInitialize(nullptr);
  const int status = Read(Widen(argv[1]));
  CoUninitialize();
  return status;
}
