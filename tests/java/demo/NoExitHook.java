package demo;

// Waits without offering initiateExit; a shutdown hook says when it runs.
public class NoExitHook {
  public static void main(String[] args) throws Exception {
    Runtime.getRuntime().addShutdownHook(new Thread(() -> System.out.println("shutdown hook")));
    System.out.println("waiting");
    Thread.sleep(60_000);
  }
}
