package demo;

import java.lang.instrument.Instrumentation;

// The Launcher-Agent-Class of app.jar: says what it was given, before main.
public class JarAgent {
  public static void agentmain(String arguments, Instrumentation instrumentation) {
    System.out.println("agent [" + arguments + "] retransform "
        + instrumentation.isRetransformClassesSupported());
  }
}
