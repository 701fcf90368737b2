#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/PathText.h"

namespace murvo {

class LaunchProperties;

// How the lazy getters fill what nothing configured: the JVM library's path
// and the Java home found on the machine. Discovery lies above this record,
// so the launch hands its look-ups down (useJavaLookup).
struct JavaLookup {
  std::string (*findJvmPath)(LaunchProperties& properties) = nullptr;
  std::string (*findJavaHome)(LaunchProperties& properties) = nullptr;
};

// Every setting of one launch, from the executable's path to the JVM's end.
class LaunchProperties {
 public:
  static const std::string SDK_BUNDLE;

  virtual ~LaunchProperties() = default;

  void setExePath(const std::string& path);
  const std::string& getExePath() const { return exePath; }
  const std::string& getSelfHome() const { return selfHome; }
  // The executable's folder, without a trailing separator.
  std::string getExeFolder() const;

  // Lazy getters: filled by the look-ups handed down on first use when
  // empty; without look-ups they stay as configured.
  void useJavaLookup(const JavaLookup& lookup) { javaLookup = lookup; }
  std::string& getFoundJavaHome();
  std::string& getJvmPath();
  void setFoundJavaHome(const std::string& home) { foundJavaHome = home; }
  void setJvmPath(const std::string& path) { jvmPath = path; }
  // The JVM library's path as configured or filled so far, without filling it.
  const std::string& getStoredJvmPath() const { return jvmPath; }

  void setMainClass(const std::string& name) { mainClass = name; }
  bool hasMainClass() const { return !mainClass.empty(); }
  // The runnable jar (empty: none), and the module path's entries and main
  // module ("module" or "module/class") of a modular program.
  void setJar(const std::string& path) { jar = path; }
  const std::string& getJar() const { return jar; }
  void addModulePath(const std::string& path) { modulePath.push_back(path); }
  const std::vector<std::string>& getModulePath() const { return modulePath; }
  void setMainModule(const std::string& module) { mainModule = module; }
  const std::string& getMainModule() const { return mainModule; }
  // The main class in the slash form of the JVM, converted in place.
  std::string& getJniMainClass();

  void setBinJvmDir(const std::string& dir) { binJvmDir = dir; }
  std::string& getBinJvmDir() { return binJvmDir; }
  void setJavaBundle(const std::string& bundle) { javaBundle = bundle; }
  std::string& getJavaBundle() { return javaBundle; }
  void setConfiguredJavaHome(const std::string& home) { configuredJavaHome = home; }
  std::string& getConfiguredJavaHome() { return configuredJavaHome; }

  void addJvmOption(const std::string& option) { jvmOptions.push_back(option); }
  std::vector<std::string>& getJvmOptions() { return jvmOptions; }
  // The options of the user's options file, passed after the .lap's own. They
  // are kept apart from getJvmOptions(), which holds what the .lap alone
  // decides (the start-up cache's archive is keyed by those only).
  void addUserJvmOption(const std::string& option) { userJvmOptions.push_back(option); }
  std::vector<std::string>& getUserJvmOptions() { return userJvmOptions; }
  // The user's options file whose options were taken (empty: none).
  void setUserOptionsFile(const std::string& path) { userOptionsFile = path; }
  const std::string& getUserOptionsFile() const { return userOptionsFile; }
  void addProgramArg(const std::string& arg) { programArgs.push_back(arg); }
  std::vector<std::string>& getProgramArgs() { return programArgs; }

  void setMinJavaVersion(const std::string& version) { minJavaVersion = version; }
  std::string& getMinJavaVersion() { return minJavaVersion; }
  void setMaxJavaVersion(const std::string& version) { maxJavaVersion = version; }
  std::string& getMaxJavaVersion() { return maxJavaVersion; }

  void setTrapConsoleCtrl(const std::string& trap) { trapConsoleCtrl = trap; }
  bool isTrapConsoleCtrl() const;

  // "auto", "off", a folder's path, or empty when the key is absent.
  void setStartupCache(const std::string& setting) { startupCache = setting; }
  const std::string& getStartupCache() const { return startupCache; }
  // The splash image's path (empty: no splash) and its timeout as written.
  void setSplashImage(const std::string& path) { splashImage = path; }
  const std::string& getSplashImage() const { return splashImage; }
  // The splash image that a runnable jar holds (SplashScreen-Image): the
  // entry's name and bytes; used when murvo.splash names none.
  void setJarSplash(const std::string& entry, std::string bytes) {
    jarSplashEntry = entry;
    jarSplashBytes = std::move(bytes);
  }
  const std::string& getJarSplashEntry() const { return jarSplashEntry; }
  const std::string& getJarSplashBytes() const { return jarSplashBytes; }
  void setSplashTimeout(const std::string& seconds) { splashTimeout = seconds; }
  const std::string& getSplashTimeout() const { return splashTimeout; }
  // The name under which the program runs once (empty: every start runs).
  void setSingleInstance(const std::string& name) { singleInstance = name; }
  const std::string& getSingleInstance() const { return singleInstance; }

  // murvo.user.options as written: "auto", a file's path, or empty or "off".
  void setUserOptionsSetting(const std::string& setting) { userOptionsSetting = setting; }
  const std::string& getUserOptionsSetting() const { return userOptionsSetting; }
  // murvo.user.options.allowed as written; the key absent: nothing.
  void setUserOptionsAllowed(const std::string& prefixes) { userOptionsAllowed = prefixes; }
  const std::optional<std::string>& getUserOptionsAllowed() const { return userOptionsAllowed; }
  // The https:// address where a user gets a suitable Java (empty: none).
  void setJavaDownloadUrl(const std::string& url) { javaDownloadUrl = url; }
  const std::string& getJavaDownloadUrl() const { return javaDownloadUrl; }
  // The executable's file name without ".exe" (in any letter case).
  std::string getProgramName() const;

  std::string& getClassPath() { return classPath; }
  // What comes first on the class path: a runnable jar and its libraries,
  // separated by the class path separator.
  void addLeadingClassPath(const std::string& path) {
    if (!leadingClassPath.empty()) leadingClassPath += platform::classPathSeparator;
    leadingClassPath += path;
  }
  const std::string& getLeadingClassPath() const { return leadingClassPath; }
  void addJarsToClassPath(const std::string& folder);
  // Whether a jar folder was given, also one that added nothing.
  bool hasJarFolder() const { return jarFolderGiven; }

  bool isVersionGood(const std::string& version);
  void loadProperties();

  // Y, y, YES, yes, T, t, TRUE or true.
  static bool isYes(const std::string& value);
  static bool isJvmOption(const std::string& text) { return !text.empty() && text[0] == '-'; }
  // "-Djava.class.path" alone or with "=" and a value; no other name.
  static bool isClassPathOption(const std::string& option);

 private:
  std::string exePath;
  std::string selfHome;
  std::string foundJavaHome;
  std::string mainClass;
  std::string jar;
  std::vector<std::string> modulePath;
  std::string mainModule;
  std::string jvmPath;
  std::string binJvmDir;
  std::string javaBundle;
  std::string configuredJavaHome;
  std::vector<std::string> jvmOptions;
  std::vector<std::string> programArgs;
  std::string minJavaVersion;
  std::string maxJavaVersion;
  std::string trapConsoleCtrl;
  std::string splashImage;
  std::string splashTimeout;
  std::string jarSplashEntry;
  std::string jarSplashBytes;
  std::string singleInstance;
  std::string classPath;
  std::string leadingClassPath;
  std::string startupCache;
  std::vector<std::string> userJvmOptions;
  std::string userOptionsFile;
  std::string userOptionsSetting;
  std::optional<std::string> userOptionsAllowed;
  std::string javaDownloadUrl;
  bool jarFolderGiven = false;
  JavaLookup javaLookup;
};

// The launcher's home for an executable path: its folder, or that folder's
// parent when the folder is named exactly "bin". Unchanged `home` when the
// path holds no separator.
void deriveSelfHome(const std::string& exePath, char separator, std::string& home);

}  // namespace murvo
