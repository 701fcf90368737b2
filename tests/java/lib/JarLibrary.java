package demo;

// Lies in a jar of its own that the runnable jar's Class-Path names.
public class JarLibrary {
  public static String name() {
    return "from " + JarLibrary.class.getProtectionDomain().getCodeSource().getLocation().getPath()
        .replaceAll(".*/", "");
  }
}
