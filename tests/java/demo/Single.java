package demo;

import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;

// A program that runs once: main ("wait", "thread", "block" or "exit", then a
// stop file) prints "first" and waits until the stop file exists, on its own
// thread with "thread" (main returns at once, as a window's program does).
// Each later start's folder and arguments (as code points) are printed as a
// line; with "block", anotherInstance does not return before the stop file
// exists. With "exit" the program ends through System.exit, and its own
// shutdown hook prints "ending" and runs until the file <stop>.go exists.
public class Single {
  private static volatile boolean block;
  private static Path stop;

  public static void main(String[] args) throws Exception {
    block = args[0].equals("block");
    stop = Paths.get(args[1]);
    if (args[0].equals("exit")) {
      Runtime.getRuntime().addShutdownHook(new Thread(() -> {
        System.out.println("ending");
        System.out.flush();
        awaitFile(Paths.get(args[1] + ".go"));
      }));
    }
    System.out.println("first");
    System.out.flush();
    if (args[0].equals("thread")) {
      new Thread(() -> awaitFile(stop)).start();
    } else {
      awaitFile(stop);
    }
    if (args[0].equals("exit")) System.exit(0);
  }

  static void awaitFile(Path file) {
    while (!Files.exists(file)) {
      try {
        Thread.sleep(20);
      } catch (InterruptedException e) {
        return;
      }
    }
  }

  public static synchronized void anotherInstance(String[] args, String folder) {
    StringBuilder line = new StringBuilder("another in " + folder + ":");
    for (String arg : args) {
      StringBuilder codes = new StringBuilder();
      arg.codePoints().forEach(c -> codes.append(codes.length() == 0 ? "" : " ")
          .append(Integer.toHexString(c)));
      line.append(" [").append(codes).append("]");
    }
    System.out.println(line);
    System.out.flush();
    if (block) awaitFile(stop);
  }
}
