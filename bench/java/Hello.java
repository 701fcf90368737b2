// Prints one line; the Java home shows which JVM ran it.
public class Hello {
  public static void main(String[] args) {
    System.out.println("Hello from " + System.getProperty("java.home"));
  }
}
