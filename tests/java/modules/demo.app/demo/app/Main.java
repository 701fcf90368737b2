package demo.app;

// Says which module it runs in, with its arguments.
public class Main {
  public static void main(String[] args) {
    System.out.println(Main.class.getModule() + " args " + String.join(" ", args));
    System.out.println("module path " + System.getProperty("jdk.module.path"));
    System.out.println("class path [" + System.getProperty("java.class.path") + "]");
  }
}
