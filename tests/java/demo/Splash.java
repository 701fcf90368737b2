package demo;

import java.awt.Color;
import java.awt.Dimension;
import java.awt.Graphics2D;
import java.awt.HeadlessException;
import java.awt.SplashScreen;
import java.io.File;
import javax.swing.JFrame;
import javax.swing.SwingUtilities;

// What the program sees of the splash screen: its image, or none. With
// "frame" it then shows a window; with "wait <file>" it runs until the file
// exists; with "draw <file>" it then paints the splash orange, prints
// "drawn" and runs until <file>.end exists. With "alone <file>" it never
// touches the splash and runs until the file exists.
public class Splash {
  public static void main(String[] args) throws Exception {
    if (args.length > 0 && args[0].equals("alone")) {
      System.out.println("running");
      System.out.flush();
      await(new File(args[1]));
      System.exit(0);
    }
    System.out.println("splash=" + describe());
    System.out.flush();
    if (args.length == 0) return;
    if (args[0].equals("frame")) {
      JFrame frame = new JFrame("program");
      frame.setBounds(0, 0, 60, 60);
      SwingUtilities.invokeAndWait(() -> frame.setVisible(true));
      System.out.println("after frame: splash=" + describe());
    } else if (args[0].equals("wait")) {
      await(new File(args[1]));
    } else if (args[0].equals("draw")) {
      await(new File(args[1]));
      SplashScreen splash = SplashScreen.getSplashScreen();
      Dimension size = splash.getSize();
      Graphics2D g = splash.createGraphics();
      g.setColor(new Color(0xf0a020));
      g.fillRect(0, 0, size.width, size.height);
      splash.update();
      System.out.println("drawn");
      System.out.flush();
      await(new File(args[1] + ".end"));
      splash.close();
    }
    System.exit(0);
  }

  static void await(File file) throws InterruptedException {
    for (int i = 0; i < 600 && !file.exists(); i++) Thread.sleep(100);
  }

  static String describe() {
    try {
      SplashScreen splash = SplashScreen.getSplashScreen();
      return splash == null ? "none" : String.valueOf(splash.getImageURL());
    } catch (HeadlessException e) {
      return "headless";
    }
  }
}
