package demo;

// What an end-to-end test asks of a Java program, chosen by the first argument.
public class Probe {
  public static void main(String[] args) throws Exception {
    switch (args.length == 0 ? "" : args[0]) {
      case "props":
        for (int i = 1; i < args.length; i++) {
          System.out.println(args[i] + "=" + System.getProperty(args[i]));
        }
        break;
      case "handler":
        Thread.setDefaultUncaughtExceptionHandler(
            (thread, e) -> System.out.println("handled on " + thread.getName() + ": " + e.getMessage()));
        throw new IllegalStateException("escaped from main");
      case "throw":
        throw new IllegalStateException("escaped from main");
      case "memory":
        System.out.println("maxMemory=" + Runtime.getRuntime().maxMemory() / (1024 * 1024) + "m");
        break;
      case "exit":
        System.exit(Integer.parseInt(args[1]));
        break;
      case "wait":
        System.out.println("waiting");
        Thread.sleep(60_000);
        break;
      default:
        System.out.println("no command");
    }
  }

  public static void initiateExit(int status) {
    System.out.println("initiateExit " + status);
    System.exit(status);
  }
}
