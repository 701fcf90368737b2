package demo;

// Prints each argument on a line of its own, as the code points it holds.
public class PrintArgs {
  public static void main(String[] args) {
    System.out.println("count=" + args.length);
    for (String arg : args) {
      StringBuilder codes = new StringBuilder();
      arg.codePoints().forEach(c -> codes.append(codes.length() == 0 ? "" : " ").append(Integer.toHexString(c)));
      System.out.println("arg=" + arg + " codes=" + codes);
    }
  }
}
