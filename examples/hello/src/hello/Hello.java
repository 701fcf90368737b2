package hello;

// The demo application: shows what the launcher handed over.
public class Hello {
  public static void main(String[] args) {
    System.out.println(System.getProperty("hello.greeting", "Hello") + ", Java "
        + System.getProperty("java.version") + " (" + System.getProperty("java.home") + ")");
    System.out.println("Arguments: " + args.length);
    for (int i = 0; i < args.length; i++) {
      System.out.println("  [" + i + "] " + args[i]);
    }
    System.out.println("Class path: " + System.getProperty("java.class.path"));
  }

  // Called by the launcher on Ctrl+C when console control is trapped.
  public static void initiateExit(int status) {
    System.out.println("Shutting down.");
    System.exit(status);
  }
}
