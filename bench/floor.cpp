// The floor a launcher is measured against: the JNI invocation sequence
// itself, with every setting given on the command line and no configuration
// work at all. For the splash, the splash library's own work alone: the
// library loaded and the image shown, with no VM started beside it.
//
//   floor <libjvm.so> <main class in slash form> <VM option>...   full launch
//   floor --create-only <libjvm.so> <VM option>...                 load and create only
//   floor --splash <libsplashscreen.so> <image> <libjvm.so>        show the splash, then wait
//     (the JVM library is loaded only for a splash library that cannot load without it)
#include <dlfcn.h>
#include <jni.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);

int fail(const char* what) {
  std::fprintf(stderr, "floor: %s\n", what);
  return 1;
}

// Shows the image and waits to be ended, as a program with a splash would.
int showSplash(const char* libraryPath, const char* image, const char* jvmPath) {
  void* library = dlopen(libraryPath, RTLD_NOW | RTLD_GLOBAL);
  if (!library && dlopen(jvmPath, RTLD_NOW | RTLD_GLOBAL)) {
    library = dlopen(libraryPath, RTLD_NOW | RTLD_GLOBAL);
  }
  if (!library) return fail(dlerror());
  auto init = reinterpret_cast<void (*)()>(dlsym(library, "SplashInit"));
  auto loadFile = reinterpret_cast<int (*)(const char*)>(dlsym(library, "SplashLoadFile"));
  if (!init || !loadFile) return fail("no SplashInit or SplashLoadFile");
  init();
  if (!loadFile(image)) return fail("cannot show the image");
  for (;;) pause();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--splash") == 0) {
    return showSplash(argv[2], argv[3], argv[4]);
  }
  const bool createOnly = argc > 1 && std::strcmp(argv[1], "--create-only") == 0;
  const int first = createOnly ? 2 : 1;
  const int firstOption = first + (createOnly ? 1 : 2);
  if (argc < firstOption) return fail("missing arguments");

  void* library = dlopen(argv[first], RTLD_NOW | RTLD_GLOBAL);
  if (!library) return fail(dlerror());
  auto create = reinterpret_cast<CreateJavaVm>(dlsym(library, "JNI_CreateJavaVM"));
  if (!create) return fail("no JNI_CreateJavaVM");

  std::vector<JavaVMOption> options;
  for (int i = firstOption; i < argc; ++i) options.push_back({argv[i], nullptr});
  JavaVMInitArgs args{};
  args.version = JNI_VERSION_1_2;
  args.nOptions = static_cast<jint>(options.size());
  args.options = options.data();
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  if (create(&vm, reinterpret_cast<void**>(&env), &args) < 0) return fail("cannot create VM");
  if (createOnly) return 0;

  jclass mainClass = env->FindClass(argv[first + 1]);
  jmethodID main =
      mainClass ? env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V") : nullptr;
  if (!main) return fail("no main");
  jobjectArray noArguments = env->NewObjectArray(0, env->FindClass("java/lang/String"), nullptr);
  env->CallStaticVoidMethod(mainClass, main, noArguments);
  if (env->ExceptionOccurred()) env->ExceptionDescribe();
  vm->DestroyJavaVM();
  return 0;
}
