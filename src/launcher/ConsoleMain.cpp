// The Windows console entry (murvoc.exe): the launch goes on exactly as in
// the GUI entry, from the process's own command-line text split by
// CommandLine, not from the C runtime's argv, so that both executables see
// the same arguments.
extern "C" int __stdcall WinMain(void*, void*, char*, int);

int main() {
  return WinMain(nullptr, nullptr, nullptr, 0);
}
