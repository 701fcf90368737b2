package demo;

// Waits without offering initiateExit; a shutdown hook says when it runs and,
// with the argument "stuck", never ends.
public class NoExitHook {
  public static void main(String[] args) throws Exception {
    final boolean stuck = args.length > 0 && args[0].equals("stuck");
    Runtime.getRuntime().addShutdownHook(new Thread(() -> {
      System.out.println("shutdown hook");
      System.out.flush();
      while (stuck) {
        try {
          Thread.sleep(60_000);
        } catch (InterruptedException e) {
          return;
        }
      }
    }));
    System.out.println("waiting");
    Thread.sleep(60_000);
  }
}
