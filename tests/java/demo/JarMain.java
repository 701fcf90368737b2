package demo;

// The main class of the runnable jars: says what the jar's manifest gave it.
public class JarMain {
  public static void main(String[] args) throws Exception {
    Module unnamed = JarMain.class.getModule();
    System.out.println("args " + String.join(" ", args));
    System.out.println("library " + library());
    System.out.println("opens java.lang " + Object.class.getModule().isOpen("java.lang", unnamed));
    System.out.println(
        "exports sun.security.x509 " + Object.class.getModule().isExported("sun.security.x509", unnamed));
    try {
      System.loadLibrary("murvo-no-such-library");
    } catch (UnsatisfiedLinkError e) {
      System.out.println("no native library");
    }
  }

  private static String library() {
    try {
      return (String) Class.forName("demo.JarLibrary").getMethod("name").invoke(null);
    } catch (ReflectiveOperationException e) {
      return "missing";
    }
  }
}
