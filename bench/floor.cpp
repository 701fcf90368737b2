// The floor a launcher is measured against: the JNI invocation sequence
// itself, with every setting given on the command line and no configuration
// work at all.
//
//   floor <libjvm.so> <main class in slash form> <VM option>...   full launch
//   floor --create-only <libjvm.so> <VM option>...                 load and create only
#include <dlfcn.h>
#include <jni.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);

int fail(const char* what) {
  std::fprintf(stderr, "floor: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
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
