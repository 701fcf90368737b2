package demo;

// Counts the calls of initiateExit and returns from main once it has seen
// as many as its argument asks for (or after 30 seconds).
public class CountExits {
  private static final Object lock = new Object();
  private static int calls;

  public static void main(String[] args) throws Exception {
    final int wanted = Integer.parseInt(args[0]);
    final long end = System.currentTimeMillis() + 30_000;
    System.out.println("waiting");
    synchronized (lock) {
      while (calls < wanted && System.currentTimeMillis() < end) lock.wait(100);
      System.out.println("done " + calls);
    }
  }

  public static void initiateExit(int status) {
    synchronized (lock) {
      calls++;
      System.out.println("initiateExit " + status + " #" + calls);
      lock.notifyAll();
    }
  }
}
