package demo;

import java.awt.HeadlessException;
import java.awt.SplashScreen;
import java.io.File;
import javax.swing.JFrame;
import javax.swing.SwingUtilities;

// What the program sees of the splash screen: its image, or none. With
// "frame" it then shows a window; with "wait <file>" it runs until the file exists.
public class Splash {
  public static void main(String[] args) throws Exception {
    System.out.println("splash=" + describe());
    if (args.length == 0) return;
    if (args[0].equals("frame")) {
      JFrame frame = new JFrame("program");
      frame.setBounds(0, 0, 60, 60);
      SwingUtilities.invokeAndWait(() -> frame.setVisible(true));
      System.out.println("after frame: splash=" + describe());
    } else if (args[0].equals("wait")) {
      File stop = new File(args[1]);
      for (int i = 0; i < 600 && !stop.exists(); i++) Thread.sleep(100);
    }
    System.exit(0);
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
