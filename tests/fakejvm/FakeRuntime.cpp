// The runtime DLLs that a Java home keeps in its bin folder, as the test
// double needs them (Windows only): fakeruntime.dll, which vendor/jvm.dll
// imports; fakeawt.dll, which the double loads while main runs, as a JVM loads
// awt.dll; and fakeawtdep.dll, which fakeawt.dll imports, as awt.dll needs
// msvcp140.dll.
#ifdef FAKE_AWT
extern "C" __declspec(dllimport) int fakeAwtDependency();
extern "C" __declspec(dllexport) int fakeAwt() {
  return fakeAwtDependency();
}
#elif defined(FAKE_AWT_DEPENDENCY)
extern "C" __declspec(dllexport) int fakeAwtDependency() {
  return 2;
}
#else
extern "C" __declspec(dllexport) int fakeRuntimeVersion() {
  return 140;
}
#endif
