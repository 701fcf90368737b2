// A program that shows nothing of its own for a while: the splash stays up.
public class Pause {
  public static void main(String[] args) throws Exception {
    Thread.sleep(10_000);
  }
}
