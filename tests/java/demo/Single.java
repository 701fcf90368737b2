package demo;

import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;

// A program that runs once: main ("wait", "thread" or "block", then a stop
// file) prints "first" and waits until the stop file exists, on its own
// thread with "thread" (main returns at once, as a window's program does).
// Each later start's folder and arguments (as code points) are printed as a
// line; with "block", anotherInstance never returns.
public class Single {
  private static volatile boolean block;

  public static void main(String[] args) throws Exception {
    block = args[0].equals("block");
    final Path stop = Paths.get(args[1]);
    Runnable waiter = () -> {
      while (!Files.exists(stop)) {
        try {
          Thread.sleep(20);
        } catch (InterruptedException e) {
          return;
        }
      }
    };
    System.out.println("first");
    System.out.flush();
    if (args[0].equals("thread")) {
      new Thread(waiter).start();
    } else {
      waiter.run();
    }
  }

  public static synchronized void anotherInstance(String[] args, String folder)
      throws InterruptedException {
    StringBuilder line = new StringBuilder("another in " + folder + ":");
    for (String arg : args) {
      StringBuilder codes = new StringBuilder();
      arg.codePoints().forEach(c -> codes.append(codes.length() == 0 ? "" : " ")
          .append(Integer.toHexString(c)));
      line.append(" [").append(codes).append("]");
    }
    System.out.println(line);
    System.out.flush();
    while (block) Thread.sleep(60_000);
  }
}
