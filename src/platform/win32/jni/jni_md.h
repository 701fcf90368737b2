// The machine-dependent JNI types for 64-bit Windows, for building with the
// jni.h of a JDK for another system.
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

// jint is 32 bits wide on every platform; `long` is 32 bits on Windows.
typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
