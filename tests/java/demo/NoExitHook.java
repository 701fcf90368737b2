package demo;

// Waits without offering initiateExit.
public class NoExitHook {
  public static void main(String[] args) throws Exception {
    System.out.println("waiting");
    Thread.sleep(60_000);
  }
}
