package demo;

import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;

// Passes through every phase a console event may meet while a program ends,
// as a desktop program does: main returns at once, a non-daemon worker keeps
// the VM alive for the first argument's milliseconds, then a shutdown hook
// runs for the second's. initiateExit ends the worker early, or with the
// third argument "exit" calls System.exit(7).
public class ShutdownRace {
  private static final CountDownLatch stop = new CountDownLatch(1);
  private static boolean exit;

  public static void main(String[] args) {
    final long work = Long.parseLong(args[0]);
    final long hook = Long.parseLong(args[1]);
    exit = args.length > 2 && args[2].equals("exit");
    System.out.println("main");
    try {
      Runtime.getRuntime().addShutdownHook(new Thread(() -> {
        System.out.println("hook");
        pause(hook);
      }));
    } catch (IllegalStateException e) {
      // initiateExit's System.exit came first: the VM shuts down already.
      return;
    }
    new Thread(() -> {
      try {
        stop.await(work, TimeUnit.MILLISECONDS);
      } catch (InterruptedException e) {
        // ends the worker as the latch does
      }
    }).start();
  }

  public static void initiateExit(int status) {
    System.out.println("initiateExit");
    if (exit) System.exit(7);
    stop.countDown();
  }

  private static void pause(long millis) {
    try {
      Thread.sleep(millis);
    } catch (InterruptedException e) {
      // the hook ends early
    }
  }
}
